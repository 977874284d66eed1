// Tests of the user-missing sets and the numeric interval.
#include "ruleweave/variables/user_missing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

namespace {

constexpr double kMax = std::numeric_limits<double>::max();

TEST(DLNumericInterval, HalfOpenFormsReachTheLargestDouble) {
  DLNumericInterval above(5.0, false);
  EXPECT_EQ(DLNumericInterval(5, false).GetRightEnd(), kMax);
  EXPECT_TRUE(above.Contains(5.0));
  EXPECT_TRUE(above.Contains(1e300));
  EXPECT_FALSE(above.Contains(4.999));
  EXPECT_TRUE(above.IsRightEndInfinite());
  EXPECT_FALSE(above.IsLeftEndInfinite());
  EXPECT_EQ(above.GetRightEnd(), kMax);

  DLNumericInterval upTo(5.0, true);
  EXPECT_TRUE(upTo.Contains(-1e300));
  EXPECT_TRUE(upTo.Contains(5.0));
  EXPECT_FALSE(upTo.Contains(5.001));
  EXPECT_TRUE(upTo.IsLeftEndInfinite());
}

TEST(DLNumericInterval, ReversedIntervalIsEmptyAndEndsAreStoredAnyway) {
  DLNumericInterval reversed(3, 1);
  EXPECT_TRUE(reversed.IsEmpty());
  EXPECT_FALSE(reversed.Contains(2.0));
  EXPECT_FALSE(reversed.Contains(3.0));

  DLNumericInterval i(3.0, 4.0);
  EXPECT_FALSE(i.SetRightEnd(2.0));
  EXPECT_EQ(i.GetRightEnd(), 2.0);
  EXPECT_TRUE(i.IsEmpty());
  EXPECT_TRUE(i.SetLeftEnd(1.0));
  EXPECT_FALSE(i.IsEmpty());
  EXPECT_FALSE(i.SetLeftEnd(7.0));
  EXPECT_EQ(i.GetLeftEnd(), 7.0);
}

TEST(DLNumericInterval, NaNIsNeverContained) {
  EXPECT_FALSE(DLNumericInterval(-kMax, kMax).Contains(std::nan("")));
}

TEST(DLNumericInterval, CompatibleMeansInside) {
  DLNumericInterval inner(2.0, 3.0);
  DLNumericInterval outer(1.0, 4.0);
  EXPECT_TRUE(inner.IsCompatibleWith(outer));
  EXPECT_FALSE(outer.IsCompatibleWith(inner));
  EXPECT_TRUE(inner.IsCompatibleWith(inner));
  EXPECT_TRUE(inner == DLNumericInterval(2.0, 3.0));
  EXPECT_TRUE(inner != outer);
}

TEST(DLNumericInterval, Display) {
  std::ostringstream os;
  DLNumericInterval(1.5, 2.0).Display(os);
  DLNumericInterval(1.5, true).Display(os);
  DLNumericInterval(0.1, false).Display(os);
  EXPECT_EQ(os.str(),
            "DLNumericInterval: [ 1.5, 2 ]\n"
            "DLNumericInterval: ( -infinity, 1.5 ]\n"
            "DLNumericInterval: [ 0.1, infinity )\n");
  EXPECT_EQ(os.precision(), 6);  // restored
}

TEST(DLNumericUserMissing, ContainsValuesAndInterval) {
  DLNumericUserMissing um;
  EXPECT_EQ(um.GetInterval(), nullptr);
  um.AddValue(99.0, "refused");
  um.AddValue(99.0, "again");
  EXPECT_EQ(um.GetNDiscreteValues(), 2);
  EXPECT_TRUE(um.Contains(99.0));
  EXPECT_FALSE(um.Contains(0.0));  // the unset interval [0, 0] is not consulted
  EXPECT_FALSE(um.HasInterval());
  um.SetInterval(DLNumericInterval(-10.0, -5.0));
  EXPECT_TRUE(um.HasInterval());
  ASSERT_NE(um.GetInterval(), nullptr);
  EXPECT_EQ(um.GetInterval()->GetLeftEnd(), -10.0);
  EXPECT_TRUE(um.Contains(-5.0));
  EXPECT_FALSE(um.Contains(-4.0));
  EXPECT_EQ(um.GetDataType(), IDLUserMissing::kNumericMissing);
}

TEST(DLNumericUserMissing, EqualityIsOrderedAndIgnoresLabels) {
  DLNumericUserMissing a, b, c;
  a.AddValue(1.0, "x");
  a.AddValue(2.0, "y");
  b.AddValue(1.0, "other");
  b.AddValue(2.0, "labels");
  c.AddValue(2.0, "x");
  c.AddValue(1.0, "y");
  EXPECT_TRUE(a == b);
  EXPECT_FALSE(a == c);
  EXPECT_TRUE(a != c);
  b.SetInterval(DLNumericInterval(0.0, 0.0));
  EXPECT_FALSE(a == b);  // the interval flags differ even though the ends agree
}

TEST(DLNumericUserMissing, CompatibilityIsContainment) {
  DLNumericUserMissing small, big, onlyOne;
  small.AddValue(1.0);
  small.AddValue(2.0);
  big.AddValue(2.0);
  big.AddValue(1.0);
  big.AddValue(9.0);
  onlyOne.AddValue(1.0);
  EXPECT_TRUE(small.IsCompatibleWith(big));
  EXPECT_FALSE(big.IsCompatibleWith(small));
  EXPECT_FALSE(small.IsCompatibleWith(onlyOne));

  // An unset interval counts as [0, 0], which does not lie inside [5, 10].
  DLNumericUserMissing withInterval;
  withInterval.AddValue(1.0);
  withInterval.AddValue(2.0);
  withInterval.SetInterval(DLNumericInterval(5.0, 10.0));
  EXPECT_FALSE(small.IsCompatibleWith(withInterval));
  DLNumericUserMissing sameValues;
  sameValues.AddValue(2.0);
  sameValues.AddValue(1.0);
  EXPECT_TRUE(small.IsCompatibleWith(sameValues));
}

TEST(DLNumericUserMissing, NeverEqualToAStringSet) {
  DLNumericUserMissing numeric;
  DLStringUserMissing strings;
  EXPECT_FALSE(numeric == strings);
  EXPECT_FALSE(strings == numeric);
  EXPECT_FALSE(numeric.IsCompatibleWith(strings));
  EXPECT_FALSE(strings.IsCompatibleWith(numeric));
}

TEST(DLNumericUserMissing, CopiesAreIndependent) {
  DLNumericUserMissing a;
  a.AddValue(1.0, "one");
  DLNumericUserMissing b(a);
  b.AddValue(2.0, "two");
  EXPECT_EQ(a.GetNDiscreteValues(), 1);
  a = b;
  EXPECT_EQ(a.GetNDiscreteValues(), 2);
  EXPECT_EQ(a.GetValueLabels()[1], "two");
}

TEST(DLNumericUserMissing, Display) {
  DLNumericUserMissing um;
  um.AddValue(-1.0, "no answer");
  um.AddValue(0.125, "");
  um.SetInterval(DLNumericInterval(900.0, false));
  std::ostringstream os;
  um.Display(os);
  EXPECT_EQ(os.str(),
            "Start of DLNumericUserMissing display\n"
            "Discrete missing values:\n"
            "-1, label = no answer\n"
            "0.125, label = \n"
            "Missing interval:\n"
            "DLNumericInterval: [ 900, infinity )\n"
            "End of DLNumericUserMissing display\n");
}

TEST(DLStringUserMissing, ContainsIsExactAndCaseSensitive) {
  DLStringUserMissing um;
  um.AddValue("A", "capital");
  EXPECT_TRUE(um.Contains("A"));
  EXPECT_FALSE(um.Contains("a"));
  EXPECT_FALSE(um.Contains("A "));
  EXPECT_FALSE(um.HasInterval());
  EXPECT_EQ(um.GetDataType(), IDLUserMissing::kStringMissing);
}

TEST(DLStringUserMissing, EqualityAndCompatibility) {
  DLStringUserMissing a, b, c;
  a.AddValue("x");
  b.AddValue("x");
  b.AddValue("y");
  c.AddValue("x", "label ignored");
  EXPECT_TRUE(a == c);
  EXPECT_FALSE(a == b);
  EXPECT_TRUE(a.IsCompatibleWith(b));
  EXPECT_FALSE(b.IsCompatibleWith(a));
}

TEST(DLStringUserMissing, Display) {
  DLStringUserMissing um;
  um.AddValue("NA", "not available");
  std::ostringstream os;
  um.Display(os);
  EXPECT_EQ(os.str(),
            "Start of DLStringUserMissing display\n"
            "Discrete missing values:\n"
            "NA, label = not available\n"
            "End of DLStringUserMissing display\n");
}

}  // namespace
