// DLRuleCoverage: narrowing a rule's covered cases one condition at a time, and the one-pass
// breakdown of those cases by the category codes of an attribute.
#include "search/rule_coverage.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "data/attributes.h"
#include "ruleweave/data/attribute.h"
#include "ruleweave/data/data_view.h"
#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/model/segment.h"
#include "ruleweave/variables/var.h"
#include "search/attribute_measure.h"
#include "search/response_code.h"

namespace {

// Per-category sums of one pass. The view's rule for turning a case set's sums into a measure
// (ToMeasure) is applied once per category at the end.
struct Sums {
  double coverage = 0.0;
  double response = 0.0;
};

DLMeasure ToMeasure(const Sums& s) {
  DLMeasure m;
  if (s.coverage != 0.0) m.SetValues(s.coverage, s.response);
  return m;
}

// The storage of one of the library's own columns, read directly in the pass; null for any other
// implementation of IDLAttribute, which is then read through GetValue.
template <typename T>
const T* StorageOf(const IDLAttribute* a) {
  const auto* column = dynamic_cast<const DLAttributeColumn<T>*>(a);
  return column != nullptr ? column->GetData() : nullptr;
}

// Calls f(id) for every covered case in increasing order; a full set is walked without its words.
template <typename F>
void ForEachCase(const DLBitSet& cases, F f) {
  if (cases.IsFull()) {
    for (int id = 0, n = cases.GetCapacity(); id < n; ++id) f(id);
    return;
  }
  int id = 0;
  for (bool more = cases.GetElementID(id, /*restart=*/true); more;
       more = cases.GetElementID(id, /*restart=*/false)) {
    f(id);
  }
}

// A stored weight as the view's measure counts it: nothing for a missing (-1), negative or
// system-missing weight.
inline double CountedWeight(double w) { return w > 0.0 ? w : 0.0; }

// One pass over the covered cases adding each case to the sums of its code: coverage 1 or the
// case's counted weight, response the same when the case's target code is the response code.
// Cases come in increasing order, so every per-category sum adds the same numbers in the same
// order as the view's measure of that category's cases would.
//   codeAt(id)      the case's code as a 64-bit integer;
//   isResponse(id)  whether the case's target code is the response code;
//   weightAt(id)    the case's counted weight (unused when not kWeighted).
template <bool kWeighted, typename CodeAt, typename IsResponse, typename WeightAt>
void SplitPass(const DLBitSet& covered, long long missingCode, CodeAt codeAt, IsResponse isResponse,
               WeightAt weightAt, Sums* sums, long long n, Sums& missing) {
  ForEachCase(covered, [&](int id) {
    const long long code = codeAt(id);
    Sums* slot;
    if (static_cast<unsigned long long>(code) < static_cast<unsigned long long>(n)) {
      slot = sums + code;
    } else if (code == missingCode) {
      slot = &missing;
    } else {
      return;  // a code the variable has no category for (never stored by a data set)
    }
    const double w = kWeighted ? weightAt(id) : 1.0;
    slot->coverage += w;
    if (isResponse(id)) slot->response += w;
  });
}

// Runs the pass with the fastest readers the three columns allow: direct reads from the storage
// of the library's own columns, GetValue for anything else. `target` null: no response counted;
// `weight` null: every case weighs 1.
void Split(const DLBitSet& covered, const IDLAttribute* attr, const IDLAttribute* target,
           long long responseCode, const IDLAttribute* weight, long long missingCode, Sums* sums,
           long long n, Sums& missing) {
  const std::uint8_t* codes8 = StorageOf<std::uint8_t>(attr);
  const std::int32_t* codes32 = StorageOf<std::int32_t>(attr);
  const std::uint8_t* targets8 = StorageOf<std::uint8_t>(target);
  const std::int32_t* targets32 = StorageOf<std::int32_t>(target);
  const std::int32_t* weights32 = StorageOf<std::int32_t>(weight);
  const bool direct = (codes8 != nullptr || codes32 != nullptr) &&
                      (target == nullptr || targets8 != nullptr || targets32 != nullptr) &&
                      (weight == nullptr || weights32 != nullptr);
  if (!direct) {
    const double r = static_cast<double>(responseCode);
    auto codeAt = [attr](int id) { return static_cast<long long>(attr->GetValue(id)); };
    auto isResponse = [target, r](int id) {
      return target != nullptr && target->GetValue(id) == r;
    };
    if (weight != nullptr) {
      auto weightAt = [weight](int id) { return CountedWeight(weight->GetValue(id)); };
      SplitPass<true>(covered, missingCode, codeAt, isResponse, weightAt, sums, n, missing);
    } else {
      SplitPass<false>(
          covered, missingCode, codeAt, isResponse, [](int) { return 1.0; }, sums, n, missing);
    }
    return;
  }
  auto withCodes = [&](auto codeAt) {
    auto withTarget = [&](auto isResponse) {
      if (weights32 != nullptr) {
        auto weightAt = [weights32](int id) {
          return CountedWeight(static_cast<double>(weights32[id]));
        };
        SplitPass<true>(covered, missingCode, codeAt, isResponse, weightAt, sums, n, missing);
      } else {
        SplitPass<false>(
            covered, missingCode, codeAt, isResponse, [](int) { return 1.0; }, sums, n, missing);
      }
    };
    if (targets8 != nullptr) {
      withTarget([targets8, responseCode](int id) { return targets8[id] == responseCode; });
    } else if (targets32 != nullptr) {
      withTarget([targets32, responseCode](int id) { return targets32[id] == responseCode; });
    } else {
      withTarget([](int) { return false; });
    }
  };
  if (codes8 != nullptr) {
    withCodes([codes8](int id) { return static_cast<long long>(codes8[id]); });
  } else {
    withCodes([codes32](int id) { return static_cast<long long>(codes32[id]); });
  }
}

}  // namespace

DLRuleCoverage::DLRuleCoverage(const IDLDataView& view, const DLBitSet& coveredCases)
    : mView(&view), mCovered(coveredCases) {
  if (view.GetNumOfCases() <= 0 || coveredCases.GetCapacity() != view.GetNumOfCases()) {
    throw QXDecision::ConstructorException(
        "DLRuleCoverage",
        "dataview.NumOfCases > 0 && coveredCases.Capacity == dataview.NumOfCases");
  }
  Remeasure();
}

DLRuleCoverage& DLRuleCoverage::operator=(const DLRuleCoverage& other) {
  if (this == &other || mView != other.mView) return *this;
  mCovered = other.mCovered;
  mMeasure = other.mMeasure;
  return *this;
}

void DLRuleCoverage::Remeasure() {
  DLMeasure m;
  mView->ComputeMeasure(m, mCovered);
  mMeasure = m;
}

bool DLRuleCoverage::AddRange(std::string const& name, double left, double right, bool leftOpen,
                              bool rightOpen) {
  const bool valid = left < right || (left == right && !leftOpen && !rightOpen);
  if (name.empty() || !valid || mCovered.IsEmpty()) return false;
  const IDLAttribute* attr = mView->GetAttribute(name);
  if (attr == nullptr) return true;
  attr->FilterByRange(mCovered, left, right, leftOpen, rightOpen);
  Remeasure();
  return true;
}

bool DLRuleCoverage::AddSegment(DLSegment const& segment) {
  if (mCovered.IsEmpty()) return false;
  const IDLAttribute* attr = mView->GetAttribute(segment.GetAttrName());
  if (attr == nullptr) return false;
  switch (segment.GetOperator()) {
    case DLConst::OpEqualTo:
      attr->FilterByValue(mCovered, segment.GetValueEqualTo());
      break;
    case DLConst::OpMissing:
      attr->KeepMissing(mCovered);
      break;
    case DLConst::OpNotMissing:
      attr->FilterByMissing(mCovered, /*keepMissing=*/false);
      break;
    case DLConst::OpRange: {
      double low, high;
      bool lowOpen, highOpen;
      segment.GetRange(low, high, lowOpen, highOpen);
      attr->FilterByRange(mCovered, low, high, lowOpen, highOpen);
      break;
    }
    case DLConst::OpInSet:
      attr->FilterByValues(mCovered, segment.GetValueSet(), /*keepListed=*/true);
      break;
    case DLConst::OpNotInSet:
      attr->FilterByValues(mCovered, segment.GetValueSet(), /*keepListed=*/false);
      break;
    default:
      break;
  }
  Remeasure();
  return true;
}

DLAttributeMeasure* DLRuleCoverage::GetAttributeMeasure(std::string const& name) const {
  if (name.empty()) return nullptr;
  const IDLAttribute* attr = mView->GetAttribute(name);
  if (attr == nullptr) return nullptr;
  const IDLVar* var = attr->GetVar();
  if (var == nullptr || var->GetVarRole() != IDLVar::kPredictor) return nullptr;
  const int kind = attr->GetAttributeKind();
  if (kind != IDLAttribute::kCategoricalAttribute && kind != IDLAttribute::kBinnedAttribute) {
    return nullptr;
  }
  const int n = attr->GetNumOfCategories();
  if (n < 1 || mCovered.IsEmpty()) return nullptr;

  auto result = std::make_unique<DLAttributeMeasure>(n, attr->GetMissingCategory());

  // The view counts nothing from a weight or target column of another length than the set.
  const int capacity = mCovered.GetCapacity();
  const IDLAttribute* weight = mView->GetFreqWeightAttribute();
  const IDLAttribute* target = mView->GetTargetAttribute();
  if (weight != nullptr && weight->GetNumOfCases() != capacity) return result.release();
  const bool targetUsable = target != nullptr && target->GetNumOfCases() == capacity;
  const long long responseCode = ResponseCode(*mView);
  const long long missingCode = attr->GetMissingCategory();

  std::vector<Sums> sums(static_cast<std::size_t>(n));
  Sums missing;
  Split(mCovered, attr, targetUsable ? target : nullptr, responseCode, weight, missingCode,
        sums.data(), n, missing);

  for (int i = 0; i < n; ++i) *result->GetMeasure(i) = ToMeasure(sums[static_cast<std::size_t>(i)]);
  *result->GetMissingMeasure() = ToMeasure(missing);
  return result.release();
}
