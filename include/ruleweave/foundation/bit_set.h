// DLBitSet: a set of case indices of fixed capacity, and the free operators that combine two
// sets into a new one.
#ifndef RULEWEAVE_FOUNDATION_BIT_SET_H_
#define RULEWEAVE_FOUNDATION_BIT_SET_H_

#include <cstdint>
#include <iosfwd>
#include <vector>

namespace ruleweave {
namespace detail {
class BitSetWords;
}  // namespace detail
}  // namespace ruleweave

// Element i stands for case i and lives in word i / 32 under mask 0x80000000 >> (i % 32): the
// first element of a word is its most significant bit. Bits beyond the capacity are always 0.
//
// The element count and the bounds (`first`, the smallest element, and `end`, the largest + 1;
// both 0 for an empty set) are cached, so size questions are O(1). Bulk operations work on whole
// words and short-circuit on empty and full operands before touching them.
//
// Sets of different capacities never mix: in-place operators and assignment leave the target
// unchanged, == and IsSubSetOf answer false, the free operators return null.
//
// GetElementID walks with a cursor kept inside the set, so it is const but not thread-safe and
// two walks over one set disturb each other; use GetElementIDs or a copy for an undisturbed pass.
class DLBitSet {
 public:
  // An empty set of `capacity` elements, then every id of `elements` (when not null) added as
  // AddElements does. Throws QXDecision::ConstructorException("DLBitSet", "capacity > 0") when
  // capacity < 1. The cursor starts at `first`.
  explicit DLBitSet(int capacity, const std::vector<int>* elements = nullptr);
  // Own copy of the words and every field; the cursor stands where the source's stood.
  DLBitSet(const DLBitSet& other);
  // Does nothing when the capacities differ or `other` is this set; otherwise copies the words,
  // the count, the bounds and the cursor position.
  DLBitSet& operator=(const DLBitSet& other);
  ~DLBitSet();

  int GetCapacity() const { return mCapacity; }
  int GetNumOfElements() const { return mNumOfElements; }
  bool IsEmpty() const { return mNumOfElements == 0; }
  bool IsFull() const { return mNumOfElements == mCapacity; }
  // False for ids out of range.
  bool HasElement(int id) const;

  // Same object: true. Different capacities: false. Otherwise the words are compared.
  bool operator==(const DLBitSet& other) const;
  bool operator!=(const DLBitSet& other) const { return !(*this == other); }
  // Same object: true. Different capacities: false. Otherwise whether every element of this set
  // is in `other`.
  bool IsSubSetOf(const DLBitSet& other) const;

  // Empties `out`, then appends every element in ascending order.
  void GetElementIDs(std::vector<int>& out) const;
  // Walks the elements in ascending order: start with restart = true, continue with false. Each
  // call that finds an element stores it in `id` and returns true; at the end returns false
  // (and keeps doing so until restarted or until an element at or beyond the cursor is added).
  // An empty set returns false at once without touching `id`.
  bool GetElementID(int& id, bool restart) const;

  // Read-only view of the words for tight loops that walk or combine sets word by word: element i
  // is in GetWords()[i / 32] under mask 0x80000000 >> (i % 32), and the bits beyond the capacity
  // are always 0. The pointer stays valid (and shows every later change) for the set's lifetime;
  // no operation reallocates the words. Words outside [first / 32, (end - 1) / 32] are 0.
  const std::uint32_t* GetWords() const { return mWords.data(); }
  // capacity / 32 rounded up.
  int GetNumOfWords() const { return mNumOfWords; }
  // The smallest element and the largest + 1; both 0 for an empty set.
  int GetFirst() const { return mFirst; }
  int GetEnd() const { return mEnd; }

  // False (no change) when id is out of range; otherwise true, whether or not it was present.
  bool AddElement(int id);
  bool RemoveElement(int id);
  // Per-id AddElement / RemoveElement; the number of calls that returned true.
  int AddElements(const std::vector<int>& ids);
  int RemoveElements(const std::vector<int>& ids);
  // The half-open range [from, to): 0 and no change unless 0 <= from < to <= capacity; else
  // to - from.
  int AddElements(int from, int to);
  int RemoveElements(int from, int to);
  void Clear();
  void FillUp();

  // In-place set algebra; each returns *this and does nothing when capacities differ.
  DLBitSet& operator|=(const DLBitSet& other);
  DLBitSet& operator&=(const DLBitSet& other);
  DLBitSet& operator-=(const DLBitSet& other);
  // Complement within the capacity, in place.
  DLBitSet& operator~();

  // Debug dump: banner, capacity, count, first, last (end - 1), then one line per word.
  void Display(std::ostream& os) const;

 private:
  // The library's word-wise filters clear bits directly (see foundation/bit_walk.h).
  friend class ruleweave::detail::BitSetWords;

  // Recomputes `first` and `end` from the words and the count.
  void UpdateEnds();
  // After `removed` elements were cleared from the words (none added): the new count, and the
  // bounds found inward from the old ones.
  void AfterRemoving(int removed);
  // Masks the last word and recomputes the bounds after a word-wise pass (which keeps the count
  // itself, counting the bits it changes).
  void AfterWordPass();

  std::vector<std::uint32_t> mWords;
  int mCapacity;
  int mNumOfElements = 0;
  int mFirst = 0;
  int mEnd = 0;
  int mNumOfWords;
  int mBitsInLastWord;
  std::uint32_t mLastWordMask;
  // Iteration state of GetElementID: the position the next search starts from (its word and bit
  // follow from it). Mutable: walking is a const operation.
  mutable int mCursor = 0;
};

// New sets, owned (and deleted) by the caller; null when the capacities differ.
DLBitSet* operator|(const DLBitSet& a, const DLBitSet& b);
DLBitSet* operator&(const DLBitSet& a, const DLBitSet& b);
DLBitSet* operator-(const DLBitSet& a, const DLBitSet& b);
// A new set holding the complement of `a`, owned by the caller.
DLBitSet* GetComplement(const DLBitSet& a);

#endif  // RULEWEAVE_FOUNDATION_BIT_SET_H_
