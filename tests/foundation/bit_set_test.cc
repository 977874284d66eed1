// DLBitSet: layout, bounds, iteration, short-circuit rules, and set algebra cross-checked against
// std::vector<bool>.
#include "ruleweave/foundation/bit_set.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/bit_walk.h"
#include "ruleweave/foundation/exceptions.h"

namespace {

std::string DisplayOf(const DLBitSet& s) {
  std::ostringstream os;
  s.Display(os);
  return os.str();
}

// The bounds are only visible through the dump: "The first: " and "The last: " (end - 1).
int DumpedNumber(const DLBitSet& s, const std::string& label) {
  const std::string text = DisplayOf(s);
  const std::size_t at = text.find(label);
  EXPECT_NE(at, std::string::npos) << label;
  return std::stoi(text.substr(at + label.size()));
}

std::vector<int> Walk(const DLBitSet& s) {
  std::vector<int> ids;
  int id = -1;
  for (bool more = s.GetElementID(id, true); more; more = s.GetElementID(id, false)) {
    ids.push_back(id);
  }
  return ids;
}

std::vector<int> Members(const std::vector<bool>& ref) {
  std::vector<int> ids;
  for (std::size_t i = 0; i < ref.size(); ++i) {
    if (ref[i]) ids.push_back(static_cast<int>(i));
  }
  return ids;
}

// Everything observable about a set agrees with the reference.
void ExpectSame(const DLBitSet& s, const std::vector<bool>& ref) {
  const std::vector<int> ids = Members(ref);
  ASSERT_EQ(s.GetCapacity(), static_cast<int>(ref.size()));
  EXPECT_EQ(s.GetNumOfElements(), static_cast<int>(ids.size()));
  EXPECT_EQ(s.IsEmpty(), ids.empty());
  EXPECT_EQ(s.IsFull(), ids.size() == ref.size());
  for (int i = -1; i <= s.GetCapacity(); ++i) {
    const bool expected = i >= 0 && i < s.GetCapacity() && ref[static_cast<std::size_t>(i)];
    ASSERT_EQ(s.HasElement(i), expected) << "id " << i;
  }
  std::vector<int> listed{42};
  s.GetElementIDs(listed);
  EXPECT_EQ(listed, ids);
  EXPECT_EQ(Walk(s), ids);
  EXPECT_EQ(DumpedNumber(s, "The first: "), ids.empty() ? 0 : ids.front());
  EXPECT_EQ(DumpedNumber(s, "The last: "), ids.empty() ? -1 : ids.back());
  EXPECT_EQ(s.GetFirst(), ids.empty() ? 0 : ids.front());
  EXPECT_EQ(s.GetEnd(), ids.empty() ? 0 : ids.back() + 1);

  // The words: every bit of every word, the padding of the last one included.
  const int numOfWords = s.GetNumOfWords();
  ASSERT_EQ(numOfWords, (s.GetCapacity() + 31) / 32);
  const std::uint32_t* words = s.GetWords();
  for (int i = 0; i < 32 * numOfWords; ++i) {
    const bool expected = i < s.GetCapacity() && ref[static_cast<std::size_t>(i)];
    ASSERT_EQ((words[i / 32] & (0x80000000u >> (i % 32))) != 0, expected) << "bit " << i;
  }

  // The shared word walk visits the same ids in the same order, and stops where asked.
  std::vector<int> walked;
  ruleweave::detail::ForEachElement(s, [&walked](int id) { walked.push_back(id); });
  EXPECT_EQ(walked, ids);
  // The order-free walk: every element once, the words in ascending order.
  walked.clear();
  ruleweave::detail::ForEachElementInAnyOrder(s, [&walked](int id) { walked.push_back(id); });
  for (std::size_t k = 1; k < walked.size(); ++k) {
    ASSERT_LE(walked[k - 1] / 32, walked[k] / 32) << "at " << k;
  }
  std::sort(walked.begin(), walked.end());
  EXPECT_EQ(walked, ids);
  int asked = 0;
  EXPECT_EQ(ruleweave::detail::AnyElement(s, [&](int) { return ++asked == 3; }), ids.size() >= 3);
  EXPECT_EQ(asked, static_cast<int>(std::min<std::size_t>(ids.size(), 3)));
  if (!ids.empty()) {
    const int last = ids.back();
    EXPECT_TRUE(ruleweave::detail::AnyElement(s, [last](int id) { return id == last; }));
  }
}

// A random set with a random density, sometimes empty or full, and sometimes clustered so that
// whole words are zero.
std::vector<bool> RandomMembers(int capacity, std::mt19937& rng) {
  std::vector<bool> ref(static_cast<std::size_t>(capacity), false);
  const int shape = std::uniform_int_distribution<int>(0, 9)(rng);
  if (shape == 0) return ref;
  if (shape == 1) return std::vector<bool>(ref.size(), true);
  double density = std::uniform_real_distribution<double>(0.0, 1.0)(rng);
  if (shape == 2) density = 0.002;
  int from = 0;
  int to = capacity;
  if (shape == 3) {  // a cluster
    from = std::uniform_int_distribution<int>(0, capacity - 1)(rng);
    to = std::uniform_int_distribution<int>(from + 1, capacity)(rng);
  }
  std::bernoulli_distribution coin(density);
  for (int i = from; i < to; ++i) ref[static_cast<std::size_t>(i)] = coin(rng);
  return ref;
}

DLBitSet Build(const std::vector<bool>& ref) {
  const std::vector<int> ids = Members(ref);
  return DLBitSet(static_cast<int>(ref.size()), &ids);
}

void CrossCheck(int capacity, std::mt19937& rng) {
  const std::vector<bool> ra = RandomMembers(capacity, rng);
  const std::vector<bool> rb = RandomMembers(capacity, rng);
  const DLBitSet a = Build(ra);
  const DLBitSet b = Build(rb);
  ExpectSame(a, ra);

  std::vector<bool> orRef(ra.size()), andRef(ra.size()), minusRef(ra.size()), notRef(ra.size());
  bool subset = true;
  for (std::size_t i = 0; i < ra.size(); ++i) {
    orRef[i] = ra[i] || rb[i];
    andRef[i] = ra[i] && rb[i];
    minusRef[i] = ra[i] && !rb[i];
    notRef[i] = !ra[i];
    if (ra[i] && !rb[i]) subset = false;
  }

  DLBitSet x = a;
  x |= b;
  ExpectSame(x, orRef);
  x = a;
  x &= b;
  ExpectSame(x, andRef);
  x = a;
  x -= b;
  ExpectSame(x, minusRef);
  x = a;
  ~x;
  ExpectSame(x, notRef);

  std::unique_ptr<DLBitSet> made(a | b);
  ExpectSame(*made, orRef);
  made.reset(a & b);
  ExpectSame(*made, andRef);
  made.reset(a - b);
  ExpectSame(*made, minusRef);
  made.reset(GetComplement(a));
  ExpectSame(*made, notRef);

  EXPECT_EQ(a.IsSubSetOf(b), subset);
  EXPECT_EQ(a == b, ra == rb);
  EXPECT_EQ(a != b, ra != rb);

  // Element-wise edits: a random range and random single ids.
  x = a;
  std::vector<bool> ref = ra;
  const int from = std::uniform_int_distribution<int>(0, capacity - 1)(rng);
  const int to = std::uniform_int_distribution<int>(from + 1, capacity)(rng);
  const bool adding = std::uniform_int_distribution<int>(0, 1)(rng) == 0;
  EXPECT_EQ(adding ? x.AddElements(from, to) : x.RemoveElements(from, to), to - from);
  for (int i = from; i < to; ++i) ref[static_cast<std::size_t>(i)] = adding;
  ExpectSame(x, ref);
  for (int k = 0; k < 20; ++k) {
    const int id = std::uniform_int_distribution<int>(0, capacity - 1)(rng);
    if (k % 2 == 0) {
      EXPECT_TRUE(x.RemoveElement(id));
      ref[static_cast<std::size_t>(id)] = false;
    } else {
      EXPECT_TRUE(x.AddElement(id));
      ref[static_cast<std::size_t>(id)] = true;
    }
  }
  ExpectSame(x, ref);
}

}  // namespace

TEST(DLBitSet, RandomSetsAgreeWithVectorBool) {
  std::mt19937 rng(20260);
  for (int round = 0; round < 600; ++round) {
    const int capacity = std::uniform_int_distribution<int>(1, 200)(rng);
    SCOPED_TRACE("capacity " + std::to_string(capacity));
    CrossCheck(capacity, rng);
    if (HasFatalFailure()) return;
  }
}

TEST(DLBitSet, LargeRandomSetsAgreeWithVectorBool) {
  std::mt19937 rng(7);
  for (int round = 0; round < 12; ++round) CrossCheck(100000, rng);
}

TEST(DLBitSet, CapacityBelowOneThrows) {
  try {
    DLBitSet s(0);
    FAIL() << "no exception";
  } catch (const QXDecision::ConstructorException& e) {
    EXPECT_EQ(
        e.GetMessage(),
        "CANNOT CREATE OBJECT of DLBitSet:\nPre-condition is not satisfied: ( capacity > 0 )");
  }
  EXPECT_THROW(DLBitSet(-3), QXDecision::ConstructorException);
}

TEST(DLBitSet, DisplayShowsEveryWordWithItsGroups) {
  const std::vector<int> ids{0, 5, 33, 39};
  const DLBitSet s(40, &ids);
  EXPECT_EQ(DisplayOf(s),
            "\tDLBitSet\n"
            "\t\tNum of bits: 40\n"
            "\t\tNum of elements: 4\n"
            "\t\tThe first: 0\n"
            "\t\tThe last: 39\n"
            "1000 0100    0000 0000    0000 0000    0000 0000\n"
            "0100 0001    0000 0000    0000 0000    0000 0000\n"
            "\n");

  // Positions beyond the capacity print as 0 even when full.
  DLBitSet full(3);
  full.FillUp();
  EXPECT_EQ(DisplayOf(full),
            "\tDLBitSet\n\t\tNum of bits: 3\n\t\tNum of elements: 3\n\t\tThe first: 0\n"
            "\t\tThe last: 2\n"
            "1110 0000    0000 0000    0000 0000    0000 0000\n\n");
}

TEST(DLBitSet, LastWordIsMaskedAtWordBoundaries) {
  for (int capacity : {1, 31, 32, 33, 64, 65}) {
    DLBitSet filled(capacity);
    filled.FillUp();
    DLBitSet added(capacity);
    EXPECT_EQ(added.AddElements(0, capacity), capacity);
    DLBitSet complemented(capacity);
    ~complemented;
    std::unique_ptr<DLBitSet> made(GetComplement(DLBitSet(capacity)));
    EXPECT_TRUE(filled.IsFull());
    EXPECT_TRUE(filled == added);
    EXPECT_TRUE(filled == complemented);
    EXPECT_TRUE(filled == *made);
    EXPECT_EQ(complemented.GetNumOfElements(), capacity);
    // Complementing a set with one gap must not switch on bits beyond the capacity.
    DLBitSet gap = filled;
    gap.RemoveElement(0);
    ~gap;
    EXPECT_EQ(gap.GetNumOfElements(), 1);
    EXPECT_EQ(Walk(gap), std::vector<int>{0});
  }
}

TEST(DLBitSet, SingleElementsAndRanges) {
  DLBitSet s(10);
  EXPECT_FALSE(s.AddElement(10));
  EXPECT_FALSE(s.AddElement(-1));
  EXPECT_FALSE(s.RemoveElement(10));
  EXPECT_TRUE(s.AddElement(4));
  EXPECT_TRUE(s.AddElement(4));
  EXPECT_EQ(s.GetNumOfElements(), 1);
  EXPECT_TRUE(s.RemoveElement(7));  // in range though absent
  EXPECT_EQ(s.AddElements(3, 3), 0);
  EXPECT_EQ(s.AddElements(-1, 3), 0);
  EXPECT_EQ(s.AddElements(5, 11), 0);
  EXPECT_EQ(s.AddElements(std::vector<int>{1, 1, 12, -2, 9}), 3);
  EXPECT_EQ(s.GetNumOfElements(), 3);
  EXPECT_EQ(s.RemoveElements(std::vector<int>{9, 9, 10}), 2);
  EXPECT_EQ(Walk(s), (std::vector<int>{1, 4}));

  s.RemoveElement(1);  // the smallest: bounds move up
  EXPECT_EQ(DumpedNumber(s, "The first: "), 4);
  s.RemoveElement(4);  // the only one: first = end = 0
  EXPECT_EQ(DumpedNumber(s, "The first: "), 0);
  EXPECT_EQ(DumpedNumber(s, "The last: "), -1);
  EXPECT_EQ(s.AddElements(0, 10), 10);
  EXPECT_TRUE(s.IsFull());
  EXPECT_EQ(s.RemoveElements(0, 10), 10);
  EXPECT_TRUE(s.IsEmpty());
}

TEST(DLBitSet, OperatorsWithItself) {
  const std::vector<int> ids{2, 3, 40};
  const DLBitSet original(50, &ids);
  DLBitSet s = original;
  const DLBitSet& same = s;  // an alias, so that the compiler does not flag self-assignment
  s |= same;
  EXPECT_TRUE(s == original);
  s &= same;
  EXPECT_TRUE(s == original);
  EXPECT_TRUE(s.IsSubSetOf(same));
  s -= same;
  EXPECT_TRUE(s.IsEmpty());
  DLBitSet twice = original;
  ~~twice;
  EXPECT_TRUE(twice == original);
}

TEST(DLBitSet, DifferentCapacitiesNeverMix) {
  const std::vector<int> ids{1, 2};
  DLBitSet a(10, &ids);
  DLBitSet b(11);
  b.FillUp();
  EXPECT_EQ(a | b, nullptr);
  EXPECT_EQ(a & b, nullptr);
  EXPECT_EQ(a - b, nullptr);
  a = b;
  a |= b;
  a &= b;
  a -= b;
  EXPECT_EQ(Walk(a), (std::vector<int>{1, 2}));
  EXPECT_FALSE(a == b);
  EXPECT_TRUE(a != b);
  EXPECT_FALSE(a.IsSubSetOf(b));
}

TEST(DLBitSet, EqualWordsFromDifferentHistoriesCompareEqual) {
  DLBitSet a(70);
  a.AddElements(0, 70);
  a.RemoveElements(10, 70);
  a.AddElement(65);
  const std::vector<int> ids{65, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
  const DLBitSet b(70, &ids);
  EXPECT_TRUE(a == b);
  EXPECT_TRUE(a.IsSubSetOf(b) && b.IsSubSetOf(a));
}

TEST(DLBitSet, WalkStopsAtTheEndUntilRestartedOrExtended) {
  DLBitSet s(100);
  int id = 77;
  EXPECT_FALSE(s.GetElementID(id, true));
  EXPECT_EQ(id, 77);  // untouched on an empty set

  s.AddElement(3);
  ASSERT_TRUE(s.GetElementID(id, true));
  EXPECT_EQ(id, 3);
  EXPECT_FALSE(s.GetElementID(id, false));
  EXPECT_FALSE(s.GetElementID(id, false));
  // An element added beyond the cursor is found by the continuing walk.
  s.AddElement(10);
  ASSERT_TRUE(s.GetElementID(id, false));
  EXPECT_EQ(id, 10);
  s.AddElement(70);
  ASSERT_TRUE(s.GetElementID(id, false));
  EXPECT_EQ(id, 70);
  EXPECT_FALSE(s.GetElementID(id, false));
  ASSERT_TRUE(s.GetElementID(id, true));
  EXPECT_EQ(id, 3);

  // A copy continues where its source stood.
  const DLBitSet copy = s;
  ASSERT_TRUE(copy.GetElementID(id, false));
  EXPECT_EQ(id, 10);
}

TEST(DLBitSet, WordsHoldTheFirstElementInTheTopBit) {
  const std::vector<int> ids{0, 31, 32, 65};
  DLBitSet s(66, &ids);
  ASSERT_EQ(s.GetNumOfWords(), 3);
  const std::uint32_t* words = s.GetWords();
  EXPECT_EQ(words[0], 0x80000001u);
  EXPECT_EQ(words[1], 0x80000000u);
  EXPECT_EQ(words[2], 0x40000000u);
  // The pointer shows later changes, and the complement leaves the padding clear.
  ~s;
  EXPECT_EQ(words[0], 0x7FFFFFFEu);
  EXPECT_EQ(words[1], 0x7FFFFFFFu);
  EXPECT_EQ(words[2], 0x80000000u);
  EXPECT_EQ(s.GetFirst(), 1);
  EXPECT_EQ(s.GetEnd(), 65);
}

TEST(DLBitSet, WalkMayRemoveTheElementItVisits) {
  std::mt19937 rng(11);
  for (int round = 0; round < 50; ++round) {
    const int capacity = std::uniform_int_distribution<int>(1, 300)(rng);
    std::vector<bool> ref = RandomMembers(capacity, rng);
    DLBitSet s = Build(ref);
    const int modulus = std::uniform_int_distribution<int>(1, 4)(rng);
    std::vector<int> visited;
    ruleweave::detail::ForEachElement(s, [&](int id) {
      visited.push_back(id);
      if (id % modulus != 0) s.RemoveElement(id);
    });
    EXPECT_EQ(visited, Members(ref));
    for (int i = 0; i < capacity; ++i) {
      if (i % modulus != 0) ref[static_cast<std::size_t>(i)] = false;
    }
    ExpectSame(s, ref);
  }
}
