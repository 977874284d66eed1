// DLAttributeMeasure: the measures of a rule's covered cases broken down by the category codes of
// one category-coded attribute, which is what candidate segments are built from.
#ifndef RULEWEAVE_MODEL_ATTRIBUTE_MEASURE_H_
#define RULEWEAVE_MODEL_ATTRIBUTE_MEASURE_H_

#include <cstdint>
#include <vector>

#include "ruleweave/foundation/measure.h"

// One measure per category code 0 .. n-1 and one for the attribute's missing code, all (0, 0) at
// construction. Made by DLRuleCoverage::GetAttributeMeasure; a plain value.
class DLAttributeMeasure {
 public:
  // Throws QXDecision::ConstructorException("DLAttributeMeasure", "numcats > 0") when
  // numOfCategories < 1.
  DLAttributeMeasure(int numOfCategories, std::int32_t missingCategory);

  int GetNumOfCategories() const { return static_cast<int>(mMeasures.size()); }
  // Category i's measure; null when i is outside 0 .. n-1.
  const DLMeasure* GetMeasure(int i) const;
  DLMeasure* GetMeasure(int i);
  std::int32_t GetMissingCategory() const { return mMissingCategory; }
  const DLMeasure* GetMissingMeasure() const { return &mMissingMeasure; }
  DLMeasure* GetMissingMeasure() { return &mMissingMeasure; }

  // The nearest category below i with non-zero coverage; -1 when there is none (i = 0 included);
  // -2 when i is outside 0 .. n-1.
  int PrevNonEmpty(int i) const;
  // The nearest category above i with non-zero coverage; -1 when there is none (i = n-1
  // included); -2 when i is outside 0 .. n-1.
  int NextNonEmpty(int i) const;
  // The sum of the category measures, plus the missing measure when `withMissing`.
  DLMeasure TotalMeasure(bool withMissing) const;
  // response := coverage - response for every category measure and the missing measure.
  void ReverseResponses();
  // Takes the measures of `part` away, category by category and from the missing measure. For
  // breakdowns of a set and of a subset of it whose measures are whole numbers (integer tallies,
  // below 2^53) the result is exactly the breakdown of the rest. False, and no change, when the
  // category counts or missing codes differ or a difference would have response > coverage.
  bool Subtract(const DLAttributeMeasure& part);

 private:
  std::vector<DLMeasure> mMeasures;
  std::int32_t mMissingCategory;
  DLMeasure mMissingMeasure;
};

#endif  // RULEWEAVE_MODEL_ATTRIBUTE_MEASURE_H_
