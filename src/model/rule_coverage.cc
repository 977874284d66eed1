// DLRuleCoverage: narrowing a rule's covered cases one condition at a time, and the one-pass
// breakdown of those cases by the category codes of an attribute.
#include "model/rule_coverage.h"

#include <cstdint>
#include <memory>
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

// --- Direct pass over the library's own columns --------------------------------------------
//
// The covered cases are gathered a block at a time (ids, response bits and counted weights),
// and every attribute of the group adds the block to its own tally: the walk over the set's
// words, the target and the weights are read once for all the attributes, and each attribute's
// inner loop is one code load and one increment per case.
//
// Per slot the tally holds two counters: the count (or summed weight) of the cases that do not
// respond and of those that do, side by side, so that one case makes one increment at
// 2 * slot + responds. Byte codes are their own slots (afterwards 0 .. n-1 are the categories and
// the missing code 255 the missing slot), which spares a lookup per case; int codes map to
// 0 .. n-1, n for the missing code and n+1 for a code without a category (a data set never
// stores one). Stored weights are integers, so each integer sum converts to exactly the double
// that the view's case-by-case double sum gives (every partial sum is an integer far below
// 2^53). Unweighted counts fit 32 bits (a set holds fewer than 2^31 cases), which halves the
// table.
//
// Runs of one code would chain every increment on the previous one through memory; four
// interleaved copies of the table, picked by the case's position in the block, break those
// chains. Small sets and very many categories get one copy, so the table stays small next to
// the work.

// The target and weight storage a pass reads (null: nobody responds, every case weighs 1).
struct CaseReaders {
  const std::uint8_t* targets8;
  const std::int32_t* targets32;
  long long responseCode;
  const std::int32_t* weights32;
};

// Calls f(responds) with the fastest test of a case's response bit; a response code outside the
// column's range matches no case.
template <typename F>
void WithResponds(const CaseReaders& r, F f) {
  if (r.targets8 != nullptr && r.responseCode >= 0 && r.responseCode <= 255) {
    const std::uint8_t* targets = r.targets8;
    const auto code = static_cast<std::uint8_t>(r.responseCode);
    f([targets, code](int id) { return std::uint8_t{targets[id] == code}; });
  } else if (r.targets32 != nullptr && r.responseCode >= INT32_MIN && r.responseCode <= INT32_MAX) {
    const std::int32_t* targets = r.targets32;
    const auto code = static_cast<std::int32_t>(r.responseCode);
    f([targets, code](int id) { return std::uint8_t{targets[id] == code}; });
  } else {
    f([](int) { return std::uint8_t{0}; });
  }
}

// Covered cases of one block (their order within a word does not matter to integer tallies).
struct CaseBlock {
  static constexpr int kSize = 1024;
  int count = 0;
  std::int32_t ids[kSize];
  std::uint8_t responds[kSize];
  std::int32_t weights[kSize];  // counted weights; filled only with a weight column
};

// Fills `block` from the covered cases and calls onBlock() whenever it is full and once at the
// end. responds(id) is a case's response bit, weightOf(id) its counted weight (null: none).
template <typename Responds, typename WeightOf, typename OnBlock>
void ForEachBlock(const DLBitSet& covered, Responds responds, WeightOf weightOf, CaseBlock& block,
                  OnBlock onBlock) {
  block.count = 0;
  ruleweave::detail::ForEachElementInAnyOrder(covered, [&](int id) {
    const int k = block.count;
    block.ids[k] = id;
    block.responds[k] = responds(id);
    weightOf(block.weights + k, id);
    if (++block.count == CaseBlock::kSize) {
      onBlock();
      block.count = 0;
    }
  });
  if (block.count > 0) onBlock();
}

// One attribute's tally over the blocks of a pass.
class ColumnSplit {
 public:
  virtual ~ColumnSplit() = default;
  virtual void Add(const CaseBlock& block) = 0;
  // The whole pass for this attribute alone, without blocks: one walk over the covered cases.
  virtual void AddAll(const DLBitSet& covered, const CaseReaders& readers) = 0;
  // Copies the tally into the attribute's measures.
  virtual void Finish(DLAttributeMeasure& result) const = 0;
};

template <typename Count, bool kWeighted, typename Code, typename SlotOf>
class ColumnSplitOf : public ColumnSplit {
 public:
  ColumnSplitOf(const Code* codes, std::size_t numOfSlots, SlotOf slotOf, std::size_t missingSlot,
                bool interleave)
      : mCodes(codes),
        mSlotOf(slotOf),
        mMissingSlot(missingSlot),
        mStride(2 * numOfSlots),
        mCopies(interleave ? 4 : 1),
        mCounts(mStride * mCopies, 0) {}

  void Add(const CaseBlock& block) override {
    Count* const t0 = mCounts.data();
    Count* const t1 = t0 + (1 % mCopies) * mStride;
    Count* const t2 = t0 + (2 % mCopies) * mStride;
    Count* const t3 = t0 + (3 % mCopies) * mStride;
    const int n = block.count;
    int j = 0;
    for (; j + 4 <= n; j += 4) {
      t0[Index(block, j)] += Value(block, j);
      t1[Index(block, j + 1)] += Value(block, j + 1);
      t2[Index(block, j + 2)] += Value(block, j + 2);
      t3[Index(block, j + 3)] += Value(block, j + 3);
    }
    for (; j < n; ++j) t0[Index(block, j)] += Value(block, j);
  }

  void AddAll(const DLBitSet& covered, const CaseReaders& readers) override {
    Count* const t[4] = {mCounts.data(), mCounts.data() + (1 % mCopies) * mStride,
                         mCounts.data() + (2 % mCopies) * mStride,
                         mCounts.data() + (3 % mCopies) * mStride};
    const std::int32_t* weights = readers.weights32;
    WithResponds(readers, [&](auto responds) {
      unsigned k = 0;
      ruleweave::detail::ForEachElementInAnyOrder(covered, [&](int id) {
        const Count value =
            kWeighted ? static_cast<Count>(weights[id] > 0 ? weights[id] : 0) : Count{1};
        t[k++ & 3u][2 * mSlotOf(mCodes[id]) + responds(id)] += value;
      });
    });
  }

  void Finish(DLAttributeMeasure& result) const override {
    const int n = result.GetNumOfCategories();
    for (int i = 0; i < n; ++i) *result.GetMeasure(i) = MeasureOf(static_cast<std::size_t>(i));
    *result.GetMissingMeasure() = MeasureOf(mMissingSlot);
  }

 private:
  std::size_t Index(const CaseBlock& block, int j) const {
    return 2 * mSlotOf(mCodes[block.ids[j]]) + block.responds[j];
  }
  static Count Value(const CaseBlock& block, int j) {
    return kWeighted ? static_cast<Count>(block.weights[j]) : Count{1};
  }
  // The measure of one slot, as the view's ComputeMeasure makes it of the slot's cases.
  DLMeasure MeasureOf(std::size_t slot) const {
    std::int64_t other = 0, responses = 0;
    for (std::size_t copy = 0; copy < mCopies; ++copy) {
      other += static_cast<std::int64_t>(mCounts[copy * mStride + 2 * slot]);
      responses += static_cast<std::int64_t>(mCounts[copy * mStride + 2 * slot + 1]);
    }
    DLMeasure m;
    if (other + responses != 0) {
      m.SetValues(static_cast<double>(other + responses), static_cast<double>(responses));
    }
    return m;
  }

  const Code* mCodes;
  SlotOf mSlotOf;
  std::size_t mMissingSlot;
  std::size_t mStride;
  std::size_t mCopies;
  std::vector<Count> mCounts;
};

template <typename Count, bool kWeighted, typename Code, typename SlotOf>
std::unique_ptr<ColumnSplit> MakeColumnSplit(const Code* codes, std::size_t numOfSlots,
                                             SlotOf slotOf, std::size_t missingSlot,
                                             bool interleave) {
  return std::make_unique<ColumnSplitOf<Count, kWeighted, Code, SlotOf>>(codes, numOfSlots, slotOf,
                                                                         missingSlot, interleave);
}

// The tally of one attribute read straight from its storage; null when the column is not one of
// the library's own.
template <typename Count, bool kWeighted>
std::unique_ptr<ColumnSplit> DirectColumnSplit(const IDLAttribute& attr, int numOfCategories,
                                               long long missingCode, int numOfCases) {
  const long long n = numOfCategories;
  if (const std::uint8_t* codes = StorageOf<std::uint8_t>(&attr)) {
    // Byte codes are their own slots. A missing code that is not a byte above the categories
    // counts nothing: its slot is then 256, which no byte reaches.
    const std::size_t slots = static_cast<std::size_t>(n > 257 ? n : 257);
    const bool interleave = numOfCases >= 8192;
    const std::size_t missingSlot =
        missingCode >= n && missingCode <= 255 ? static_cast<std::size_t>(missingCode) : 256;
    return MakeColumnSplit<Count, kWeighted>(
        codes, slots, [](std::uint8_t c) { return static_cast<std::size_t>(c); }, missingSlot,
        interleave);
  }
  if (const std::int32_t* codes = StorageOf<std::int32_t>(&attr)) {
    const std::size_t slots = static_cast<std::size_t>(n + 2);
    const bool interleave = numOfCases >= 8192 && slots <= 4096;
    return MakeColumnSplit<Count, kWeighted>(
        codes, slots,
        [n, missingCode](std::int32_t c) {
          const long long code = c;
          return static_cast<std::size_t>(
              code >= 0 && code < n ? code : (code == missingCode ? n : n + 1));
        },
        static_cast<std::size_t>(n), interleave);
  }
  return nullptr;
}

// Runs the pass for the attributes whose tallies are in `splits` (null entries are skipped):
// blocks shared by all of them, or one plain walk when there is only one.
void RunPass(const DLBitSet& covered, const CaseReaders& readers,
             const std::vector<std::unique_ptr<ColumnSplit>>& splits) {
  ColumnSplit* only = nullptr;
  int count = 0;
  for (const auto& split : splits) {
    if (split) {
      only = split.get();
      ++count;
    }
  }
  if (count == 1) {
    only->AddAll(covered, readers);
    return;
  }
  CaseBlock block;
  auto onBlock = [&] {
    for (const auto& split : splits) {
      if (split) split->Add(block);
    }
  };
  const std::int32_t* weights = readers.weights32;
  WithResponds(readers, [&](auto responds) {
    if (weights != nullptr) {
      ForEachBlock(
          covered, responds,
          [weights](std::int32_t* slot, int id) { *slot = weights[id] > 0 ? weights[id] : 0; },
          block, onBlock);
    } else {
      ForEachBlock(
          covered, responds, [](std::int32_t*, int) {}, block, onBlock);
    }
  });
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
  return Breakdown({attr}, ruleweave::detail::ResponseCode(*mView))[0].release();
}

std::vector<std::unique_ptr<DLAttributeMeasure>> DLRuleCoverage::GetAttributeMeasures(
    const std::vector<int>& indices, long long responseCode) const {
  std::vector<const IDLAttribute*> attrs;
  attrs.reserve(indices.size());
  for (int index : indices) attrs.push_back(mView->GetAttribute(index));
  return Breakdown(attrs, responseCode);
}

long long DLRuleCoverage::GetResponseCode() const {
  return ruleweave::detail::ResponseCode(*mView);
}

std::vector<std::unique_ptr<DLAttributeMeasure>> DLRuleCoverage::Breakdown(
    const std::vector<const IDLAttribute*>& attrs, long long responseCode) const {
  std::vector<std::unique_ptr<DLAttributeMeasure>> results(attrs.size());
  if (mCovered.IsEmpty()) return results;
  // The view counts nothing from a weight or target column of another length than the set.
  const int capacity = mCovered.GetCapacity();
  const IDLAttribute* weight = mView->GetFreqWeightAttribute();
  const IDLAttribute* target = mView->GetTargetAttribute();
  const bool countNothing = weight != nullptr && weight->GetNumOfCases() != capacity;
  if (target != nullptr && target->GetNumOfCases() != capacity) target = nullptr;

  const std::uint8_t* targets8 = StorageOf<std::uint8_t>(target);
  const std::int32_t* targets32 = StorageOf<std::int32_t>(target);
  const std::int32_t* weights32 = StorageOf<std::int32_t>(weight);
  // The block pass reads the target and weight storage directly; any other kind of column sends
  // every attribute through the interface.
  const bool direct = (target == nullptr || targets8 != nullptr || targets32 != nullptr) &&
                      (weight == nullptr || weights32 != nullptr);
  const int numOfCases = mCovered.GetNumOfElements();

  std::vector<std::unique_ptr<ColumnSplit>> splits(attrs.size());
  bool anySplit = false;
  for (std::size_t a = 0; a < attrs.size(); ++a) {
    const IDLAttribute* attr = attrs[a];
    if (attr == nullptr) continue;
    const IDLVar* var = attr->GetVar();
    if (var == nullptr || var->GetVarRole() != IDLVar::kPredictor) continue;
    const int kind = attr->GetAttributeKind();
    if (kind != IDLAttribute::kCategoricalAttribute && kind != IDLAttribute::kBinnedAttribute) {
      continue;
    }
    const int n = attr->GetNumOfCategories();
    if (n < 1) continue;
    const long long missingCode = attr->GetMissingCategory();
    results[a] = std::make_unique<DLAttributeMeasure>(n, attr->GetMissingCategory());
    if (countNothing) continue;
    if (direct) {
      splits[a] = weights32 != nullptr
                      ? DirectColumnSplit<std::int64_t, true>(*attr, n, missingCode, numOfCases)
                      : DirectColumnSplit<std::uint32_t, false>(*attr, n, missingCode, numOfCases);
    }
    if (splits[a]) {
      anySplit = true;
    } else {
      InterfaceSplit(mCovered, attr, target, responseCode, weight, missingCode, *results[a]);
    }
  }
  if (anySplit) {
    RunPass(mCovered, CaseReaders{targets8, targets32, responseCode, weights32}, splits);
    for (std::size_t a = 0; a < attrs.size(); ++a) {
      if (splits[a]) splits[a]->Finish(*results[a]);
    }
  }
  return results;
}
