// DLAttributeMeasure: per-category measures of one attribute and the neighbour and total queries
// candidate generation asks of them.
#include "model/attribute_measure.h"

#include "ruleweave/foundation/exceptions.h"

DLAttributeMeasure::DLAttributeMeasure(int numOfCategories, std::int32_t missingCategory)
    : mMissingCategory(missingCategory) {
  if (numOfCategories < 1) {
    throw QXDecision::ConstructorException("DLAttributeMeasure", "numcats > 0");
  }
  mMeasures.resize(static_cast<std::size_t>(numOfCategories));
}

const DLMeasure* DLAttributeMeasure::GetMeasure(int i) const {
  if (i < 0 || i >= GetNumOfCategories()) return nullptr;
  return &mMeasures[static_cast<std::size_t>(i)];
}

DLMeasure* DLAttributeMeasure::GetMeasure(int i) {
  if (i < 0 || i >= GetNumOfCategories()) return nullptr;
  return &mMeasures[static_cast<std::size_t>(i)];
}

int DLAttributeMeasure::PrevNonEmpty(int i) const {
  if (i < 0 || i >= GetNumOfCategories()) return -2;
  for (int j = i - 1; j >= 0; --j) {
    if (mMeasures[static_cast<std::size_t>(j)].GetCoverage() != 0.0) return j;
  }
  return -1;
}

int DLAttributeMeasure::NextNonEmpty(int i) const {
  if (i < 0 || i >= GetNumOfCategories()) return -2;
  for (int j = i + 1; j < GetNumOfCategories(); ++j) {
    if (mMeasures[static_cast<std::size_t>(j)].GetCoverage() != 0.0) return j;
  }
  return -1;
}

DLMeasure DLAttributeMeasure::TotalMeasure(bool withMissing) const {
  DLMeasure total;
  for (const DLMeasure& m : mMeasures) total += m;
  if (withMissing) total += mMissingMeasure;
  return total;
}

void DLAttributeMeasure::ReverseResponses() {
  for (DLMeasure& m : mMeasures) m.ReverseResponse();
  mMissingMeasure.ReverseResponse();
}

namespace {

// a - b, or false when the difference is no measure.
bool Difference(const DLMeasure& a, const DLMeasure& b, DLMeasure& out) {
  return out.SetValues(a.GetCoverage() - b.GetCoverage(), a.GetResponse() - b.GetResponse());
}

}  // namespace

bool DLAttributeMeasure::Subtract(const DLAttributeMeasure& part) {
  if (part.mMeasures.size() != mMeasures.size() || part.mMissingCategory != mMissingCategory) {
    return false;
  }
  DLAttributeMeasure rest(*this);
  for (std::size_t i = 0; i < mMeasures.size(); ++i) {
    if (!Difference(mMeasures[i], part.mMeasures[i], rest.mMeasures[i])) return false;
  }
  if (!Difference(mMissingMeasure, part.mMissingMeasure, rest.mMissingMeasure)) return false;
  *this = rest;
  return true;
}
