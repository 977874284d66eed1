// The statistical functions behind the bounds, checked against closed forms and the standard
// library's own implementations of the related functions.
#include "foundation/statistics.h"

#include <cmath>

#include <gtest/gtest.h>

#include "ruleweave/foundation/missing_value.h"

namespace stats = ruleweave::statistics;

TEST(Statistics, LogGammaAgreesWithTheStandardLibrary) {
  for (double x : {1e-300, 1e-8, 0.1, 0.5, 1.0, 1.5, 2.0, 3.7, 9.99, 10.0, 17.5, 1e3, 1e6, 1e9}) {
    const double expected = std::lgamma(x);
    EXPECT_NEAR(stats::LogGamma(x), expected, 1e-14 * std::fmax(1.0, std::fabs(expected))) << x;
  }
  EXPECT_NEAR(stats::LogGamma(0.5), 0.5 * std::log(std::acos(-1.0)), 1e-14);
  EXPECT_TRUE(std::isnan(stats::LogGamma(0.0)));
  EXPECT_TRUE(std::isnan(stats::LogGamma(-1.0)));
}

TEST(Statistics, LogBetaHoldsItsDigitsForUnevenParameters) {
  // ln B(1, b) = -ln b exactly; ln B(2, b) = -ln(b (b + 1)).
  for (double b : {0.5, 3.0, 12.0, 1e5, 1e9}) {
    EXPECT_NEAR(stats::LogBeta(1.0, b), -std::log(b), 1e-14 * std::fmax(1.0, std::log(b)));
    EXPECT_NEAR(stats::LogBeta(b, 2.0), -std::log(b * (b + 1)), 1e-13) << b;
  }
  EXPECT_NEAR(stats::LogBeta(50.0, 70.0),
              std::lgamma(50.0) + std::lgamma(70.0) - std::lgamma(120.0), 1e-12);
}

TEST(Statistics, NormalQuantileInvertsTheErrorFunction) {
  EXPECT_EQ(stats::NormalQuantile(0.5), 0.0);
  EXPECT_NEAR(stats::NormalQuantile(0.975), 1.959963984540054, 1e-15);
  // Lower tail only: a p near 1 has lost the digits that would fix z.
  for (double z = -37.0; z <= 0.0; z += 0.25) {
    const double p = 0.5 * std::erfc(-z / std::sqrt(2.0));
    EXPECT_NEAR(stats::NormalQuantile(p), z, 1e-14 * std::fmax(1.0, std::fabs(z))) << z;
    if (p > 1e-6) {
      EXPECT_NEAR(stats::NormalQuantile(1 - p), -z, 1e-15 / p + 1e-14 * std::fabs(z)) << z;
    }
  }
  EXPECT_TRUE(QXMV::IsMissing(stats::NormalQuantile(0.0)));
  EXPECT_TRUE(QXMV::IsMissing(stats::NormalQuantile(1.0)));
  EXPECT_TRUE(QXMV::IsMissing(stats::NormalQuantile(std::nan(""))));
}

TEST(Statistics, IncompleteBetaClosedForms) {
  stats::BetaTails t{};
  for (double x : {1e-12, 0.01, 0.3, 0.5, 0.9, 0.999999}) {
    for (double b : {0.5, 1.0, 7.0, 250.0, 2e5, 1e9}) {
      // I_x(1, b) = 1 - (1 - x)^b; its complement (1 - x)^b.
      ASSERT_TRUE(stats::IncompleteBeta(x, 1 - x, 1.0, b, &t));
      const double complement = std::exp(b * std::log1p(-x));
      EXPECT_NEAR(t.upper, complement, 1e-12 * complement + 1e-300) << x << " " << b;
      EXPECT_NEAR(t.lower, -std::expm1(b * std::log1p(-x)), 1e-14) << x << " " << b;
    }
    ASSERT_TRUE(stats::IncompleteBeta(x, 1 - x, 2.0, 2.0, &t));
    EXPECT_NEAR(t.lower, x * x * (3 - 2 * x), 4e-15);
  }
  ASSERT_TRUE(stats::IncompleteBeta(0.0, 1.0, 2.0, 3.0, &t));
  EXPECT_EQ(t.lower, 0.0);
  ASSERT_TRUE(stats::IncompleteBeta(1.0, 0.0, 2.0, 3.0, &t));
  EXPECT_EQ(t.lower, 1.0);
  EXPECT_FALSE(stats::IncompleteBeta(0.5, 0.5, 0.0, 3.0, &t));
  EXPECT_FALSE(stats::IncompleteBeta(0.5, 0.5, 2.0, -1.0, &t));
}

TEST(Statistics, IncompleteBetaIsContinuousAcrossItsMethods) {
  // Both parameters at the switch to the asymptotic method: just below uses the fraction.
  stats::BetaTails below{};
  stats::BetaTails above{};
  for (double b : {1e5, 3e5, 4e6}) {
    const double a = 1e5;
    const double mean = a / (a + b);
    const double sd = std::sqrt(a * b / ((a + b) * (a + b) * (a + b)));
    for (double k : {-3.0, -0.5, 0.0, 1.0, 3.0}) {
      const double x = mean + k * sd;
      ASSERT_TRUE(stats::IncompleteBeta(x, 1 - x, std::nextafter(a, 0.0), b, &below));
      ASSERT_TRUE(stats::IncompleteBeta(x, 1 - x, a, b, &above));
      EXPECT_NEAR(below.lower, above.lower, 1e-9) << b << " " << k;
      EXPECT_NEAR(below.upper + below.lower, 1.0, 1e-15);
      EXPECT_NEAR(above.upper + above.lower, 1.0, 1e-15);
    }
  }
}

TEST(Statistics, FQuantileClosedForms) {
  for (double p : {0.001, 0.1, 0.5, 0.975, 0.9995}) {
    // F(2, 2): beta(1, 1) is uniform.
    EXPECT_NEAR(stats::FQuantile(p, 2, 2), p / (1 - p), 1e-12 * p / (1 - p));
    // F(2, d2): beta(1, d2 / 2) has quantile 1 - (1 - p)^(2 / d2).
    for (double d2 : {1.0, 5.0, 40.0}) {
      const double expected = d2 / 2 * std::expm1(-2 / d2 * std::log1p(-p));
      EXPECT_NEAR(stats::FQuantile(p, 2, d2), expected, 1e-12 * expected) << p << " " << d2;
    }
    // F(d1, 2): beta(d1 / 2, 1) has quantile p^(2 / d1).
    for (double d1 : {1.0, 6.0, 300.0}) {
      const double x = std::pow(p, 2 / d1);
      const double expected = 2 / d1 * x / (1 - x);
      EXPECT_NEAR(stats::FQuantile(p, d1, 2), expected, 1e-11 * expected) << p << " " << d1;
    }
  }
  EXPECT_EQ(stats::FQuantile(0.0, 3, 4), 0.0);
  EXPECT_TRUE(QXMV::IsMissing(stats::FQuantile(1.0, 3, 4)));
  EXPECT_TRUE(QXMV::IsMissing(stats::FQuantile(0.5, 0, 4)));
  EXPECT_TRUE(QXMV::IsMissing(stats::FQuantile(0.5, 4, -1)));
  EXPECT_TRUE(QXMV::IsMissing(stats::FQuantile(-0.1, 3, 4)));
  EXPECT_TRUE(QXMV::IsMissing(stats::FQuantile(std::nan(""), 3, 4)));
}

TEST(Statistics, BoundsEqualTheFDistributionForms) {
  // lower = r / (r + (n - r + 1) F(q; 2(n - r + 1), 2r)),
  // upper = (r + 1) F / ((n - r) + (r + 1) F) with F = F(q; 2(r + 1), 2(n - r)).
  const double q = 0.975;
  const double cases[][2] = {{10, 5}, {100, 30}, {57.5, 3.25}, {4e4, 11}};
  for (const auto& nr : cases) {
    const double n = nr[0];
    const double r = nr[1];
    double lower = 0;
    double upper = 0;
    stats::ClopperPearson(n, r, 1 - q, &lower, &upper);
    const double fl = stats::FQuantile(q, 2 * (n - r + 1), 2 * r);
    const double fu = stats::FQuantile(q, 2 * (r + 1), 2 * (n - r));
    EXPECT_NEAR(lower, r / (r + (n - r + 1) * fl), 1e-13);
    EXPECT_NEAR(upper, (r + 1) * fu / ((n - r) + (r + 1) * fu), 1e-13);
    EXPECT_EQ(stats::ClopperPearsonLower(n, r, 1 - q), lower) << "the lower end alone";
  }
  EXPECT_EQ(stats::ClopperPearsonLower(20, 0, 0.025), 0.0);
}

TEST(Statistics, LowerEndAboveAThresholdAgreesWithTheSolvedEnd) {
  // Thresholds on both sides of each lower end, at it, and a hair away from it (where the one
  // incomplete-beta value cannot decide and the end is solved); within a percent of it the
  // series placement gives way to the full evaluation for the large counts, also on the
  // asymptotic side (both parameters above 1e5).
  const double cases[][2] = {{10, 5},    {100, 30}, {57.5, 3.25}, {4e4, 11},
                             {300, 299}, {8, 1},    {2e5, 1.7e4}, {1e6, 3e5}};
  for (const auto& nr : cases) {
    const double lower = stats::ClopperPearsonLower(nr[0], nr[1], 0.025);
    for (double t : {lower * 0.5, lower * 0.99, lower * (1 - 1e-9), lower, lower * (1 + 1e-9),
                     lower * 1.01, 0.5 * (lower + 1), 0.0, 1.0}) {
      EXPECT_EQ(stats::ClopperPearsonLowerExceeds(nr[0], nr[1], 0.025, t), lower > t)
          << nr[0] << " " << nr[1] << " " << t;
    }
  }
  EXPECT_FALSE(stats::ClopperPearsonLowerExceeds(20, 0, 0.025, 0.01));
  EXPECT_FALSE(stats::ClopperPearsonLowerExceeds(3, 4, 0.025, 0.01));
}

TEST(Statistics, IntervalRefusesInputsWithoutOne) {
  double lower = 0;
  double upper = 0;
  stats::ClopperPearson(-5, -6, 0.025, &lower, &upper);
  EXPECT_TRUE(QXMV::IsMissing(lower) && QXMV::IsMissing(upper));
  stats::ClopperPearson(3, 4, 0.025, &lower, &upper);
  EXPECT_TRUE(QXMV::IsMissing(lower) && QXMV::IsMissing(upper));
  stats::ClopperPearson(HUGE_VAL, 4, 0.025, &lower, &upper);
  EXPECT_TRUE(QXMV::IsMissing(lower) && QXMV::IsMissing(upper));
  EXPECT_TRUE(QXMV::IsMissing(stats::ClopperPearsonLower(3, 4, 0.025)));
  EXPECT_TRUE(QXMV::IsMissing(stats::ClopperPearsonLower(10, 4, 0.5)));
}
