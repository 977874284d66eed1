// Tests of the locale-free number texts.
#include "foundation/number_text.h"

#include <gtest/gtest.h>

#include <cfloat>

namespace ruleweave {
namespace number_text {
namespace {

TEST(NumberText, FixedSixDecimals) {
  EXPECT_EQ(FormatFixed6(2.5), "2.500000");
  EXPECT_EQ(FormatFixed6(-1.0), "-1.000000");
  EXPECT_EQ(FormatFixed6(1.5e-7), "0.000000");
  EXPECT_EQ(FormatFixed6(DBL_MAX).size(), 309u + 7u);
}

TEST(NumberText, ExactKeepsFixedWhenItReadsBackAndOtherwiseTheShortestText) {
  EXPECT_EQ(FormatExact(2.5), "2.500000");
  EXPECT_EQ(FormatExact(3.0), "3.000000");
  EXPECT_EQ(FormatExact(0.125), "0.125000");
  EXPECT_EQ(FormatExact(1.5e-7), "1.5e-07");
  EXPECT_EQ(FormatExact(0.1), "0.100000");  // reads back as the same double
  EXPECT_EQ(FormatExact(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(FormatExact(1234.5678901), "1234.5678901");
  EXPECT_EQ(FormatExact(1e20), "100000000000000000000.000000");
}

TEST(NumberText, ShortestAndIntegers) {
  EXPECT_EQ(FormatShortest(2.7), "2.7");
  EXPECT_EQ(FormatShortest(3.0), "3");
  EXPECT_EQ(FormatShortest(-0.5), "-0.5");
  EXPECT_EQ(FormatInt(-2147483647LL - 1), "-2147483648");
  EXPECT_EQ(FormatInt(42), "42");
  EXPECT_EQ(FormatG15(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(FormatG15(1e15), "1e+15");
  EXPECT_EQ(FormatG15(123456789012345.0), "123456789012345");
}

TEST(NumberText, ParseWholeNumbersOnly) {
  double v = -1;
  EXPECT_TRUE(ParseWholeNumber("2.5", &v));
  EXPECT_EQ(v, 2.5);
  EXPECT_TRUE(ParseWholeNumber("-1e-09", &v));
  EXPECT_EQ(v, -1e-9);
  EXPECT_TRUE(ParseWholeNumber("0.30000000000000004", &v));
  EXPECT_EQ(v, 0.1 + 0.2);
  EXPECT_TRUE(ParseWholeNumber("+3", &v));
  EXPECT_EQ(v, 3);
  EXPECT_TRUE(ParseWholeNumber("-1.7976931348623157e308", &v));
  EXPECT_EQ(v, -1.7976931348623157e308);
  v = 42;
  for (const char* bad : {"", " 1", "1 ", "1.5abc", "nan", "NaN", "inf", "-Infinity", "1e400",
                          "0x10", "+", "+-1", "1,5", "--1"}) {
    EXPECT_FALSE(ParseWholeNumber(bad, &v)) << bad;
  }
  EXPECT_EQ(v, 42);
}

TEST(NumberText, LeadingNumberReadsAsAtofWithoutTheLocale) {
  EXPECT_EQ(ParseLeadingNumber("  +2.5kg"), 2.5);
  EXPECT_EQ(ParseLeadingNumber("-1e3"), -1000.0);
  EXPECT_EQ(ParseLeadingNumber("abc"), 0.0);
  EXPECT_EQ(ParseLeadingNumber(""), 0.0);
  EXPECT_EQ(ParseLeadingNumber("1e400"), 0.0);
}

}  // namespace
}  // namespace number_text
}  // namespace ruleweave
