// Tests of DLDataQuery: copies own their case space, equality over all four fields.
#include "ruleweave/data/data_query.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(DLDataQuery, DefaultIsEmpty) {
  DLDataQuery q;
  EXPECT_EQ(q.GetCaseSpace(), nullptr);
  EXPECT_TRUE(q.GetPredictorNames().empty());
  EXPECT_EQ(q.GetTargetName(), "");
  EXPECT_EQ(q.GetResponseVal(), "");
}

TEST(DLDataQuery, CopiesOwnTheirCaseSpace) {
  std::vector<int> ids = {1, 3};
  DLBitSet space(5, &ids);
  DLDataQuery q(&space, {"a", "b"}, "t", "1");
  EXPECT_NE(q.GetCaseSpace(), &space);
  EXPECT_TRUE(*q.GetCaseSpace() == space);

  DLDataQuery copy(q);
  EXPECT_NE(copy.GetCaseSpace(), q.GetCaseSpace());
  EXPECT_TRUE(copy == q);

  DLDataQuery assigned;
  assigned = q;
  EXPECT_TRUE(assigned == q);
  EXPECT_NE(assigned.GetCaseSpace(), q.GetCaseSpace());

  // A case space of another capacity replaces the old one on assignment.
  DLBitSet other(9);
  DLDataQuery wide(&other, {}, "t", "1");
  assigned = wide;
  EXPECT_EQ(assigned.GetCaseSpace()->GetCapacity(), 9);

  const DLDataQuery& self = assigned;
  assigned = self;  // self-assignment leaves it intact
  EXPECT_TRUE(assigned == wide);

  q.SetCaseSpace(q.GetCaseSpace());  // replacing by a copy of itself is safe
  EXPECT_TRUE(*q.GetCaseSpace() == space);
  q.SetCaseSpace(nullptr);
  EXPECT_EQ(q.GetCaseSpace(), nullptr);
}

TEST(DLDataQuery, EqualityComparesEveryField) {
  DLBitSet space(4);
  space.AddElement(2);
  const DLDataQuery base(&space, {"a", "b"}, "t", "1");
  DLDataQuery q(base);
  EXPECT_TRUE(q == base);

  q.SetTargetName("u");
  EXPECT_TRUE(q != base) << "equal case spaces, different targets";
  q = base;
  q.SetResponseVal("2");
  EXPECT_FALSE(q == base);
  q = base;
  q.SetPredictorNames({"b", "a"});
  EXPECT_FALSE(q == base);
  q = base;
  q.SetCaseSpace(nullptr);
  EXPECT_FALSE(q == base);
  EXPECT_FALSE(base == q);
  DLBitSet otherSpace(4);
  q.SetCaseSpace(&otherSpace);
  EXPECT_FALSE(q == base);
  DLDataQuery noSpace1(nullptr, {"a"}, "t", "1"), noSpace2(nullptr, {"a"}, "t", "1");
  EXPECT_TRUE(noSpace1 == noSpace2);
}

}  // namespace
