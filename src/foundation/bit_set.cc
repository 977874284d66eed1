// DLBitSet: word-wise set algebra with a cached count and cached bounds.
//
// Words: element i is bit (31 - i % 32) of word i / 32, so a word's first element is its most
// significant bit and "position p" of a word (p = 0 .. 31, counted from the top) is element
// 32 * word + p. The bounds are `first` (smallest element) and `end` (largest + 1), both 0 for an
// empty set. Bulk operations only visit the words between the operands' bounds: every word
// outside them is zero by the bounds' definition.
#include "ruleweave/foundation/bit_set.h"

#include <algorithm>
#include <ostream>
#include <string>

#include "foundation/bit_walk.h"
#include "ruleweave/foundation/exceptions.h"

namespace {

constexpr std::uint32_t kAllOnes = 0xFFFFFFFFu;
constexpr std::uint32_t kTopBit = 0x80000000u;

constexpr std::uint32_t BitOf(int id) { return kTopBit >> (id & 31); }

using ruleweave::detail::CountBits;

// Position (0 = most significant bit) of the first and the last set bit of a non-zero word.
inline int FirstPosition(std::uint32_t w) { return __builtin_clz(w); }
inline int LastPosition(std::uint32_t w) { return 31 - __builtin_ctz(w); }

// The bits of positions [from, to) of one word, 0 <= from < to <= 32.
inline std::uint32_t PositionMask(int from, int to) {
  const std::uint32_t high = kAllOnes >> from;
  const std::uint32_t low = to == 32 ? kAllOnes : ~(kAllOnes >> to);
  return high & low;
}

}  // namespace

DLBitSet::DLBitSet(int capacity, const std::vector<int>* elements) : mCapacity(capacity) {
  if (capacity < 1) throw QXDecision::ConstructorException("DLBitSet", "capacity > 0");
  mNumOfWords = capacity / 32 + (capacity % 32 != 0 ? 1 : 0);  // no overflow near INT_MAX
  mBitsInLastWord = capacity % 32;
  mLastWordMask = mBitsInLastWord == 0 ? kAllOnes : kAllOnes << (32 - mBitsInLastWord);
  mWords.assign(static_cast<std::size_t>(mNumOfWords), 0u);
  if (elements != nullptr) AddElements(*elements);
  mCursor = mFirst;
}

DLBitSet::DLBitSet(const DLBitSet& other) = default;

DLBitSet& DLBitSet::operator=(const DLBitSet& other) {
  if (other.mCapacity != mCapacity || &other == this) return *this;
  std::copy(other.mWords.begin(), other.mWords.end(), mWords.begin());
  mNumOfElements = other.mNumOfElements;
  mFirst = other.mFirst;
  mEnd = other.mEnd;
  mCursor = other.mCursor;
  return *this;
}

DLBitSet::~DLBitSet() = default;

bool DLBitSet::HasElement(int id) const {
  if (id < 0 || id >= mCapacity || mNumOfElements == 0) return false;
  return (mWords[id >> 5] & BitOf(id)) != 0;
}

bool DLBitSet::operator==(const DLBitSet& other) const {
  if (&other == this) return true;
  if (other.mCapacity != mCapacity) return false;
  // Equal words imply equal counts, so a count difference settles it without reading the words.
  if (other.mNumOfElements != mNumOfElements) return false;
  return std::equal(mWords.begin(), mWords.end(), other.mWords.begin());
}

bool DLBitSet::IsSubSetOf(const DLBitSet& other) const {
  if (&other == this) return true;
  if (other.mCapacity != mCapacity) return false;
  if (mNumOfElements == 0 || other.IsFull()) return true;
  if (mNumOfElements > other.mNumOfElements) return false;
  // (this & other) == this, i.e. no element of this outside other; only this set's words count.
  for (int i = mFirst >> 5, last = (mEnd - 1) >> 5; i <= last; ++i) {
    if ((mWords[i] & ~other.mWords[i]) != 0) return false;
  }
  return true;
}

void DLBitSet::GetElementIDs(std::vector<int>& out) const {
  out.clear();
  if (mNumOfElements == 0) return;
  out.reserve(static_cast<std::size_t>(mNumOfElements));
  if (IsFull()) {
    for (int id = 0; id < mCapacity; ++id) out.push_back(id);
    return;
  }
  for (int i = mFirst >> 5, last = (mEnd - 1) >> 5; i <= last; ++i) {
    std::uint32_t w = mWords[i];
    while (w != 0) {
      const int p = FirstPosition(w);
      out.push_back(32 * i + p);
      w &= ~(kTopBit >> p);
    }
  }
}

// Follows the cursor walk bit by bit in effect, but skips runs of clear bits inside a word with
// one count-leading-zeros: the cursor ends where a single-step walk would have left it. The
// cursor is read and written once per call (locals inside, so the loop is not held back by
// possible aliasing between the cursor and the words).
bool DLBitSet::GetElementID(int& id, bool restart) const {
  if (mNumOfElements == 0) return false;
  int position = restart ? mFirst : mCursor;
  const std::uint32_t* words = mWords.data();
  const int end = mEnd;
  while (position < end) {
    const int word = position >> 5;
    const int wordStart = word * 32;
    const std::uint32_t rest = words[word] & (kAllOnes >> (position - wordStart));
    if (rest != 0) {
      const int found = wordStart + FirstPosition(rest);
      mCursor = found + 1;
      id = found;
      return true;
    }
    if (words[word] == 0) {
      position = wordStart + 32;  // a zero word is skipped whole
    } else {
      // No set bit left in this word: a single-step walk stops at `end` or at the next word.
      position = end - wordStart <= 32 ? end : wordStart + 32;
    }
  }
  mCursor = position;
  return false;
}

bool DLBitSet::AddElement(int id) {
  if (id < 0 || id >= mCapacity) return false;
  std::uint32_t& word = mWords[id >> 5];
  const std::uint32_t bit = BitOf(id);
  if ((word & bit) == 0) {
    word |= bit;
    if (mNumOfElements++ == 0) {
      mFirst = id;
      mEnd = id + 1;
    } else {
      mFirst = std::min(mFirst, id);
      mEnd = std::max(mEnd, id + 1);
    }
  }
  return true;
}

bool DLBitSet::RemoveElement(int id) {
  if (id < 0 || id >= mCapacity) return false;
  std::uint32_t& word = mWords[id >> 5];
  const std::uint32_t bit = BitOf(id);
  if ((word & bit) != 0) {
    word &= ~bit;
    if (--mNumOfElements == 0) {
      mFirst = 0;
      mEnd = 0;
    } else {
      // The new bounds lie on the inner side of the removed one: scan from its word only.
      if (id == mFirst) {
        int w = id >> 5;
        while (mWords[w] == 0) ++w;
        mFirst = 32 * w + FirstPosition(mWords[w]);
      }
      if (id == mEnd - 1) {
        int w = id >> 5;
        while (mWords[w] == 0) --w;
        mEnd = 32 * w + LastPosition(mWords[w]) + 1;
      }
    }
  }
  return true;
}

int DLBitSet::AddElements(const std::vector<int>& ids) {
  int accepted = 0;
  for (int id : ids) accepted += AddElement(id) ? 1 : 0;
  return accepted;
}

int DLBitSet::RemoveElements(const std::vector<int>& ids) {
  int accepted = 0;
  for (int id : ids) accepted += RemoveElement(id) ? 1 : 0;
  return accepted;
}

int DLBitSet::AddElements(int from, int to) {
  if (from < 0 || to > mCapacity || from >= to) return 0;
  const int lastWord = (to - 1) >> 5;
  for (int i = from >> 5; i <= lastWord; ++i) {
    const int start = i * 32;
    const std::uint32_t mask = PositionMask(std::max(from - start, 0), std::min(to - start, 32));
    mNumOfElements += CountBits(mask & ~mWords[i]);
    mWords[i] |= mask;
  }
  if (mFirst == mEnd) {  // was empty
    mFirst = from;
    mEnd = to;
  } else {
    mFirst = std::min(mFirst, from);
    mEnd = std::max(mEnd, to);
  }
  return to - from;
}

int DLBitSet::RemoveElements(int from, int to) {
  if (from < 0 || to > mCapacity || from >= to) return 0;
  if (mNumOfElements == 0) return to - from;
  const int lastWord = (to - 1) >> 5;
  for (int i = from >> 5; i <= lastWord; ++i) {
    const int start = i * 32;
    const std::uint32_t mask = PositionMask(std::max(from - start, 0), std::min(to - start, 32));
    mNumOfElements -= CountBits(mask & mWords[i]);
    mWords[i] &= ~mask;
  }
  if (from <= mFirst || to >= mEnd) UpdateEnds();
  return to - from;
}

void DLBitSet::Clear() {
  if (mNumOfElements == 0) return;
  std::fill(mWords.begin(), mWords.end(), 0u);
  mNumOfElements = 0;
  mFirst = 0;
  mEnd = 0;
}

void DLBitSet::FillUp() {
  if (IsFull()) return;
  std::fill(mWords.begin(), mWords.end(), kAllOnes);
  mWords.back() &= mLastWordMask;
  mNumOfElements = mCapacity;
  mFirst = 0;
  mEnd = mCapacity;
}

DLBitSet& DLBitSet::operator|=(const DLBitSet& other) {
  if (other.mCapacity != mCapacity || &other == this || IsFull() || other.IsEmpty()) return *this;
  if (IsEmpty()) return *this = other;
  if (other.IsFull()) {
    FillUp();
    return *this;
  }
  // Only the other set's words can add anything; the count of this set's words outside them
  // stays as it is.
  const int lo = other.mFirst >> 5;
  const int hi = (other.mEnd - 1) >> 5;
  std::uint32_t* words = mWords.data();
  const std::uint32_t* others = other.mWords.data();
  int gained = 0;
  for (int i = lo; i <= hi; ++i) {
    gained += CountBits(others[i] & ~words[i]);
    words[i] |= others[i];
  }
  mNumOfElements += gained;
  AfterWordPass();
  return *this;
}

DLBitSet& DLBitSet::operator&=(const DLBitSet& other) {
  if (other.mCapacity != mCapacity || &other == this || IsEmpty() || other.IsFull()) return *this;
  if (IsFull()) return *this = other;
  if (other.IsEmpty()) {
    Clear();
    return *this;
  }
  // This set's elements lie in words [lo, hi]; of those, only [both, bothEnd] can survive.
  const int lo = mFirst >> 5;
  const int hi = (mEnd - 1) >> 5;
  const int both = std::max(lo, other.mFirst >> 5);
  const int bothEnd = std::min(hi, (other.mEnd - 1) >> 5);
  std::uint32_t* words = mWords.data();
  const std::uint32_t* others = other.mWords.data();
  int count = 0;
  if (both > bothEnd) {
    std::fill(words + lo, words + hi + 1, 0u);
  } else {
    std::fill(words + lo, words + both, 0u);
    for (int i = both; i <= bothEnd; ++i) {
      words[i] &= others[i];
      count += CountBits(words[i]);
    }
    std::fill(words + bothEnd + 1, words + hi + 1, 0u);
  }
  mNumOfElements = count;
  AfterWordPass();
  return *this;
}

DLBitSet& DLBitSet::operator-=(const DLBitSet& other) {
  if (other.mCapacity != mCapacity) return *this;
  if (&other == this) {
    Clear();
    return *this;
  }
  if (IsEmpty() || other.IsEmpty()) return *this;
  if (other.IsFull()) {
    Clear();
    return *this;
  }
  // Only words holding elements of both sets change.
  const int both = std::max(mFirst, other.mFirst) >> 5;
  const int bothEnd = (std::min(mEnd, other.mEnd) - 1) >> 5;
  std::uint32_t* words = mWords.data();
  const std::uint32_t* others = other.mWords.data();
  int lost = 0;
  for (int i = both; i <= bothEnd; ++i) {
    lost += CountBits(words[i] & others[i]);
    words[i] &= ~others[i];
  }
  mNumOfElements -= lost;
  AfterWordPass();
  return *this;
}

DLBitSet& DLBitSet::operator~() {
  if (IsFull()) {
    Clear();
    return *this;
  }
  if (IsEmpty()) {
    FillUp();
    return *this;
  }
  for (std::uint32_t& w : mWords) w = ~w;
  mNumOfElements = mCapacity - mNumOfElements;  // the recount, known without reading the words
  AfterWordPass();
  return *this;
}

void DLBitSet::AfterWordPass() {
  mWords.back() &= mLastWordMask;
  UpdateEnds();
}

void DLBitSet::AfterRemoving(int removed) {
  if (removed <= 0) return;
  mNumOfElements -= removed;
  if (mNumOfElements == 0) {
    mFirst = 0;
    mEnd = 0;
    return;
  }
  // Elements left lie within the old bounds, so the scans stop inside them.
  int lo = mFirst >> 5;
  while (mWords[lo] == 0) ++lo;
  int hi = (mEnd - 1) >> 5;
  while (mWords[hi] == 0) --hi;
  mFirst = 32 * lo + FirstPosition(mWords[lo]);
  mEnd = 32 * hi + LastPosition(mWords[hi]) + 1;
}

void DLBitSet::UpdateEnds() {
  mFirst = 0;
  mEnd = 0;
  if (IsFull()) {
    mEnd = mCapacity;
    return;
  }
  if (IsEmpty()) return;
  int lo = 0;
  while (mWords[lo] == 0) ++lo;
  int hi = mNumOfWords - 1;
  while (mWords[hi] == 0) --hi;
  mFirst = 32 * lo + FirstPosition(mWords[lo]);
  mEnd = 32 * hi + LastPosition(mWords[hi]) + 1;
}

void DLBitSet::Display(std::ostream& os) const {
  os << "\tDLBitSet" << std::endl;
  os << "\t\tNum of bits: " << mCapacity << std::endl;
  os << "\t\tNum of elements: " << mNumOfElements << std::endl;
  os << "\t\tThe first: " << mFirst << std::endl;
  os << "\t\tThe last: " << mEnd - 1 << std::endl;
  for (std::uint32_t w : mWords) {
    std::string line;
    line.reserve(48);
    for (int p = 0; p < 32; ++p) {
      if (p == 8 || p == 16 || p == 24) {
        line += "    ";
      } else if (p % 8 == 4) {
        line += ' ';
      }
      line += (w & (kTopBit >> p)) != 0 ? '1' : '0';
    }
    os << line << std::endl;
  }
  os << std::endl;
}

DLBitSet* operator|(const DLBitSet& a, const DLBitSet& b) {
  if (a.GetCapacity() != b.GetCapacity()) return nullptr;
  DLBitSet* result = new DLBitSet(a);
  *result |= b;
  return result;
}

DLBitSet* operator&(const DLBitSet& a, const DLBitSet& b) {
  if (a.GetCapacity() != b.GetCapacity()) return nullptr;
  DLBitSet* result = new DLBitSet(a);
  *result &= b;
  return result;
}

DLBitSet* operator-(const DLBitSet& a, const DLBitSet& b) {
  if (a.GetCapacity() != b.GetCapacity()) return nullptr;
  DLBitSet* result = new DLBitSet(a);
  *result -= b;
  return result;
}

DLBitSet* GetComplement(const DLBitSet& a) {
  DLBitSet* result = new DLBitSet(a);
  ~*result;
  return result;
}
