// DLMeasure: values, orderings, dump, and confidence bounds against references computed here in
// long double, independently of the library's statistics: bisection on the binomial tail sum for
// whole counts, bisection on the power series of the incomplete beta function for fractional ones.
#include "ruleweave/foundation/measure.h"

#include <cmath>
#include <sstream>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/foundation/missing_value.h"

namespace {

using Real = long double;

// P(X <= k) and P(X > k) for X ~ Binomial(n, p), the smaller one summed term by term from k
// outwards (the terms fall off on that side), the other as its complement.
std::pair<Real, Real> BinomialTails(Real n, Real k, Real p) {
  if (k < 0) return {0, 1};
  if (k >= n) return {1, 0};
  const auto logPmf = [&](Real j) {
    return std::lgamma(n + 1) - std::lgamma(j + 1) - std::lgamma(n - j + 1) + j * std::log(p) +
           (n - j) * std::log1p(-p);
  };
  const Real odds = p / (1 - p);
  Real sum = 0;
  if (k < n * p) {
    Real j = k;
    for (Real t = std::exp(logPmf(j)); t > 0 && j >= 0; j -= 1) {
      sum += t;
      if (t < 1e-24L * sum) break;
      t *= j / (n - j + 1) / odds;
    }
    return {sum, 1 - sum};
  }
  Real j = k + 1;
  for (Real t = std::exp(logPmf(j)); t > 0 && j <= n; j += 1) {
    sum += t;
    if (t < 1e-24L * sum) break;
    t *= (n - j) / (j + 1) * odds;
  }
  return {1 - sum, sum};
}

// Bisection for the p at which `tooSmall(p)` turns false.
template <typename Predicate>
Real Bisect(Predicate tooSmall) {
  Real lo = 0;
  Real hi = 1;
  for (int i = 0; i < 100; ++i) {
    const Real mid = (lo + hi) / 2;
    if (mid == lo || mid == hi) break;
    (tooSmall(mid) ? lo : hi) = mid;
  }
  return (lo + hi) / 2;
}

// Clopper-Pearson for whole counts: P(X >= r | lower) = tail, P(X <= r | upper) = tail.
std::pair<double, double> BinomialBounds(Real n, Real r, Real confidence) {
  const Real tail = (1 - confidence) / 2;
  const Real lower =
      r == 0 ? 0 : Bisect([&](Real p) { return BinomialTails(n, r - 1, p).second < tail; });
  const Real upper =
      r == n ? 1 : Bisect([&](Real p) { return BinomialTails(n, r, p).first > tail; });
  return {static_cast<double>(lower), static_cast<double>(upper)};
}

// I_x(a, b) by its power series x^a (1-x)^b / (a B(a, b)) * sum_k (a+b)_k / (a+1)_k x^k.
Real SeriesBeta(Real x, Real a, Real b) {
  if (x <= 0) return 0;
  if (x >= 1) return 1;
  const Real lnB = std::lgamma(a) + std::lgamma(b) - std::lgamma(a + b);
  Real term = 1;
  Real sum = 0;
  for (int k = 0; k < 10000000; ++k) {
    sum += term;
    const Real ratio = (a + b + k) * x / (a + 1 + k);
    if (ratio < 1 && term < 1e-24L * sum) break;
    term *= ratio;
  }
  return std::exp(a * std::log(x) + b * std::log1p(-x) - lnB) / a * sum;
}

// Clopper-Pearson through the beta form, valid for fractional counts.
std::pair<double, double> SeriesBounds(Real n, Real r, Real confidence) {
  const Real tail = (1 - confidence) / 2;
  const Real lower =
      r == 0 ? 0 : Bisect([&](Real x) { return SeriesBeta(x, r, n - r + 1) < tail; });
  const Real upper =
      r == n ? 1 : 1 - Bisect([&](Real x) { return SeriesBeta(x, n - r, r + 1) < tail; });
  return {static_cast<double>(lower), static_cast<double>(upper)};
}

// Looser than this would still meet the promised 1e-8, but the methods agree far better.
constexpr double kTolerance = 1e-10;
constexpr double kConfidences[] = {0.5, 0.9, 0.95, 0.99, 0.999};

void ExpectBounds(double n, double r, double confidence, std::pair<double, double> expected) {
  double lower = -1;
  double upper = -1;
  GetProbabilityBoundaries(DLMeasure(n, r), confidence, lower, upper);
  EXPECT_NEAR(lower, expected.first, kTolerance)
      << "lower, coverage " << n << " response " << r << " confidence " << confidence;
  EXPECT_NEAR(upper, expected.second, kTolerance)
      << "upper, coverage " << n << " response " << r << " confidence " << confidence;
  if (confidence == 0.95) {
    const DLMeasure m(n, r);
    EXPECT_NEAR(m.GetLowerProbabilityBoundary(), lower, 1e-13);
    EXPECT_NEAR(m.GetUpperProbabilityBoundary(), upper, 1e-13);
  }
}

std::string DisplayOf(const DLMeasure& m) {
  std::ostringstream os;
  m.Display(os);
  return os.str();
}

}  // namespace

TEST(DLMeasure, DocumentedBounds) {
  const DLMeasure half(10, 5);
  EXPECT_EQ(half.GetProbability(), 0.5);
  EXPECT_NEAR(half.GetLowerProbabilityBoundary(), 0.187086, 5e-7);
  EXPECT_NEAR(half.GetUpperProbabilityBoundary(), 0.812914, 5e-7);
  EXPECT_NEAR(half.GetError(), 0.812914 - 0.5, 5e-7);

  EXPECT_EQ(DLMeasure(10, 0).GetLowerProbabilityBoundary(), 0.0);
  EXPECT_NEAR(DLMeasure(10, 0).GetUpperProbabilityBoundary(), 0.308497, 5e-7);
  EXPECT_NEAR(DLMeasure(10, 10).GetLowerProbabilityBoundary(), 0.691503, 5e-7);
  EXPECT_EQ(DLMeasure(10, 10).GetUpperProbabilityBoundary(), 1.0);
  EXPECT_NEAR(DLMeasure(1, 1).GetLowerProbabilityBoundary(), 0.025, 1e-15);
  EXPECT_EQ(DLMeasure(1, 1).GetUpperProbabilityBoundary(), 1.0);
  EXPECT_EQ(DLMeasure(1, 0).GetLowerProbabilityBoundary(), 0.0);
  EXPECT_NEAR(DLMeasure(1, 0).GetUpperProbabilityBoundary(), 0.975, 1e-15);
  EXPECT_NEAR(DLMeasure(100, 30).GetLowerProbabilityBoundary(), 0.212406, 5e-7);
  EXPECT_NEAR(DLMeasure(100, 30).GetUpperProbabilityBoundary(), 0.399815, 5e-7);
}

TEST(DLMeasure, ZeroCoverageHasNoProbabilityOrAccessorBounds) {
  const DLMeasure empty(0, 0);
  EXPECT_TRUE(QXMV::IsMissing(empty.GetProbability()));
  EXPECT_TRUE(QXMV::IsMissing(empty.GetLowerProbabilityBoundary()));
  EXPECT_TRUE(QXMV::IsMissing(empty.GetUpperProbabilityBoundary()));
  EXPECT_EQ(empty.GetError(), 0.0);
  double lower = -1;
  double upper = -1;
  GetProbabilityBoundaries(empty, 0.95, lower, upper);
  EXPECT_EQ(lower, 0.0);
  EXPECT_EQ(upper, 1.0);
}

TEST(DLMeasure, BoundsMatchBinomialReferenceOnSmallAndLargeCoverage) {
  for (double n : {1.0, 2.0, 7.0, 40.0, 1000.0, 1e6, 1e9}) {
    const double half = std::floor(n / 2);
    for (double r : {0.0, 1.0, 2.0, 10.0, half - 1, half, half + 1, n - 10, n - 2, n - 1, n}) {
      if (r < 0 || r > n) continue;
      for (double c : kConfidences) ExpectBounds(n, r, c, BinomialBounds(n, r, c));
    }
  }
}

TEST(DLMeasure, BoundsMatchBinomialReferenceAcrossTheSkewedMiddle) {
  // Response rates away from 0, 1/2 and 1 at coverages on both sides of the switch between the
  // fraction and the asymptotic method of the incomplete beta function.
  for (double n : {3e3, 2e5, 3e5, 1e7}) {
    for (double rate : {0.001, 0.05, 0.3, 0.9}) {
      const double r = std::floor(n * rate);
      for (double c : {0.5, 0.95, 0.999}) ExpectBounds(n, r, c, BinomialBounds(n, r, c));
    }
  }
}

TEST(DLMeasure, FractionalCountsMatchSeriesReference) {
  const double cases[][2] = {{0.5, 0.25}, {0.3, 0.3}, {1.5, 0.0},      {2.5, 1.5},
                             {10.3, 0.7}, {7.2, 7.2}, {150.75, 40.25}, {999.5, 998.25}};
  for (const auto& nr : cases) {
    for (double c : kConfidences) ExpectBounds(nr[0], nr[1], c, SeriesBounds(nr[0], nr[1], c));
  }
}

TEST(DLMeasure, ConstructionAndSetValuesKeepCoverageAtLeastResponse) {
  try {
    DLMeasure bad(3, 4);
    FAIL() << "no exception";
  } catch (const QXDecision::ConstructorException& e) {
    EXPECT_EQ(e.GetMessage(),
              "CANNOT CREATE OBJECT of DLMeasure:\n"
              "Pre-condition is not satisfied: ( coverage >= response )");
  }
  EXPECT_THROW(DLMeasure(std::nan(""), 0), QXDecision::ConstructorException);
  EXPECT_THROW(DLMeasure(1, std::nan("")), QXDecision::ConstructorException);

  DLMeasure m(10, 3);
  EXPECT_FALSE(m.SetValues(3, 4));
  EXPECT_FALSE(m.SetValues(std::nan(""), 1));
  EXPECT_EQ(m.GetCoverage(), 10);
  EXPECT_EQ(m.GetResponse(), 3);
  EXPECT_TRUE(m.SetValues(4, 4));
  EXPECT_EQ(m.GetCoverage(), 4);
  EXPECT_EQ(m.GetResponse(), 4);
}

TEST(DLMeasure, ArithmeticOnTheFields) {
  DLMeasure m(10, 3);
  m.ReverseResponse();
  EXPECT_EQ(m.GetCoverage(), 10);
  EXPECT_EQ(m.GetResponse(), 7);
  m += DLMeasure(2.5, 0.5);
  EXPECT_EQ(m.GetCoverage(), 12.5);
  EXPECT_EQ(m.GetResponse(), 7.5);
  DLMeasure copy;
  copy = m;
  EXPECT_EQ(copy.GetResponse(), 7.5);
  m.Clear();
  EXPECT_EQ(m.GetCoverage(), 0);
  EXPECT_EQ(m.GetResponse(), 0);
}

TEST(DLMeasure, OrderingsHandTiesToTheLargerCoverage) {
  const DLMeasure small(10, 5);
  const DLMeasure large(20, 10);
  EXPECT_TRUE(small < large);
  EXPECT_TRUE(small > large);
  EXPECT_FALSE(large < small);
  EXPECT_FALSE(large > small);
  EXPECT_TRUE(DLMeasure(10, 5) < DLMeasure(10, 6));
  EXPECT_TRUE(DLMeasure(10, 6) > DLMeasure(10, 5));
  EXPECT_FALSE(DLMeasure(10, 6) < DLMeasure(10, 5));
  EXPECT_FALSE(small < small);
  EXPECT_FALSE(small > small);
  // Equal values in another object: the coverage tie-break is strict, so still false.
  EXPECT_FALSE(small < DLMeasure(10, 5));
  // Coverage 0 sorts below everything with coverage.
  EXPECT_TRUE(DLMeasure(0, 0) < DLMeasure(5, 0));
  EXPECT_FALSE(DLMeasure(0, 0) > DLMeasure(5, 0));
}

TEST(DLMeasure, DisplayWritesOneLineAtSixteenDigitsAndRestoresPrecision) {
  EXPECT_EQ(DisplayOf(DLMeasure(4, 1)),
            "DLMeasure:\tcoverage = 4\tresponse = 1\tProbability = 0.25\n");
  EXPECT_EQ(DisplayOf(DLMeasure(3, 1)),
            "DLMeasure:\tcoverage = 3\tresponse = 1\tProbability = 0.3333333333333333\n");
  EXPECT_EQ(DisplayOf(DLMeasure(0, 0)),
            "DLMeasure:\tcoverage = 0\tresponse = 0\tProbability = missing\n");
  std::ostringstream os;
  os.precision(3);
  DLMeasure(3, 1).Display(os);
  os << 1.0 / 3;
  EXPECT_EQ(os.str().substr(os.str().size() - 5), "0.333");
}
