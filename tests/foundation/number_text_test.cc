// Tests of the locale-free number texts used by the XML writer and the PMML exporter.
#include "pmml/xml_number.h"

#include <gtest/gtest.h>

#include <cfloat>

namespace QXDecisionXML {
namespace {

TEST(XMLNumber, FixedSixDecimals) {
  EXPECT_EQ(FormatFixed6(2.5), "2.500000");
  EXPECT_EQ(FormatFixed6(-1.0), "-1.000000");
  EXPECT_EQ(FormatFixed6(1.5e-7), "0.000000");
  EXPECT_EQ(FormatFixed6(DBL_MAX).size(), 309u + 7u);
}

TEST(XMLNumber, ExactKeepsFixedWhenItReadsBackAndOtherwiseTheShortestText) {
  EXPECT_EQ(FormatExact(2.5), "2.500000");
  EXPECT_EQ(FormatExact(3.0), "3.000000");
  EXPECT_EQ(FormatExact(0.125), "0.125000");
  EXPECT_EQ(FormatExact(1.5e-7), "1.5e-07");
  EXPECT_EQ(FormatExact(0.1), "0.100000");  // reads back as the same double
  EXPECT_EQ(FormatExact(0.1 + 0.2), "0.30000000000000004");
  EXPECT_EQ(FormatExact(1234.5678901), "1234.5678901");
  EXPECT_EQ(FormatExact(1e20), "100000000000000000000.000000");
}

TEST(XMLNumber, ShortestAndIntegers) {
  EXPECT_EQ(FormatShortest(2.7), "2.7");
  EXPECT_EQ(FormatShortest(3.0), "3");
  EXPECT_EQ(FormatShortest(-0.5), "-0.5");
  EXPECT_EQ(FormatInt(-2147483647LL - 1), "-2147483648");
  EXPECT_EQ(FormatInt(42), "42");
  EXPECT_EQ(FormatG15(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(FormatG15(1e15), "1e+15");
  EXPECT_EQ(FormatG15(123456789012345.0), "123456789012345");
}

}  // namespace
}  // namespace QXDecisionXML
