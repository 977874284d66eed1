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
// The covered cases are gathered a block at a time, split by the response (the ids of the cases
// that do not respond and of those that do, each with its counted weight), and every attribute
// of the group adds the block to its own tally: the walk over the set's words, the target and
// the weights are read once for all the attributes. The gathering works a word of the set at a
// time: the word's response bits (from the responder bits a search shares, or from 32 target
// bytes compared at once) split it in two, and a table turns each byte of the two halves into
// case ids without a branch on the data. A group of byte-coded attributes (the usual case) adds
// a block in one loop that reads each case's id once for the whole group; any other attribute
// adds it on its own, one id load, one code load and one increment per case.
//
// The tally holds one row of counters (the count, or summed weight, per slot) for the cases that
// do not respond and one for those that do. Byte codes are their own slots (afterwards
// 0 .. n-1 are the categories and the missing code 255 the missing slot), which spares a lookup
// per case; int codes map to 0 .. n-1, n for the missing code and n+1 for a code without a
// category (a data set never stores one). Stored weights are integers, so each integer sum
// converts to exactly the double that the view's case-by-case double sum gives (every partial
// sum is an integer far below 2^53), whatever the order of the cases. Unweighted counts fit 32
// bits (a set holds fewer than 2^31 cases), which halves the table.
//
// Runs of one code would chain every increment on the previous one through memory; four
// interleaved copies of the table, picked by the case's position in the block, break those
// chains. Small sets and very many categories get one copy, so the table stays small next to
// the work.

// The target and weight storage a pass reads (null: nobody responds, every case weighs 1), and
// the responder bits when they fit the set.
struct CaseReaders {
  const std::uint8_t* targets8;
  const std::int32_t* targets32;
  long long responseCode;
  const std::int32_t* weights32;
  const DLResponders* responders;  // when not null, read instead of the target in block passes
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

// The response bits of the elements `w` of the word starting at case `base`, asked case by case:
// bit (31 - p) for the case base + p when it is an element and responds(base + p).
template <typename Responds>
std::uint32_t ResponseBitsOneByOne(std::uint32_t w, int base, Responds responds) {
  std::uint32_t bits = 0;
  while (w != 0) {
    const int shift = __builtin_ctz(w);
    bits |= static_cast<std::uint32_t>(responds(base + 31 - shift)) << shift;
    w &= w - 1;
  }
  return bits;
}

// Calls f(responseBits) with the fastest reader of the response bits of a word: responseBits(i,
// w) for word i holding the elements w answers as ResponseBitsOneByOne. The responder bits are
// read when given; otherwise byte targets of a word that lies wholly inside the column are
// compared 32 at a time, and a lone element or any other target is asked case by case.
// `capacity` is the length of the set and the target.
template <typename F>
void WithResponseBits(const CaseReaders& r, int capacity, F f) {
  if (r.responders != nullptr) {
    const std::uint32_t* words = r.responders->words.data() - r.responders->firstWord;
    f([words](int i, std::uint32_t w) { return w & words[i]; });
  } else if (r.targets8 != nullptr && r.responseCode >= 0 && r.responseCode <= 255) {
    const std::uint8_t* targets = r.targets8;
    const auto code = static_cast<std::uint8_t>(r.responseCode);
    const int wholeWords = capacity / 32;
    f([targets, code, wholeWords](int i, std::uint32_t w) {
      const int base = 32 * i;
      // A single element is cheaper to ask alone.
      if (i < wholeWords && (w & (w - 1)) != 0) {
        return ruleweave::detail::BytesInRangeMask(targets + base, code, 0) & w;
      }
      return ResponseBitsOneByOne(w, base, [targets, code](int id) { return targets[id] == code; });
    });
  } else if (r.targets32 != nullptr && r.responseCode >= INT32_MIN && r.responseCode <= INT32_MAX) {
    const std::int32_t* targets = r.targets32;
    const auto code = static_cast<std::int32_t>(r.responseCode);
    f([targets, code](int i, std::uint32_t w) {
      return ResponseBitsOneByOne(w, 32 * i,
                                  [targets, code](int id) { return targets[id] == code; });
    });
  } else {
    f([](int, std::uint32_t) { return std::uint32_t{0}; });
  }
}

// Positions of the set bits of a byte, the most significant bit being position 0 (the set's
// order), padded with zeros to eight entries; and the number of set bits.
struct BytePositions {
  std::int32_t positions[256][8];
  std::uint8_t counts[256];
};

constexpr BytePositions MakeBytePositions() {
  BytePositions t{};
  for (int x = 0; x < 256; ++x) {
    int k = 0;
    for (int p = 0; p < 8; ++p) {
      if ((x & (0x80 >> p)) != 0) t.positions[x][k++] = p;
    }
    t.counts[x] = static_cast<std::uint8_t>(k);
  }
  return t;
}

constexpr BytePositions kBytePositions = MakeBytePositions();

// Writes the cases of the bits of `bits` (bit 31 - p: case base + p) to out and returns their
// number. Each byte of the word writes eight entries from the table whatever its bits (the
// entries past its count are junk that the next writes overwrite), so nothing depends on the
// data but the store position; out needs room for the count plus eight.
inline int AppendCases(std::uint32_t bits, int base, std::int32_t* out) {
  int n = 0;
  for (int g = 0; g < 4; ++g) {
    const unsigned x = (bits >> (24 - 8 * g)) & 0xFFu;
    const std::int32_t* positions = kBytePositions.positions[x];
    const int first = base + 8 * g;
    std::int32_t* o = out + n;
    for (int k = 0; k < 8; ++k) o[k] = first + positions[k];
    n += kBytePositions.counts[x];
  }
  return n;
}

// Covered cases of one block: ids[0] do not respond, ids[1] do (their order does not matter to
// integer tallies). A block holds at least kSize cases before it is handed on (the last one
// fewer); each list has room for a block and one more word with its junk slots.
struct CaseBlock {
  static constexpr int kSize = 1024;
  static constexpr int kRoom = kSize + 40;
  int count[2] = {0, 0};
  std::int32_t ids[2][kRoom];
  std::int32_t weights[2][kRoom];  // counted weights; filled only with a weight column
};

// Fills `block` from the covered cases a word at a time and calls onBlock() whenever it holds
// kSize cases or more, and once at the end. responseBits is a reader from WithResponseBits;
// weights32, when not null, are the stored weights.
template <typename ResponseBits, typename OnBlock>
void ForEachBlock(const DLBitSet& covered, ResponseBits responseBits, const std::int32_t* weights32,
                  CaseBlock& block, OnBlock onBlock) {
  if (covered.IsEmpty()) return;
  std::int32_t* const ids0 = block.ids[0];
  std::int32_t* const ids1 = block.ids[1];
  auto handOn = [&](int n0, int n1) {
    block.count[0] = n0;
    block.count[1] = n1;
    if (weights32 != nullptr) {
      for (int r = 0; r < 2; ++r) {
        for (int j = 0; j < block.count[r]; ++j) {
          const std::int32_t w = weights32[block.ids[r][j]];
          block.weights[r][j] = w > 0 ? w : 0;
        }
      }
    }
    onBlock();
  };
  const std::uint32_t* words = covered.GetWords();
  const int last = (covered.GetEnd() - 1) >> 5;
  int n0 = 0;
  int n1 = 0;
  for (int i = covered.GetFirst() >> 5; i <= last; ++i) {
    const std::uint32_t w = words[i];
    if (w == 0) continue;
    const std::uint32_t responding = responseBits(i, w);
    n0 += AppendCases(w & ~responding, 32 * i, ids0 + n0);
    n1 += AppendCases(responding, 32 * i, ids1 + n1);
    if (n0 + n1 >= CaseBlock::kSize) {
      handOn(n0, n1);
      n0 = 0;
      n1 = 0;
    }
  }
  if (n0 + n1 > 0) handOn(n0, n1);
}

// Slots per row of a byte tally over at most 255 categories: the 256 byte codes and one for a
// missing code that counts nothing.
constexpr std::size_t kByteSlots = 257;

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
        mSlots(numOfSlots),
        mStride(2 * numOfSlots),
        mCopies(interleave ? 4 : 1),
        mCounts(mStride * mCopies, 0) {}

  void Add(const CaseBlock& block) override {
    for (int r = 0; r < 2; ++r) {
      Count* const t0 = mCounts.data() + static_cast<std::size_t>(r) * mSlots;
      Count* const t1 = t0 + (1 % mCopies) * mStride;
      Count* const t2 = t0 + (2 % mCopies) * mStride;
      Count* const t3 = t0 + (3 % mCopies) * mStride;
      const std::int32_t* ids = block.ids[r];
      const std::int32_t* weights = block.weights[r];
      const int n = block.count[r];
      int j = 0;
      for (; j + 4 <= n; j += 4) {
        t0[Slot(ids[j])] += Value(weights, j);
        t1[Slot(ids[j + 1])] += Value(weights, j + 1);
        t2[Slot(ids[j + 2])] += Value(weights, j + 2);
        t3[Slot(ids[j + 3])] += Value(weights, j + 3);
      }
      for (; j < n; ++j) t0[Slot(ids[j])] += Value(weights, j);
    }
  }

  void AddAll(const DLBitSet& covered, const CaseReaders& readers) override {
    Count* const t[4] = {mCounts.data(), mCounts.data() + (1 % mCopies) * mStride,
                         mCounts.data() + (2 % mCopies) * mStride,
                         mCounts.data() + (3 % mCopies) * mStride};
    const std::int32_t* weights = readers.weights32;
    const std::size_t slots = mSlots;
    WithResponds(readers, [&](auto responds) {
      unsigned k = 0;
      ruleweave::detail::ForEachElementInAnyOrder(covered, [&](int id) {
        const Count value =
            kWeighted ? static_cast<Count>(weights[id] > 0 ? weights[id] : 0) : Count{1};
        t[k++ & 3u][(responds(id) != 0 ? slots : 0) + Slot(id)] += value;
      });
    });
  }

  void Finish(DLAttributeMeasure& result) const override {
    const int n = result.GetNumOfCategories();
    for (int i = 0; i < n; ++i) *result.GetMeasure(i) = MeasureOf(static_cast<std::size_t>(i));
    *result.GetMissingMeasure() = MeasureOf(mMissingSlot);
  }

  // For the fused pass (AddBytes): the codes, the table and whether its layout is the one that
  // pass assumes (kByteSlots slots per row, four copies).
  const Code* GetCodes() const { return mCodes; }
  Count* GetCounts() { return mCounts.data(); }
  bool HasFusedLayout() const { return mSlots == kByteSlots && mCopies == 4; }

 private:
  std::size_t Slot(std::int32_t id) const { return mSlotOf(mCodes[id]); }
  static Count Value(const std::int32_t* weights, int j) {
    return kWeighted ? static_cast<Count>(weights[j]) : Count{1};
  }
  // The measure of one slot, as the view's ComputeMeasure makes it of the slot's cases.
  DLMeasure MeasureOf(std::size_t slot) const {
    std::int64_t other = 0, responses = 0;
    for (std::size_t copy = 0; copy < mCopies; ++copy) {
      other += static_cast<std::int64_t>(mCounts[copy * mStride + slot]);
      responses += static_cast<std::int64_t>(mCounts[copy * mStride + mSlots + slot]);
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
  std::size_t mSlots;   // slots per row
  std::size_t mStride;  // one copy: the row of non-responders, then that of responders
  std::size_t mCopies;
  std::vector<Count> mCounts;
};

// Byte codes are their own slots; a named type, so that the pass recognises byte tallies.
struct ByteSlot {
  std::size_t operator()(std::uint8_t c) const { return c; }
};

template <typename Count, bool kWeighted>
using ByteSplit = ColumnSplitOf<Count, kWeighted, std::uint8_t, ByteSlot>;

// Adds a block to kA byte tallies at once, case by case: each case's id is read once for all of
// them, and the copy a case goes to is a constant offset. The tallies must have the fused
// layout.
template <int kA, typename Count, bool kWeighted>
void AddBytes(const CaseBlock& block, ByteSplit<Count, kWeighted>* const* splits) {
  constexpr std::size_t kStride = 2 * kByteSlots;
  for (int r = 0; r < 2; ++r) {
    const std::uint8_t* codes[kA];
    Count* t[kA];
    for (int a = 0; a < kA; ++a) {
      codes[a] = splits[a]->GetCodes();
      t[a] = splits[a]->GetCounts() + static_cast<std::size_t>(r) * kByteSlots;
    }
    const std::int32_t* ids = block.ids[r];
    const std::int32_t* weights = block.weights[r];
    const int n = block.count[r];
    int j = 0;
    for (; j + 4 <= n; j += 4) {
      for (int k = 0; k < 4; ++k) {
        const std::int32_t id = ids[j + k];
        const Count v = kWeighted ? static_cast<Count>(weights[j + k]) : Count{1};
        for (int a = 0; a < kA; ++a) t[a][k * kStride + codes[a][id]] += v;
      }
    }
    for (; j < n; ++j) {
      const std::int32_t id = ids[j];
      const Count v = kWeighted ? static_cast<Count>(weights[j]) : Count{1};
      for (int a = 0; a < kA; ++a) t[a][codes[a][id]] += v;
    }
  }
}

// The byte tallies of `splits` when every one of them is a ByteSplit<Count, kWeighted> with the
// fused layout; empty otherwise.
template <typename Count, bool kWeighted>
std::vector<ByteSplit<Count, kWeighted>*> FusedSplits(
    const std::vector<std::unique_ptr<ColumnSplit>>& splits) {
  std::vector<ByteSplit<Count, kWeighted>*> bytes;
  for (const auto& split : splits) {
    if (!split) continue;
    auto* b = dynamic_cast<ByteSplit<Count, kWeighted>*>(split.get());
    if (b == nullptr || !b->HasFusedLayout()) return {};
    bytes.push_back(b);
  }
  return bytes;
}

// Adds a block to the byte tallies, four at a time.
template <typename Count, bool kWeighted>
void AddBytesInFours(const CaseBlock& block,
                     const std::vector<ByteSplit<Count, kWeighted>*>& splits) {
  const std::size_t n = splits.size();
  for (std::size_t a = 0; a < n; a += 4) {
    ByteSplit<Count, kWeighted>* const* group = splits.data() + a;
    switch (n - a) {
      case 1:
        AddBytes<1, Count, kWeighted>(block, group);
        break;
      case 2:
        AddBytes<2, Count, kWeighted>(block, group);
        break;
      case 3:
        AddBytes<3, Count, kWeighted>(block, group);
        break;
      default:
        AddBytes<4, Count, kWeighted>(block, group);
        break;
    }
  }
}

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
    const std::size_t slots =
        static_cast<std::size_t>(n) > kByteSlots ? static_cast<std::size_t>(n) : kByteSlots;
    const bool interleave = numOfCases >= 8192;
    const std::size_t missingSlot =
        missingCode >= n && missingCode <= 255 ? static_cast<std::size_t>(missingCode) : 256;
    return MakeColumnSplit<Count, kWeighted>(codes, slots, ByteSlot{}, missingSlot, interleave);
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
  // Byte tallies (the usual group) go through the fused loop; any other mix adds the block
  // attribute by attribute.
  const auto bytes = FusedSplits<std::uint32_t, false>(splits);
  const auto weightedBytes = FusedSplits<std::int64_t, true>(splits);
  auto onBlock = [&] {
    if (!bytes.empty()) {
      AddBytesInFours(block, bytes);
    } else if (!weightedBytes.empty()) {
      AddBytesInFours(block, weightedBytes);
    } else {
      for (const auto& split : splits) {
        if (split) split->Add(block);
      }
    }
  };
  WithResponseBits(readers, covered.GetCapacity(), [&](auto responseBits) {
    ForEachBlock(covered, responseBits, readers.weights32, block, onBlock);
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
  return Breakdown({attr}, ruleweave::detail::ResponseCode(*mView), nullptr, nullptr)[0].release();
}

std::vector<std::unique_ptr<DLAttributeMeasure>> DLRuleCoverage::GetAttributeMeasures(
    const std::vector<int>& indices, long long responseCode, const DLResponders* responders,
    bool* wholeNumbers) const {
  std::vector<const IDLAttribute*> attrs;
  attrs.reserve(indices.size());
  for (int index : indices) attrs.push_back(mView->GetAttribute(index));
  return Breakdown(attrs, responseCode, responders, wholeNumbers);
}

std::shared_ptr<const DLResponders> DLRuleCoverage::MakeResponders(long long responseCode) const {
  if (mCovered.IsEmpty()) return nullptr;
  const int capacity = mCovered.GetCapacity();
  const IDLAttribute* target = mView->GetTargetAttribute();
  if (target == nullptr || target->GetNumOfCases() != capacity) return nullptr;
  const std::uint8_t* targets8 = StorageOf<std::uint8_t>(target);
  const std::int32_t* targets32 = StorageOf<std::int32_t>(target);
  if (targets8 == nullptr && targets32 == nullptr) return nullptr;
  auto responders = std::make_shared<DLResponders>();
  responders->target = target;
  responders->capacity = capacity;
  responders->responseCode = responseCode;
  const int first = mCovered.GetFirst() >> 5;
  const int last = (mCovered.GetEnd() - 1) >> 5;
  responders->firstWord = first;
  responders->words.resize(static_cast<std::size_t>(last - first + 1));
  const CaseReaders readers{targets8, targets32, responseCode, nullptr, nullptr};
  WithResponseBits(readers, capacity, [&](auto responseBits) {
    for (int i = first; i <= last; ++i) {
      // Every case of the word below the capacity.
      const int inWord = capacity - 32 * i;
      const std::uint32_t all = inWord >= 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> inWord);
      responders->words[static_cast<std::size_t>(i - first)] = responseBits(i, all);
    }
  });
  return responders;
}

long long DLRuleCoverage::GetResponseCode() const {
  return ruleweave::detail::ResponseCode(*mView);
}

std::vector<std::unique_ptr<DLAttributeMeasure>> DLRuleCoverage::Breakdown(
    const std::vector<const IDLAttribute*>& attrs, long long responseCode,
    const DLResponders* responders, bool* wholeNumbers) const {
  std::vector<std::unique_ptr<DLAttributeMeasure>> results(attrs.size());
  if (wholeNumbers != nullptr) *wholeNumbers = true;
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
      if (wholeNumbers != nullptr) *wholeNumbers = false;
      InterfaceSplit(mCovered, attr, target, responseCode, weight, missingCode, *results[a]);
    }
  }
  if (anySplit) {
    // The responder bits serve only where they were read from this target and cover the set.
    const bool fits = responders != nullptr && target != nullptr && responders->target == target &&
                      responders->capacity == capacity &&
                      responders->responseCode == responseCode &&
                      responders->firstWord <= (mCovered.GetFirst() >> 5) &&
                      ((mCovered.GetEnd() - 1) >> 5) - responders->firstWord <
                          static_cast<int>(responders->words.size());
    RunPass(mCovered,
            CaseReaders{targets8, targets32, responseCode, weights32, fits ? responders : nullptr},
            splits);
    for (std::size_t a = 0; a < attrs.size(); ++a) {
      if (splits[a]) splits[a]->Finish(*results[a]);
    }
  }
  return results;
}
