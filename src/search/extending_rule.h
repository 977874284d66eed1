// DLExtendingRule: a rule under construction in the inner beam search. It holds the cases it
// covers so far, its fixed segments and the candidate segments proposed for its next level.
#ifndef RULEWEAVE_SEARCH_EXTENDING_RULE_H_
#define RULEWEAVE_SEARCH_EXTENDING_RULE_H_

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "model/attribute_measure.h"
#include "model/rule_coverage.h"
#include "ruleweave/foundation/bit_set.h"
#include "ruleweave/foundation/measure.h"
#include "search/extending_segment.h"

class DLParameters;
class DLRule;
class DLWorkerPool;
class IDLDataView;

// The breakdowns of a covered set by the predictors at `positions` (entry i for positions[i],
// null where the predictor has none), as GenerateCandidates made them before using them, with
// the set's number of cases. `wholeNumbers`: every measure was counted in integers, so the
// breakdowns of a subset can be subtracted exactly (see DLAttributeMeasure::Subtract).
struct DLBreakdowns {
  std::vector<int> positions;
  std::vector<std::unique_ptr<DLAttributeMeasure>> measures;
  int numOfCases = 0;
  bool wholeNumbers = false;
};

// Borrows the parameters and the view (both outlive every rule of a run); owns its segments.
// A copy shares the borrowed pointers and the responder bits, copies the coverage and the fixed
// segments, and has no candidates.
class DLExtendingRule {
 public:
  // Covers `cases` (copied); throws ConstructorException when the view has no cases or the set's
  // capacity differs from the view's number of cases.
  DLExtendingRule(const DLParameters& params, const IDLDataView& view, const DLBitSet& cases);
  DLExtendingRule(const DLExtendingRule& other);
  DLExtendingRule& operator=(const DLExtendingRule&) = delete;
  ~DLExtendingRule();

  // Appends the candidate segments of every usable predictor, in the view's order; true when at
  // least one was produced. The predictors are worked on by the pool's threads (one thread
  // without a pool); the candidates are the same for any number of threads. The cancel object of
  // the parameters is polled, from the calling thread only, between predictors and while the
  // workers run; when it answers yes, generation stops, `cancelled` is set, no candidate is added
  // and false is returned. `given`, when not null, holds the breakdowns of this rule's covered
  // set (made otherwise, for instance by subtraction); they are used in place of breaking the
  // set down when their positions and number of cases are this rule's. `made`, when not null,
  // receives copies of the breakdowns used once they are complete (even if a cancel stops the
  // candidates afterwards).
  bool GenerateCandidates(bool& cancelled, DLWorkerPool* pool = nullptr,
                          const DLBreakdowns* given = nullptr, DLBreakdowns* made = nullptr);

  // The index of the best candidate with its measure in `m`; -1 and the rule's own measure when
  // there are none. With Down, (1, 1) stands for "nothing better" and index 0 is returned.
  int GetBestCandidate(DLMeasure& m) const;

  // Adds candidate `c` as a fixed segment and restricts the coverage to it. When other
  // candidates remain the extension is made on a new copy (owned by the caller) and this rule
  // only loses candidate `c`; otherwise this rule itself is extended and returned. An index out
  // of range returns this rule unchanged.
  DLExtendingRule* ExtendWith(int c);

  // Turns bin ranges of continuous predictors into value ranges; a segment whose value range
  // comes out invalid is dropped.
  void FinalizeSegments();

  // The finished rule (new, owned by the caller), or null when there are no fixed segments.
  DLRule* ToRule() const;

  bool UsesAttribute(const std::string& name) const;
  bool HasNoSegments() const { return mFixed.empty(); }
  int GetNumOfCandidates() const { return static_cast<int>(mCandidates.size()); }
  const DLExtendingSegment* GetCandidate(int i) const { return mCandidates[i].get(); }
  int GetNumOfFixedSegments() const { return static_cast<int>(mFixed.size()); }
  const DLExtendingSegment* GetFixedSegment(int i) const { return mFixed[i].get(); }
  DLMeasure GetMeasure() const { return mCoverage.GetMeasure(); }
  const DLBitSet& GetCoveredCases() const { return mCoverage.GetCoveredCases(); }

  void Display(std::ostream& os) const;

 private:
  friend class DLExtendingRuleTestAccess;

  const DLParameters* mParams;
  const IDLDataView* mView;
  DLRuleCoverage mCoverage;
  // The responding cases of the first coverage that generated candidates, shared with every copy
  // (whose coverages are subsets of it), so that each breakdown reads bits instead of the target.
  std::shared_ptr<const DLResponders> mResponders;
  std::vector<std::unique_ptr<DLExtendingSegment>> mFixed;
  std::vector<std::unique_ptr<DLExtendingSegment>> mCandidates;
};

#endif  // RULEWEAVE_SEARCH_EXTENDING_RULE_H_
