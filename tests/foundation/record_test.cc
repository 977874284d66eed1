// QXCommon::Record and the system-missing value.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "ruleweave/foundation/missing_value.h"
#include "ruleweave/foundation/record.h"

using QXCommon::Record;

TEST(QXMV, OnlyTheMostNegativeFiniteDoubleIsMissing) {
  std::uint64_t bits = 0;
  std::memcpy(&bits, &QXMV::gMissingValue, sizeof bits);
  EXPECT_EQ(bits, 0xFFEFFFFFFFFFFFFFull);
  EXPECT_EQ(QXMV::Missing(), -1.7976931348623157e+308);
  EXPECT_TRUE(QXMV::IsMissing(QXMV::Missing()));
  EXPECT_TRUE(QXMV::IsMissing(QXMV::gMissingValue));
  EXPECT_FALSE(QXMV::IsMissing(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(QXMV::IsMissing(-std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(QXMV::IsMissing(-1.0e308));
  EXPECT_FALSE(QXMV::IsMissing(std::nextafter(QXMV::Missing(), 0.0)));
}

TEST(Record, ConstructorSizes) {
  const Record two;
  ASSERT_EQ(two.Size(), 2);
  EXPECT_EQ(two[0], 0.0);
  EXPECT_EQ(two[1], 0.0);
  const Record negative(-5);
  ASSERT_EQ(negative.Size(), 1);
  EXPECT_EQ(negative[0], 0.0);
  const Record none(0);
  EXPECT_EQ(none.Size(), 0);
  EXPECT_EQ(none.GetAll(), nullptr);
}

TEST(Record, CopiesAreDeepAndAssignmentTakesTheSize) {
  Record a(3);
  a[0] = 1.5;
  a[2] = QXMV::Missing();
  Record b(a);
  b[0] = 9.0;
  EXPECT_EQ(a[0], 1.5);
  EXPECT_TRUE(QXMV::IsMissing(b[2]));

  Record c(1);
  c = a;
  ASSERT_EQ(c.Size(), 3);
  EXPECT_EQ(c[0], 1.5);
  EXPECT_NE(c.GetAll(), a.GetAll());
  const Record& same = c;
  c = same;  // self-assignment leaves it alone
  EXPECT_EQ(c[0], 1.5);

  const Record empty(0);
  c = empty;
  EXPECT_EQ(c.Size(), 0);
  const Record copyOfEmpty(empty);
  EXPECT_EQ(copyOfEmpty.Size(), 0);
  EXPECT_EQ(copyOfEmpty.GetAll(), nullptr);
}

TEST(Record, Resize) {
  Record r(2);
  r[1] = 4.0;
  EXPECT_TRUE(r.Resize(2));
  EXPECT_EQ(r[1], 4.0);  // same size keeps the values
  EXPECT_TRUE(r.Resize(5));
  ASSERT_EQ(r.Size(), 5);
  double* values = r.GetAll();
  for (int i = 0; i < 5; ++i) values[i] = i;  // new values must be written before reading
  EXPECT_EQ(r[4], 4.0);
  EXPECT_TRUE(r.Resize(-1));
  EXPECT_EQ(r.Size(), 0);
  EXPECT_TRUE(r.Resize(-7));
  EXPECT_EQ(r.Size(), 0);
}
