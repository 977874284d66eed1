// DLRuleCoverage: narrowing a rule's covered cases one condition at a time, and the one-pass
// breakdown of those cases by the category codes of an attribute.
#include "model/rule_coverage.h"

#include <array>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "data/attributes.h"
#include "data/response_code.h"
#include "foundation/bit_walk.h"
#include "model/attribute_measure.h"
#include "ruleweave/data/attribute.h"
#include "ruleweave/data/data_view.h"
#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/model/segment.h"
#include "ruleweave/variables/var.h"

namespace {

// The storage of one of the library's own columns, read directly in the pass; null for any other
// implementation of IDLAttribute.
template <typename T>
const T* StorageOf(const IDLAttribute* a) {
  const auto* column = dynamic_cast<const DLAttributeColumn<T>*>(a);
  return column != nullptr ? column->GetData() : nullptr;
}

// A stored weight as the view's measure counts it: nothing for a missing (-1), negative or
// system-missing weight.
inline double CountedWeight(double w) { return w > 0.0 ? w : 0.0; }

// Calls f(k, id) for the k-th covered case, straight off the set's words (no list of ids is
// built). The order within a word is not ascending: only for integer tallies.
template <typename F>
void ForEachCaseInAnyOrder(const DLBitSet& cases, F f) {
  int k = 0;
  ruleweave::detail::ForEachElementInAnyOrder(cases, [&](int id) { f(k++, id); });
}

// --- Direct pass over the library's own columns --------------------------------------------
//
// Per slot (categories 0 .. n-1, then n for the missing code and n+1 for a code without a
// category, which a data set never stores) the tally holds two integers: the count (or summed
// weight) of the cases that do not respond and of those that do. Stored weights are integers,
// so each integer sum converts to exactly the double that the view's case-by-case double sum
// gives (every partial sum is an integer far below 2^53).
//
// Runs of one code would chain every increment on the previous one through memory; four
// interleaved copies of the table, picked by the case's position, break those chains. Very many
// categories (32-bit codes) get one copy.
class Tally {
 public:
  explicit Tally(long long numOfCategories)
      : mNumOfCategories(numOfCategories),
        mStride(static_cast<std::size_t>(2 * (numOfCategories + 2))),
        mCopyMask(numOfCategories <= 4096 ? 3 : 0),
        mCounts(mStride * static_cast<std::size_t>(mCopyMask + 1), 0) {}

  long long NumOfCategories() const { return mNumOfCategories; }
  // Where the k-th case of a pass adds to slot `slot`, response bit `responds`.
  std::int64_t& At(int k, std::size_t slot, std::size_t responds) {
    return mCounts[static_cast<std::size_t>(k & mCopyMask) * mStride + 2 * slot + responds];
  }
  // The measure of one slot, as the view's ComputeMeasure makes it of the slot's cases.
  DLMeasure MeasureOf(std::size_t slot) const {
    std::int64_t other = 0, responses = 0;
    for (int copy = 0; copy <= mCopyMask; ++copy) {
      other += mCounts[static_cast<std::size_t>(copy) * mStride + 2 * slot];
      responses += mCounts[static_cast<std::size_t>(copy) * mStride + 2 * slot + 1];
    }
    DLMeasure m;
    if (other + responses != 0) {
      m.SetValues(static_cast<double>(other + responses), static_cast<double>(responses));
    }
    return m;
  }

 private:
  long long mNumOfCategories;
  std::size_t mStride;
  int mCopyMask;
  std::vector<std::int64_t> mCounts;
};

template <bool kWeighted, bool kHasTarget, typename Code, typename SlotOf, typename Target>
void CountPass(const DLBitSet& covered, const Code* codes, SlotOf slotOf, const Target* targets,
               long long responseCode, const std::int32_t* weights, Tally& tally) {
  ForEachCaseInAnyOrder(covered, [&](int k, int id) {
    const std::size_t slot = slotOf(codes[id]);
    std::size_t responds = 0;
    if (kHasTarget) responds = static_cast<long long>(targets[id]) == responseCode ? 1 : 0;
    if (kWeighted) {
      const std::int32_t w = weights[id];
      tally.At(k, slot, responds) += w > 0 ? w : 0;
    } else {
      ++tally.At(k, slot, responds);
    }
  });
}

// Fills `tally` reading the storage of the three columns directly; false (and nothing done)
// when one of them is not one of the library's own columns. `target` null: nobody responds;
// `weight` null: every case weighs 1.
bool DirectSplit(const DLBitSet& covered, const IDLAttribute* attr, const IDLAttribute* target,
                 long long responseCode, const IDLAttribute* weight, long long missingCode,
                 Tally& tally) {
  const std::uint8_t* codes8 = StorageOf<std::uint8_t>(attr);
  const std::int32_t* codes32 = StorageOf<std::int32_t>(attr);
  const std::uint8_t* targets8 = StorageOf<std::uint8_t>(target);
  const std::int32_t* targets32 = StorageOf<std::int32_t>(target);
  const std::int32_t* weights32 = StorageOf<std::int32_t>(weight);
  if ((codes8 == nullptr && codes32 == nullptr) ||
      (target != nullptr && targets8 == nullptr && targets32 == nullptr) ||
      (weight != nullptr && weights32 == nullptr)) {
    return false;
  }
  const long long n = tally.NumOfCategories();
  auto withCodes = [&](const auto* codes, auto slotOf) {
    auto withTarget = [&](auto hasTarget, const auto* targets) {
      constexpr bool kHasTarget = decltype(hasTarget)::value;
      if (weights32 != nullptr) {
        CountPass<true, kHasTarget>(covered, codes, slotOf, targets, responseCode, weights32,
                                    tally);
      } else {
        CountPass<false, kHasTarget>(covered, codes, slotOf, targets, responseCode, weights32,
                                     tally);
      }
    };
    if (targets8 != nullptr) {
      withTarget(std::true_type(), targets8);
    } else if (targets32 != nullptr) {
      withTarget(std::true_type(), targets32);
    } else {
      withTarget(std::false_type(), targets8);
    }
  };
  if (codes8 != nullptr) {
    // Byte codes: one table lookup gives the slot, without a branch.
    std::array<std::uint16_t, 256> slots;
    for (long long c = 0; c < 256; ++c) {
      slots[static_cast<std::size_t>(c)] =
          static_cast<std::uint16_t>(c < n ? c : (c == missingCode ? n : n + 1));
    }
    withCodes(codes8, [&slots](std::uint8_t c) { return static_cast<std::size_t>(slots[c]); });
  } else {
    withCodes(codes32, [n, missingCode](std::int32_t c) {
      const long long code = c;
      return static_cast<std::size_t>(code >= 0 && code < n ? code
                                                            : (code == missingCode ? n : n + 1));
    });
  }
  return true;
}

// --- Any other column: read through the interface ------------------------------------------

struct Sums {
  double coverage = 0.0;
  double response = 0.0;
};

DLMeasure ToMeasure(const Sums& s) {
  DLMeasure m;
  if (s.coverage != 0.0) m.SetValues(s.coverage, s.response);
  return m;
}

// The same split with GetValue reads and double sums, added in case order as the view adds.
void InterfaceSplit(const DLBitSet& covered, const IDLAttribute* attr, const IDLAttribute* target,
                    long long responseCode, const IDLAttribute* weight, long long missingCode,
                    DLAttributeMeasure& result) {
  const long long n = result.GetNumOfCategories();
  std::vector<Sums> sums(static_cast<std::size_t>(n + 1));  // the last for the missing code
  const double r = static_cast<double>(responseCode);
  ruleweave::detail::ForEachElement(covered, [&](int id) {
    const double value = attr->GetValue(id);
    std::size_t slot;
    if (value >= 0 && value < static_cast<double>(n)) {
      slot = static_cast<std::size_t>(value);
    } else if (value == static_cast<double>(missingCode)) {
      slot = static_cast<std::size_t>(n);
    } else {
      return;  // no category for it
    }
    const double w = weight != nullptr ? CountedWeight(weight->GetValue(id)) : 1.0;
    sums[slot].coverage += w;
    if (target != nullptr && target->GetValue(id) == r) sums[slot].response += w;
  });
  for (long long i = 0; i < n; ++i) {
    *result.GetMeasure(static_cast<int>(i)) = ToMeasure(sums[static_cast<std::size_t>(i)]);
  }
  *result.GetMissingMeasure() = ToMeasure(sums[static_cast<std::size_t>(n)]);
}

const DLBitSet& CheckedCases(const IDLDataView& view, const DLBitSet& coveredCases) {
  if (view.GetNumOfCases() <= 0 || coveredCases.GetCapacity() != view.GetNumOfCases()) {
    throw QXDecision::ConstructorException(
        "DLRuleCoverage",
        "dataview.NumOfCases > 0 && coveredCases.Capacity == dataview.NumOfCases");
  }
  return coveredCases;
}

}  // namespace

DLRuleCoverage::DLRuleCoverage(const IDLDataView& view, const DLBitSet& coveredCases)
    : mView(&view), mCovered(CheckedCases(view, coveredCases)) {
  Remeasure();
}

DLRuleCoverage::DLRuleCoverage(const IDLDataView& view, const DLBitSet& coveredCases, Deferred)
    : mView(&view), mCovered(CheckedCases(view, coveredCases)) {}

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
  if (!Restrict(segment)) return false;
  Remeasure();
  return true;
}

bool DLRuleCoverage::Restrict(DLSegment const& segment) {
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
  const long long responseCode = ruleweave::detail::ResponseCode(*mView);
  const long long missingCode = attr->GetMissingCategory();

  const IDLAttribute* usedTarget = targetUsable ? target : nullptr;
  Tally tally(n);
  if (DirectSplit(mCovered, attr, usedTarget, responseCode, weight, missingCode, tally)) {
    for (int i = 0; i < n; ++i) {
      *result->GetMeasure(i) = tally.MeasureOf(static_cast<std::size_t>(i));
    }
    *result->GetMissingMeasure() = tally.MeasureOf(static_cast<std::size_t>(n));
  } else {
    InterfaceSplit(mCovered, attr, usedTarget, responseCode, weight, missingCode, *result);
  }
  return result.release();
}
