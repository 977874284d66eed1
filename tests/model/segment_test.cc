// Tests of DLSegment: normalisation by the setters, equality and the one-line dump.
#include "ruleweave/model/segment.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>

#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/foundation/missing_value.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::max();

std::string Shown(const DLSegment& s) {
  std::ostringstream os;
  s.Display(os);
  return os.str();
}

TEST(DLSegment, EmptyNameThrowsWithTheCondition) {
  try {
    DLSegment s("", false);
    FAIL() << "no exception";
  } catch (const QXDecision::ConstructorException& e) {
    EXPECT_EQ(e.GetMessage(),
              "CANNOT CREATE OBJECT of DLSegment:\nPre-condition is not satisfied: ( attrName is "
              "not empty )");
  }
}

TEST(DLSegment, NewSegmentIsInvalidAndClear) {
  DLSegment s("age", false);
  EXPECT_FALSE(s.IsValid());
  EXPECT_EQ(s.GetOperator(), DLConst::OpInvalid);
  EXPECT_TRUE(QXMV::IsMissing(s.GetValueEqualTo()));
  double low, high;
  bool lowOpen, highOpen;
  s.GetRange(low, high, lowOpen, highOpen);
  EXPECT_EQ(low, kInf);
  EXPECT_EQ(high, -kInf);
  EXPECT_FALSE(lowOpen);
  EXPECT_FALSE(highOpen);
  EXPECT_EQ(Shown(s), "age is empty");
}

TEST(DLSegment, SetRangeRefusesInvalidIntervalsAndKeepsTheSegment) {
  DLSegment s("x", false);
  ASSERT_TRUE(s.SetRange(1, 2, false, false));
  EXPECT_FALSE(s.SetRange(3, 3, true, false));
  EXPECT_FALSE(s.SetRange(3, 3, false, true));
  EXPECT_FALSE(s.SetRange(5, 3, false, false));
  EXPECT_FALSE(s.SetRange(std::numeric_limits<double>::quiet_NaN(), 3, false, false));
  EXPECT_FALSE(s.SetRange(1, std::numeric_limits<double>::quiet_NaN(), false, false));
  EXPECT_EQ(s.GetOperator(), DLConst::OpRange);
  EXPECT_EQ(Shown(s), "1 <= x <= 2");
}

TEST(DLSegment, PointRangeBecomesEqualTo) {
  DLSegment s("x", false);
  ASSERT_TRUE(s.SetRange(3, 3, false, false));
  EXPECT_EQ(s.GetOperator(), DLConst::OpEqualTo);
  EXPECT_EQ(s.GetValueEqualTo(), 3);
  EXPECT_EQ(Shown(s), "x = 3");
}

TEST(DLSegment, UnboundedEndsAreStoredOpen) {
  DLSegment s("x", false);
  ASSERT_TRUE(s.SetRange(-kInf, 10, false, false));
  double low, high;
  bool lowOpen, highOpen;
  s.GetRange(low, high, lowOpen, highOpen);
  EXPECT_EQ(low, -kInf);
  EXPECT_TRUE(lowOpen);
  EXPECT_FALSE(highOpen);
  EXPECT_EQ(Shown(s), "x <= 10");

  ASSERT_TRUE(s.SetRange(2.5, kInf, false, false));
  s.GetRange(low, high, lowOpen, highOpen);
  EXPECT_FALSE(lowOpen);
  EXPECT_TRUE(highOpen);
  EXPECT_EQ(Shown(s), "2.5 <= x");

  ASSERT_TRUE(s.SetRange(2, 7, true, false));
  EXPECT_EQ(Shown(s), "2 < x <= 7");
  ASSERT_TRUE(s.SetRange(2, 7, false, true));
  EXPECT_EQ(Shown(s), "2 <= x < 7");
}

TEST(DLSegment, WholeRangeIsNotMissingNeverCoveringAll) {
  DLSegment s("x", false);
  s.CoverAll();
  EXPECT_EQ(s.GetOperator(), DLConst::OpNotMissing);
  EXPECT_TRUE(s.IsNotMissingSegment());
  EXPECT_FALSE(s.IsCoveringAll());
  EXPECT_EQ(Shown(s), "x is not missing");
  ASSERT_TRUE(s.SetRange(-kInf, kInf, true, true));
  EXPECT_EQ(s.GetOperator(), DLConst::OpNotMissing);
}

TEST(DLSegment, DisplayUsesPrecisionEightAndRestoresTheStream) {
  DLSegment s("x", false);
  s.SetValueEqualTo(1.0 / 3.0);
  std::ostringstream os;
  os.precision(3);
  s.Display(os);
  os << ' ' << 1.0 / 3.0;
  EXPECT_EQ(os.str(), "x = 0.33333333 0.333");
}

TEST(DLSegment, MissingCodeDependsOnLargeCategories) {
  DLSegment small("c", false);
  small.SetValueEqualTo(255);
  EXPECT_TRUE(small.IsMissingSegment());
  small.SetValueEqualTo(QXMV::Missing());
  EXPECT_TRUE(small.IsMissingSegment());
  EXPECT_EQ(Shown(small), "c is missing");

  DLSegment large("c", true);
  large.SetValueEqualTo(255);
  EXPECT_EQ(large.GetOperator(), DLConst::OpEqualTo);
  large.SetValueEqualTo(2147483647.0);
  EXPECT_TRUE(large.IsMissingSegment());
  // The missing rule also applies to a point range.
  ASSERT_TRUE(small.SetRange(255, 255, false, false));
  EXPECT_TRUE(small.IsMissingSegment());
}

TEST(DLSegment, SetValueSetByNumberOfValues) {
  DLSegment s("c", false);
  s.SetValueSet({}, true);
  EXPECT_TRUE(s.IsMissingSegment());
  s.SetValueSet({}, false);
  EXPECT_TRUE(s.IsNotMissingSegment());
  s.SetValueSet({4}, true);
  EXPECT_EQ(s.GetOperator(), DLConst::OpEqualTo);
  EXPECT_EQ(s.GetValueEqualTo(), 4);
  s.SetValueSet({4}, false);
  EXPECT_EQ(s.GetOperator(), DLConst::OpNotInSet);
  EXPECT_EQ(s.GetValueSet(), std::vector<double>({4}));
  EXPECT_EQ(Shown(s), "c is not in [4]");
  s.SetValueSet({1, 2}, false);
  EXPECT_EQ(Shown(s), "c is not in [1, 2]");
  s.SetValueSet({3, 1, 3}, true);
  EXPECT_EQ(s.GetOperator(), DLConst::OpInSet);
  EXPECT_EQ(s.GetValueSet(), std::vector<double>({3, 1, 3}));
  EXPECT_EQ(Shown(s), "c is in [3, 1, 3]");
  // Another kind clears the set.
  s.SetAsMissingSegment();
  EXPECT_TRUE(s.GetValueSet().empty());
}

TEST(DLSegment, EqualityByKindAndFields) {
  DLSegment a("c", false), b("c", false), other("d", false);
  a.SetValueSet({1, 2}, true);
  b.SetValueSet({2, 1}, true);
  EXPECT_NE(a, b);
  b.SetValueSet({1, 2}, true);
  EXPECT_EQ(a, b);
  b.SetValueSet({1, 2}, false);
  EXPECT_NE(a, b);

  a.SetRange(1, 5, true, false);
  b.SetRange(1, 5, true, false);
  EXPECT_EQ(a, b);
  b.SetRange(1, 5, false, false);
  EXPECT_NE(a, b);

  // Missing segments are equal whatever else they hold, and whatever their missing code.
  DLSegment large("c", true);
  a.SetAsMissingSegment();
  large.SetAsMissingSegment();
  EXPECT_EQ(a, large);
  other.SetAsMissingSegment();
  EXPECT_NE(a, other);
  DLSegment upper("C", false);
  upper.SetAsMissingSegment();
  EXPECT_NE(a, upper);
}

TEST(DLSegment, CopiesAreIndependent) {
  DLSegment a("c", false);
  a.SetValueSet({1, 2, 3}, false);
  DLSegment b(a);
  EXPECT_EQ(a, b);
  DLSegment c("z", true);
  c = a;
  EXPECT_EQ(c.GetAttrName(), "c");
  EXPECT_EQ(c, a);
  a.SetValueEqualTo(7);
  EXPECT_EQ(b.GetValueSet(), std::vector<double>({1, 2, 3}));
  EXPECT_EQ(c.GetOperator(), DLConst::OpNotInSet);
}

}  // namespace
