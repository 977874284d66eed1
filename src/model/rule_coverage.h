// DLRuleCoverage: the covered cases and measure of a rule under construction, narrowed one
// condition at a time, and the per-category breakdown that candidate generation works from.
#ifndef RULEWEAVE_MODEL_RULE_COVERAGE_H_
#define RULEWEAVE_MODEL_RULE_COVERAGE_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ruleweave/foundation/bit_set.h"
#include "ruleweave/foundation/measure.h"

class DLAttributeMeasure;
class IDLAttribute;
class DLSegment;
class IDLDataView;

// The cases whose target code is a response code, as bits in the order of a DLBitSet's words,
// for a range of words: a breakdown of a set inside that range reads these bits instead of the
// target column. Made by DLRuleCoverage::MakeResponders; it names the target column it was read
// from, and a breakdown uses it only for that column, length and response code.
struct DLResponders {
  const IDLAttribute* target = nullptr;
  int capacity = 0;
  long long responseCode = 0;
  int firstWord = 0;  // words[k] is the set's word firstWord + k
  std::vector<std::uint32_t> words;
};

// Keeps a set of covered cases and, always, the view's measure of that set. Borrows the view,
// which must outlive it. Copies copy the view pointer, the set and the measure; assignment works
// only between coverages over the same view (otherwise, and onto itself, nothing changes).
class DLRuleCoverage {
 public:
  // Copies `coveredCases` and measures it. Throws QXDecision::ConstructorException
  // ("DLRuleCoverage", "dataview.NumOfCases > 0 && coveredCases.Capacity == dataview.NumOfCases")
  // when the view has no cases or the capacity differs from its number of cases.
  DLRuleCoverage(const IDLDataView& view, const DLBitSet& coveredCases);
  // As above, but the measure stays (0, 0) until Remeasure: for a caller that narrows the set by
  // several segments (Restrict) and reads the measure only at the end.
  struct Deferred {};
  DLRuleCoverage(const IDLDataView& view, const DLBitSet& coveredCases, Deferred);
  DLRuleCoverage(const DLRuleCoverage& other) = default;
  DLRuleCoverage& operator=(const DLRuleCoverage& other);

  DLMeasure GetMeasure() const { return mMeasure; }
  const DLBitSet& GetCoveredCases() const { return mCovered; }
  const IDLDataView& GetDataView() const { return *mView; }

  // Keeps the cases whose value of attribute `name` lies in the range. False, and no change, for
  // an empty name, an invalid range (valid: left < right, or left == right with both ends closed)
  // or an empty covered set. True otherwise, also when the view has no such attribute (then
  // nothing changes).
  bool AddRange(std::string const& name, double left, double right, bool leftOpen, bool rightOpen);
  // Keeps the cases the segment admits (see DLSegment) and re-measures. False, and no change,
  // when the covered set is empty or the view has no attribute of the segment's name.
  bool AddSegment(DLSegment const& segment);
  // AddSegment without the re-measuring (same refusals); call Remeasure before reading the
  // measure.
  bool Restrict(DLSegment const& segment);
  // Measures the covered cases through the view.
  void Remeasure();
  // The covered cases measured per category code of attribute `name` (and for its missing code),
  // in one pass over the covered cases; a new object the caller deletes. Null for an empty name,
  // an attribute the view lacks, one whose variable is not a predictor, one that is not
  // category-coded (categorical or binned), one without categories, or an empty covered set.
  // Each slot equals the view's ComputeMeasure of the covered cases with that code.
  DLAttributeMeasure* GetAttributeMeasure(std::string const& name) const;
  // The same breakdown for several attributes at once, given by their positions in the view:
  // entry i answers indices[i] as GetAttributeMeasure answers its name (null for a position
  // without an attribute). The covered cases are walked once for all of them. The response code
  // is given: GetResponseCode(), asked once by a caller that breaks the same set down many
  // times. This form only reads the view, its columns and the set, so several threads may call
  // it at once (coding the response value may add a category to the target's encoder, which is
  // why that stays with the caller).
  // `responders`, when given, is a set made by MakeResponders for this response code, here or on
  // a coverage of a superset (a rule's coverage before it was narrowed); it spares reading the
  // target column, which the pass does instead when the set does not fit. `wholeNumbers`, when
  // given, tells whether every measure was counted in integers from the library's own columns
  // (so that breakdowns of disjoint sets add and subtract exactly); false when some attribute,
  // the target or the weight was read through the interface with double sums.
  std::vector<std::unique_ptr<DLAttributeMeasure>> GetAttributeMeasures(
      const std::vector<int>& indices, long long responseCode,
      const DLResponders* responders = nullptr, bool* wholeNumbers = nullptr) const;
  // The cases of the covered words that respond (all cases of those words, covered or not), for
  // the breakdowns of this set and of every subset; null when the set is empty or the target is
  // not one of the library's own columns of the set's length. One pass over the target column
  // of the covered range.
  std::shared_ptr<const DLResponders> MakeResponders(long long responseCode) const;
  // The target code counted as a response (see data/response_code.h).
  long long GetResponseCode() const;

 private:
  std::vector<std::unique_ptr<DLAttributeMeasure>> Breakdown(
      const std::vector<const IDLAttribute*>& attrs, long long responseCode,
      const DLResponders* responders, bool* wholeNumbers) const;

  const IDLDataView* mView;
  DLBitSet mCovered;
  DLMeasure mMeasure;
};

#endif  // RULEWEAVE_MODEL_RULE_COVERAGE_H_
