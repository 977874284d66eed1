// DLExtendingList: a decision list under construction in the outer beam search. It holds its
// finished rules, the cases they cover within the list's case space, and the rules under
// construction for its next position.
//
// Words used here:
//   case space   the cases the list may cover (the query's case space, or all cases);
//   remainder    the case space minus the cases the list's rules cover; the next rule is
//                searched on it, so a case belongs to the first rule that covers it.
#ifndef RULEWEAVE_SEARCH_EXTENDING_LIST_H_
#define RULEWEAVE_SEARCH_EXTENDING_LIST_H_

#include <iosfwd>
#include <memory>
#include <vector>

#include "model/list_coverage.h"
#include "ruleweave/foundation/measure.h"
#include "ruleweave/foundation/status.h"
#include "ruleweave/model/rule.h"
#include "search/extending_rule.h"

class DLDataQuery;
class DLList;
class DLParameters;
class DLWorkerPool;
class IDLDataView;

// Borrows the parameters, the query and the view; owns its rules. A copy shares the borrowed
// pointers and the kept breakdowns, copies the coverage and deep-copies the fixed rules; it has no
// extending rules.
//
// The breakdowns of the remainder by every predictor are the largest part of a search (the
// remainder holds most cases, the rules grown on it few). Each ExtendRules keeps them, and after
// ExtendWith the remainder has lost exactly the new rule's cases, so the next ExtendRules
// subtracts the breakdowns of those cases instead of breaking the whole remainder down again.
// Integer tallies make the difference exact: the same measures, so the same candidates.
class DLExtendingList {
 public:
  // An empty list over the query's case space (all cases when it has none). Throws
  // ConstructorException when the view has no cases.
  DLExtendingList(const DLParameters& params, const DLDataQuery& query, const IDLDataView& view);
  DLExtendingList(const DLExtendingList& other);
  DLExtendingList& operator=(const DLExtendingList&) = delete;
  ~DLExtendingList();

  // The inner beam search for the list's next rule: one fresh rule on the remainder, grown for up
  // to rule-depth segment levels keeping rule-width rules per level. `extended` tells whether any
  // candidate segment was found. Candidates are generated on the pool's threads (one thread
  // without a pool). Returns QXStatus(1, false) on a cancel, OK otherwise.
  QXDecision::QXStatus ExtendRules(bool& extended, DLWorkerPool* pool = nullptr);

  // Keeps the best `width` (rule, candidate) pairs as the list's extending rules.
  QXDecision::QXStatus SelectRules(int width);

  // Takes the best (rule, candidate) pair out of the list's extending rules; null when no pair
  // beats the initial measure. The result is owned by the caller.
  std::unique_ptr<DLExtendingRule> PopBestRule();

  // The index of the best extending rule, and in `m` the measure the list would have with it;
  // -1 and the list's own measure when there are no extending rules.
  int GetBestExtension(DLMeasure& m) const;

  // Appends extending rule `i` as a finished rule. Returns this list, or, when other extending
  // rules remain, a new copy (owned by the caller) that holds the new rule. An index out of range,
  // or a rule that yields no DLRule, returns this list unchanged.
  DLExtendingList* ExtendWith(int i);

  // The finished list (new, owned by the caller), or null when there are no fixed rules. The
  // fixed rules pass to the new list.
  DLList* ToList();

  DLMeasure GetMeasure() const { return mCoverage.GetMeasure(); }
  int GetNumOfFixedRules() const { return static_cast<int>(mFixed.size()); }
  const DLRule* GetFixedRule(int i) const { return mFixed[i].get(); }
  int GetNumOfExtendingRules() const { return static_cast<int>(mExtending.size()); }
  const DLExtendingRule* GetExtendingRule(int i) const { return mExtending[i].get(); }

  void Display(std::ostream& os) const;

 private:
  friend class DLExtendingListTestAccess;

  const DLParameters* mParams;
  const DLDataQuery* mQuery;
  const IDLDataView* mView;
  // The breakdowns of `remainder` as the kept ones minus those of the departed cases; null when
  // they cannot be made so exactly (nothing kept or departed, counts that do not add up, measures
  // that are not whole numbers), and the remainder is broken down afresh.
  std::unique_ptr<DLBreakdowns> RemainderBreakdowns(const DLBitSet& remainder) const;

  DLListCoverage mCoverage;
  std::vector<std::unique_ptr<DLRule>> mFixed;
  std::vector<std::unique_ptr<DLExtendingRule>> mExtending;
  // The breakdowns of the remainder at the last ExtendRules (null: none) and the cases that have
  // left the remainder since (null: none).
  std::shared_ptr<const DLBreakdowns> mKept;
  std::shared_ptr<const DLBitSet> mDeparted;
};

#endif  // RULEWEAVE_SEARCH_EXTENDING_LIST_H_
