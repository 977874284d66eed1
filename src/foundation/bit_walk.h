// The one loop that walks the elements of a DLBitSet through its words, shared by every pass
// that visits covered cases (measuring, splitting by category, filtering).
#ifndef RULEWEAVE_FOUNDATION_BIT_WALK_H_
#define RULEWEAVE_FOUNDATION_BIT_WALK_H_

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The 32 bytes at `bytes` tested at once against [lo, lo + span] (lo + span <= 255): bit
// (31 - p) is set when bytes[p] lies in the range, the set's order for the word of the cases the
// bytes belong to. The one place with processor-specific code: SSE2 compares sixteen bytes at a
// time (its byte mask comes in the opposite order and is reversed); elsewhere a single code is
// compared eight at a time in a 64-bit register and a range byte by byte.
inline std::uint32_t BytesInRangeMask(const std::uint8_t* bytes, std::uint8_t lo,
                                      std::uint8_t span) {
#if defined(__SSE2__)
  const __m128i low = _mm_set1_epi8(static_cast<char>(lo));
  const __m128i width = _mm_set1_epi8(static_cast<char>(span));
  auto inRange = [&](const std::uint8_t* at) {
    const __m128i d =
        _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at)), low);  // wraps
    // d <= span, unsigned: min(d, span) == d.
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(d, width), d)));
  };
  std::uint32_t m = inRange(bytes) | inRange(bytes + 16) << 16;
  m = ((m >> 1) & 0x55555555u) | ((m & 0x55555555u) << 1);
  m = ((m >> 2) & 0x33333333u) | ((m & 0x33333333u) << 2);
  m = ((m >> 4) & 0x0F0F0F0Fu) | ((m & 0x0F0F0F0Fu) << 4);
  return __builtin_bswap32(m);
#else
  std::uint32_t mask = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  if (span == 0) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    // Moves the low bit of byte k to bit 63 - k, for k = 0 .. 7, without collisions or carries.
    constexpr std::uint64_t kPack = 0x8040201008040201ULL;
    const std::uint64_t pattern = kOnes * lo;
    for (int g = 0; g < 4; ++g) {
      std::uint64_t x = 0;
      std::memcpy(&x, bytes + 8 * g, sizeof(x));  // byte k of the group in bits 8k .. 8k+7
      x ^= pattern;                               // zero exactly where the byte equals the code
      const std::uint64_t nonZero = ((x & kLow7) + kLow7) | x;  // top bit: byte != 0
      const std::uint64_t equal = (~nonZero >> 7) & kOnes;
      mask = (mask << 8) | static_cast<std::uint32_t>((equal * kPack) >> 56);
    }
    return mask;
  }
#endif
  for (int p = 0; p < 32; ++p) {
    mask = (mask << 1) | std::uint32_t{static_cast<std::uint8_t>(bytes[p] - lo) <= span};
  }
  return mask;
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
// time. A word below limit / 32 with at least `minDense` elements gets its keep mask at once from
// keepWord(base), bit (31 - p) for the id base + p (so keep must answer for every such id,
// element or not); any other word asks keep for its elements only. Count and bounds are brought
// up to date once at the end.
template <typename Keep, typename KeepWord>
inline void KeepElementsByWord(DLBitSet& cases, int limit, bool keepBeyond, int minDense,
                               Keep&& keep, KeepWord&& keepWord) {
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
    if (i < fullWords && CountBits(w) >= minDense) {
      kept = keepWord(base) & w;
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

// KeepElementsByWord with the word's mask from 32 calls of keep in a branch-free loop, used for
// words with at least half their elements.
template <typename Keep>
inline void KeepElements(DLBitSet& cases, int limit, bool keepBeyond, Keep&& keep) {
  KeepElementsByWord(cases, limit, keepBeyond, /*minDense=*/16, keep, [&keep](int base) {
    std::uint32_t kept = 0;
    for (int p = 0; p < 32; ++p) kept = (kept << 1) | static_cast<std::uint32_t>(keep(base + p));
    return kept;
  });
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
