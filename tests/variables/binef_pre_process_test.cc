// Tests of the equal-frequency binner.
#include "variables/binef_pre_process.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "ruleweave/foundation/missing_value.h"

namespace {

using Records = std::vector<BINEFPreProcessDL::ValueWeight>;

// Unit weights for the given (sorted) values.
Records Unit(const std::vector<double>& values) {
  Records records;
  for (double v : values) records.emplace_back(v, 1);
  return records;
}

std::vector<double> Cuts(const Records& records, int bins, double total, bool trimTop = true,
                         std::vector<int>* talliesOut = nullptr) {
  BINEFPreProcessDL binner(bins, trimTop);
  std::vector<double> cuts{-123.0};  // stale content must go
  std::vector<int> tallies{42};
  EXPECT_TRUE(binner.ComputeCutpoints(records, cuts, tallies, total));
  if (talliesOut != nullptr) *talliesOut = tallies;
  return cuts;
}

TEST(BINEFPreProcessDL, ExactBalanceCutsBetweenValues) {
  EXPECT_EQ(Cuts(Unit({1, 2, 3, 4}), 2, 4.0), (std::vector<double>{2.5}));
}

TEST(BINEFPreProcessDL, PassingTheTargetCutsAtTheValue) {
  std::vector<int> tallies;
  EXPECT_EQ(Cuts(Unit({1, 1, 1, 2}), 2, 4.0, true, &tallies), (std::vector<double>{1.0}));
  EXPECT_EQ(tallies, (std::vector<int>{3, 1}));
}

TEST(BINEFPreProcessDL, ConstantColumnHasNoCutpoints) {
  std::vector<int> tallies;
  EXPECT_TRUE(Cuts(Unit({7, 7, 7, 7, 7}), 4, 5.0, true, &tallies).empty());
  EXPECT_EQ(tallies, (std::vector<int>{5}));
}

TEST(BINEFPreProcessDL, TrimmingAtTheBottom) {
  // The cut at 1 equals the smallest value: with bottom trimming it goes.
  EXPECT_TRUE(Cuts(Unit({1, 1, 1, 2}), 2, 4.0, /*trimTop=*/false).empty());
  // A top cut equal to the largest value stays when trimming the bottom.
  EXPECT_EQ(Cuts(Unit({1, 2, 2, 2}), 2, 4.0, /*trimTop=*/false), (std::vector<double>{2.0}));
  EXPECT_TRUE(Cuts(Unit({1, 2, 2, 2}), 2, 4.0, /*trimTop=*/true).empty());
}

TEST(BINEFPreProcessDL, WeightsCountAsRepeatedRecords) {
  // 1 x3, 2 x1, 3 x2, 4 x2, total 8, 4 bins: targets 2, 4, 6.
  Records records{{1, 3}, {2, 1}, {3, 2}, {4, 2}};
  std::vector<int> tallies;
  EXPECT_EQ(Cuts(records, 4, 8.0, true, &tallies), (std::vector<double>{1.0, 2.5, 3.5}));
  EXPECT_EQ(tallies, (std::vector<int>{3, 1, 2, 2}));
}

TEST(BINEFPreProcessDL, ACutAlreadyPassedIsNotRepeated) {
  // 1 weighs 10 of 11: the 33% and 67% targets both fall in its group.
  Records records{{1, 10}, {2, 1}};
  EXPECT_EQ(Cuts(records, 3, 11.0), (std::vector<double>{1.0}));
}

TEST(BINEFPreProcessDL, TargetsEqualUpToRoundingGiveMidpoints) {
  // With 100 unit weights, 7 / 100 * 100 is 7.000000000000001: still a balanced boundary.
  std::vector<double> values;
  for (int v = 1; v <= 100; ++v) values.push_back(v);
  const std::vector<double> cuts = Cuts(Unit(values), 100, 100.0);
  ASSERT_EQ(cuts.size(), 99u);
  for (int k = 1; k <= 99; ++k) EXPECT_EQ(cuts[k - 1], k + 0.5) << k;
}

TEST(BINEFPreProcessDL, RefusesDegenerateInput) {
  std::vector<double> cuts;
  std::vector<int> tallies;
  EXPECT_FALSE(BINEFPreProcessDL(0, true).ComputeCutpoints(Unit({1, 2}), cuts, tallies, 2.0));
  EXPECT_FALSE(BINEFPreProcessDL(2, true).ComputeCutpoints(Records(), cuts, tallies, 1.0));
  EXPECT_FALSE(BINEFPreProcessDL(2, true).ComputeCutpoints(Unit({1, 2}), cuts, tallies, 0.0));
  EXPECT_FALSE(
      BINEFPreProcessDL(2, true).ComputeCutpoints(Unit({1, 2}), cuts, tallies, std::nan("")));
  // A single bin computes only the 100% cut, which is never appended.
  EXPECT_TRUE(Cuts(Unit({1, 2, 3}), 1, 3.0).empty());
}

TEST(BINEFPreProcessDL, FractionalWeightsNeverGoBackwards) {
  // Truncated weights sum to less than the unrounded total, so the walk runs out of records
  // before the last targets; the cutpoints must still ascend strictly.
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> weight(0.0, 3.0);
  std::uniform_int_distribution<int> value(0, 30);
  for (int round = 0; round < 200; ++round) {
    Records records;
    double total = 0.0;
    const int n = 1 + round % 25;
    for (int i = 0; i < n; ++i) {
      const double w = weight(rng);
      records.emplace_back(value(rng), static_cast<int>(w));
      total += w;
    }
    BINEFPreProcessDL::SortRecords(records);
    const int bins = 2 + round % 9;
    std::vector<double> cuts;
    std::vector<int> tallies;
    if (!BINEFPreProcessDL(bins, true).ComputeCutpoints(records, cuts, tallies, total)) continue;
    ASSERT_LT(cuts.size(), static_cast<std::size_t>(bins));
    for (std::size_t i = 1; i < cuts.size(); ++i) ASSERT_LT(cuts[i - 1], cuts[i]) << round;
    ASSERT_EQ(tallies.size(), cuts.size() + 1);
  }
}

TEST(BINEFPreProcessDL, RunningOutCutsAtTheLastValue) {
  // Whole weights 1, 1, 1 of a total of 5.7: the 75% target (4.275) is never reached.
  Records records{{1, 1}, {2, 1}, {3, 1}};
  EXPECT_EQ(Cuts(records, 4, 5.7, /*trimTop=*/false), (std::vector<double>{2.0, 3.0}));
}

TEST(BINEFPreProcessDL, NaNIsTakenAsTheSystemMissingValue) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Records withNaN{{3, 1}, {nan, 1}, {1, 1}, {nan, 1}, {2, 1}, {4, 1}};
  BINEFPreProcessDL::SortRecords(withNaN);
  EXPECT_EQ(withNaN.front().first, QXMV::Missing());
  Records withMissing{{QXMV::Missing(), 1}, {QXMV::Missing(), 1}, {1, 1}, {2, 1}, {3, 1}, {4, 1}};
  EXPECT_EQ(Cuts(withNaN, 3, 6.0), Cuts(withMissing, 3, 6.0));
  // Unsorted NaN records are read as missing by the walk too.
  Records nanFirst{{nan, 1}, {1, 1}, {2, 1}, {3, 1}};
  EXPECT_EQ(Cuts(nanFirst, 4, 4.0), (std::vector<double>{(QXMV::Missing() + 1.0) / 2.0, 1.5, 2.5}));
}

}  // namespace
