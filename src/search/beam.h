// The beam step both levels of the search share: the extending rules of a list (pairs of rule and
// candidate segment) and the extending lists of the list set (pairs of list and rule) are chosen
// the same way.
//
// A member's best pair has a measure; PopBest takes the member whose best pair beats the initial
// measure and every earlier member's (Up: a higher probability; Down: a lower one, ties keeping
// the earlier member), extends it with that pair and takes the result out of the beam. Select
// repeats PopBest up to the beam width, so the next beam holds the best pairs in order.
#ifndef RULEWEAVE_SEARCH_BEAM_H_
#define RULEWEAVE_SEARCH_BEAM_H_

#include <memory>
#include <utility>
#include <vector>

#include "foundation/progress_throttle.h"
#include "foundation/status_codes.h"
#include "ruleweave/foundation/measure.h"
#include "ruleweave/foundation/parameters.h"
#include "ruleweave/foundation/status.h"

namespace ruleweave {
namespace beam {

// The measure every pair must beat to be taken: nothing for Up, certain response for Down.
inline DLMeasure InitialMeasure(bool down) {
  return down ? DLMeasure(1.0, 1.0) : DLMeasure(0.0, 0.0);
}

inline bool IsBetter(bool down, const DLMeasure& best, const DLMeasure& m) {
  return down ? best > m : best < m;
}

// Takes the best pair out of `beam`; null when none beats the initial measure. `bestPair(member,
// m)` gives the index of the member's best pair and sets its measure; the member's
// `ExtendWith(index)` returns either a new extended copy (the member stays in the beam) or the
// member itself, extended in place (it leaves the beam).
template <class Member, class BestPair>
std::unique_ptr<Member> PopBest(std::vector<std::unique_ptr<Member>>& beam, bool down,
                                BestPair bestPair) {
  DLMeasure best = InitialMeasure(down);
  int chosen = -1;
  int pair = -1;
  for (std::size_t i = 0; i < beam.size(); ++i) {
    DLMeasure m;
    const int p = bestPair(*beam[i], m);
    if (IsBetter(down, best, m)) {
      best = m;
      chosen = static_cast<int>(i);
      pair = p;
    }
  }
  if (chosen < 0) return nullptr;
  Member* member = beam[static_cast<std::size_t>(chosen)].get();
  Member* extended = member->ExtendWith(pair);
  if (extended != member) return std::unique_ptr<Member>(extended);
  std::unique_ptr<Member> taken = std::move(beam[static_cast<std::size_t>(chosen)]);
  beam.erase(beam.begin() + chosen);
  return taken;
}

// Replaces `beam` with up to `width` popped pairs (`pop()` gives the next, null when none is
// left), reporting each under `key`. A cancel, polled before the first and after every pair,
// returns status 1 and leaves the beam as it was then. A width below 1 changes nothing.
template <class Member, class Pop>
QXDecision::QXStatus Select(std::vector<std::unique_ptr<Member>>& beam, int width,
                            const DLParameters& params, const char* key, Pop pop) {
  if (IsSearchCancelled(params)) return status::Cancelled();
  if (width < 1) return QXDecision::QXStatus();
  DLProgressThrottle throttle(params, key);
  std::vector<std::unique_ptr<Member>> selected;
  for (int n = 0; n < width && !beam.empty(); ++n) {
    std::unique_ptr<Member> member = pop();
    if (!member) break;
    selected.push_back(std::move(member));
    throttle.UnitDone();
    if (IsSearchCancelled(params)) return status::Cancelled();
  }
  beam = std::move(selected);
  return QXDecision::QXStatus();
}

}  // namespace beam
}  // namespace ruleweave

#endif  // RULEWEAVE_SEARCH_BEAM_H_
