// DLList: a decision list, an ordered sequence of rules read with first-hit semantics.
//
// Words used here:
//   first hit  a case belongs to the first rule that covers it; later rules never see it;
//   case space the cases the list applies to (held in the list's query; none means all cases);
//   remainder  the cases of the case space that no rule took;
//   refreshed  measure, coverage set and rule measures are up to date; RefreshMeasure recomputes
//              only what is not refreshed.
//
// First-hit measuring, for rules A, B, C over case space S:
//
//   rule  measured on           covers
//   A     S                     a = A's cases in S
//   B     S - a                 b
//   C     S - a - b             c
//   list coverage a + b + c, remainder S - a - b - c
#ifndef RULEWEAVE_MODEL_LIST_H_
#define RULEWEAVE_MODEL_LIST_H_

#include <iosfwd>
#include <memory>
#include <vector>

#include "ruleweave/foundation/bit_set.h"
#include "ruleweave/foundation/measure.h"
#include "ruleweave/model/rule.h"

class DLDataQuery;
class DLDataSet;

// A list owns its rules, its copy of the query and its coverage set. It borrows the data set; when
// the data set is destroyed first, the list notices (IsDataSetGone) and its operations that read
// the data set refuse, as they do without one.
//
// Ownership of rules handed in: the full constructor takes every pointer; AddRule and InsertRule
// take the pointer when they return true; SetRule copies the contents (DLRule::operator=) and the
// caller keeps its object.
class DLList {
 public:
  // No data set, no query, measure (0, 0), no coverage set, no rules, refreshed.
  DLList();
  // Borrows `ds`, copies `query` and `coverage`, takes over `rules` in order; refreshed. Then
  // removes redundant segments from every rule, which may leave some rules not refreshed.
  DLList(const DLDataSet& ds, const DLDataQuery& query, DLMeasure measure, const DLBitSet& coverage,
         const std::vector<DLRule*>& rules);
  // Shares the data set; deep copies of the query, coverage and rules (rule labels are not
  // carried); takes the refreshed flag.
  DLList(const DLList& other);
  DLList& operator=(const DLList& other);
  ~DLList();

  // Null without a data set and once the data set is gone.
  const DLDataSet* GetDataSet() const { return IsDataSetGone() ? nullptr : mDataSet; }
  // Leaves the refreshed flag alone.
  void SetDataSet(const DLDataSet& ds);
  // True when the list was given a data set that has been destroyed since.
  bool IsDataSetGone() const { return mDataSet != nullptr && mDataSetLifetime.expired(); }
  const DLDataQuery* GetDataQuery() const { return mQuery.get(); }
  // Keeps a copy; leaves the refreshed flag alone.
  void SetDataQuery(const DLDataQuery& query);
  DLMeasure GetMeasure() const { return mMeasure; }
  // The union of the rules' coverage sets at the last measuring, or null.
  const DLBitSet* GetCoverage() const { return mCoverage.get(); }
  // A new set the caller deletes: the query's case space (all cases when it holds none) minus the
  // coverage set. Null without a query, when not refreshed, or without a coverage set.
  DLBitSet* GetRemainder() const;
  // A new measure the caller deletes: the remainder measured through a raw data view. Null
  // without a (living) data set or query, when not refreshed, or when GetRemainder is null.
  DLMeasure* GetRemainderMeasure() const;
  bool IsRefreshed() const { return mRefreshed; }
  int GetNumOfRules() const { return static_cast<int>(mRules.size()); }
  // Null when i is out of range.
  const DLRule* GetRule(int i) const;
  bool IsEmpty() const { return mRules.empty(); }

  // Edits: each successful one clears the refreshed flag and recomputes nothing.
  // Refused for null and for a rule the list already holds (the very object: taking it twice
  // would delete it twice). Equal rules are not refused.
  bool AddRule(DLRule* r);
  // Refusals as AddRule. i >= GetNumOfRules() appends; a negative i inserts in front.
  bool InsertRule(DLRule* r, int i);
  // Assigns *r to rule i, which keeps its label. Refused for null r, i out of range or *r equal
  // to rule i.
  bool SetRule(DLRule* r, int i);
  bool RemoveRule(int i);

  // Measure (0, 0), not refreshed, and ClearMeasure on every rule; the coverage set stays.
  void ClearMeasure();
  // First-hit measuring on `caseSpace` (null: all cases of the data set), see the table above.
  // Rules that are not refreshed are measured on the cases no earlier rule took; refreshed rules
  // keep their measure and coverage, whose cases still count as taken. The case space is stored
  // in the list's query.
  // False, and no change, without a data set (or when it is gone) or query or when the capacity
  // of `caseSpace`
  // differs from the data set's number of cases. A refreshed list answers true at once and does
  // not look at `caseSpace`: call ClearMeasure first to re-measure on another case space.
  // Throws QXDecision::ConstructorException when no raw data view can be built on the data set
  // and query (the view is made first, so a data set without cases gives ("DLDataView",
  // "dataset.NumOfCases > 0")); the case space is then already stored and the list stays not
  // refreshed.
  bool RefreshMeasure(const DLBitSet* caseSpace);

  // Same number of rules and every rule of this list equals some rule of `other`; order,
  // measures, data set and query do not take part.
  bool operator==(const DLList& other) const;
  bool operator!=(const DLList& other) const { return !(*this == other); }

  // "Prob: p\tCover: c\tFreq: r" and a line end at precision 16, then per rule i "\tRule: i", a
  // line end and the rule's Display.
  void Display(std::ostream& os) const;

 private:
  bool HasRule(const DLRule& rule) const;
  // Whether `r` is one of the list's own rule objects.
  bool HoldsRule(const DLRule* r) const;
  // Replaces the rules by deep copies of `rules`.
  void AddRules(const std::vector<std::unique_ptr<DLRule>>& rules);

  const DLDataSet* mDataSet = nullptr;
  std::weak_ptr<const void> mDataSetLifetime;  // the data set's GetLifetime
  std::unique_ptr<DLDataQuery> mQuery;
  DLMeasure mMeasure;
  std::unique_ptr<DLBitSet> mCoverage;
  std::vector<std::unique_ptr<DLRule>> mRules;
  bool mRefreshed = true;
};

#endif  // RULEWEAVE_MODEL_LIST_H_
