// The one loop that walks the elements of a DLBitSet through its words, shared by every pass
// that visits covered cases (measuring, splitting by category, filtering).
#ifndef RULEWEAVE_FOUNDATION_BIT_WALK_H_
#define RULEWEAVE_FOUNDATION_BIT_WALK_H_

#include <cstdint>

#include "ruleweave/foundation/bit_set.h"

namespace ruleweave {
namespace detail {

// Calls f(id) for every element of `cases` in ascending order. Only the words between the set's
// bounds are read, zero words are skipped with one test, a full word runs a plain 32-step loop,
// and inside any other word each element is found with one count-leading-zeros. A full set is
// walked without reading its words.
//
// Each word is loaded once before its elements are visited, so f may remove the element it is
// given (or any other element of the same word) from `cases`; it must not add elements.
template <typename F>
inline void ForEachElement(const DLBitSet& cases, F&& f) {
  if (cases.IsEmpty()) return;
  if (cases.IsFull()) {
    for (int id = 0, n = cases.GetCapacity(); id < n; ++id) f(id);
    return;
  }
  const std::uint32_t* words = cases.GetWords();
  const int last = (cases.GetEnd() - 1) >> 5;
  for (int i = cases.GetFirst() >> 5; i <= last; ++i) {
    std::uint32_t w = words[i];
    if (w == 0) continue;
    const int base = i * 32;
    if (w == 0xFFFFFFFFu) {
      for (int p = 0; p < 32; ++p) f(base + p);
      continue;
    }
    do {
      const int p = __builtin_clz(w);
      f(base + p);
      w &= ~(0x80000000u >> p);
    } while (w != 0);
  }
}

// Calls f(id) once for every element of `cases`, for passes whose result does not depend on the
// order (integer tallies): words in ascending order, but each word's elements from its last to
// its first. Peeling the lowest set bit is a one-cycle step, so consecutive elements do not wait
// on each other as they do in the ordered walk. A full set is walked in ascending order. As in
// ForEachElement, each word is loaded once before its elements are visited, so f may remove
// elements of `cases` (never add them).
template <typename F>
inline void ForEachElementInAnyOrder(const DLBitSet& cases, F&& f) {
  if (cases.IsEmpty()) return;
  if (cases.IsFull()) {
    for (int id = 0, n = cases.GetCapacity(); id < n; ++id) f(id);
    return;
  }
  const std::uint32_t* words = cases.GetWords();
  const int last = (cases.GetEnd() - 1) >> 5;
  for (int i = cases.GetFirst() >> 5; i <= last; ++i) {
    std::uint32_t w = words[i];
    const int top = i * 32 + 31;
    while (w != 0) {
      f(top - __builtin_ctz(w));
      w &= w - 1;
    }
  }
}

// Number of set bits; the portable SWAR form unless the target has a popcount instruction.
inline int CountBits(std::uint32_t w) {
#if defined(__POPCNT__)
  return __builtin_popcount(w);
#else
  w = w - ((w >> 1) & 0x55555555u);
  w = (w & 0x33333333u) + ((w >> 2) & 0x33333333u);
  w = (w + (w >> 4)) & 0x0F0F0F0Fu;
  return static_cast<int>((w * 0x01010101u) >> 24);
#endif
}

// Write access to a set's words for the word-wise filter below; nothing else uses it.
class BitSetWords {
 public:
  static std::uint32_t* Words(DLBitSet& cases) { return cases.mWords.data(); }
  static void AfterRemoving(DLBitSet& cases, int removed) { cases.AfterRemoving(removed); }
};

// Removes from `cases` every element id < limit for which keep(id) is false, and every element
// at or beyond `limit` unless keepBeyond; the same result as RemoveElement on each, a word at a
// time. A word with many elements gets its keep mask from all 32 ids in a branch-free loop
// (keep must then accept any id of a word below limit / 32, element or not); a sparser word asks
// only for its elements. Count and bounds are brought up to date once at the end.
template <typename Keep>
inline void KeepElements(DLBitSet& cases, int limit, bool keepBeyond, Keep&& keep) {
  if (cases.IsEmpty()) return;
  std::uint32_t* words = BitSetWords::Words(cases);
  const int fullWords = limit > 0 ? limit / 32 : 0;  // words whose ids all lie below limit
  const int last = (cases.GetEnd() - 1) >> 5;
  int removed = 0;
  for (int i = cases.GetFirst() >> 5; i <= last; ++i) {
    const std::uint32_t w = words[i];
    if (w == 0) continue;
    const int base = i * 32;
    std::uint32_t kept = 0;
    if (i < fullWords && CountBits(w) >= 16) {
      for (int p = 0; p < 32; ++p) kept = (kept << 1) | static_cast<std::uint32_t>(keep(base + p));
      kept &= w;
    } else {
      std::uint32_t rest = w;
      while (rest != 0) {
        const int p = 31 - __builtin_ctz(rest);
        const int id = base + p;
        const bool k = id < limit ? static_cast<bool>(keep(id)) : keepBeyond;
        kept |= static_cast<std::uint32_t>(k) << (31 - p);
        rest &= rest - 1;
      }
    }
    if (kept != w) {
      words[i] = kept;
      removed += CountBits(w ^ kept);
    }
  }
  BitSetWords::AfterRemoving(cases, removed);
}

// Whether pred(id) holds for some element of `cases`; asks in ascending order and stops at the
// first element that satisfies it.
template <typename Pred>
inline bool AnyElement(const DLBitSet& cases, Pred&& pred) {
  if (cases.IsEmpty()) return false;
  const std::uint32_t* words = cases.GetWords();
  const int last = (cases.GetEnd() - 1) >> 5;
  for (int i = cases.GetFirst() >> 5; i <= last; ++i) {
    std::uint32_t w = words[i];
    const int base = i * 32;
    while (w != 0) {
      const int p = __builtin_clz(w);
      if (pred(base + p)) return true;
      w &= ~(0x80000000u >> p);
    }
  }
  return false;
}

}  // namespace detail
}  // namespace ruleweave

#endif  // RULEWEAVE_FOUNDATION_BIT_WALK_H_
