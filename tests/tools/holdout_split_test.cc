// Tests of the holdout draw: exact shares per class, the same rows for the same seed.
#include "holdout_split.h"

#include <gtest/gtest.h>

#include <vector>

namespace ruleweave_cli {
namespace {

// The held-out rows of a file whose rows have the classes `rows`.
std::vector<bool> Draw(const std::vector<int>& rows, double share, std::uint64_t seed) {
  std::vector<std::int64_t> counts;
  for (int c : rows) {
    if (static_cast<std::size_t>(c) >= counts.size()) counts.resize(c + 1);
    ++counts[static_cast<std::size_t>(c)];
  }
  HoldoutSplit split(counts, share, seed);
  std::vector<bool> held;
  for (int c : rows) held.push_back(split.HoldOut(c));
  return held;
}

TEST(HoldoutSplit, HoldsOutTheRoundedShareOfEachClassTheSameWayForTheSameSeed) {
  std::vector<int> rows;
  for (int i = 0; i < 1000; ++i) rows.push_back(i % 10 == 0 ? 1 : i % 10 < 4 ? 2 : 0);
  const std::vector<bool> held = Draw(rows, 0.3, 7);
  std::vector<int> heldPerClass(3, 0);
  for (std::size_t i = 0; i < rows.size(); ++i) heldPerClass[rows[i]] += held[i];
  EXPECT_EQ(heldPerClass, (std::vector<int>{180, 30, 90}));  // 30% of 600, 100 and 300
  EXPECT_EQ(Draw(rows, 0.3, 7), held);
  EXPECT_NE(Draw(rows, 0.3, 8), held);
  // Not the first rows of each class: the draw spreads over the file.
  int heldInFirstHalf = 0;
  for (std::size_t i = 0; i < 500; ++i) heldInFirstHalf += held[i];
  EXPECT_GT(heldInFirstHalf, 100);
  EXPECT_LT(heldInFirstHalf, 200);
}

}  // namespace
}  // namespace ruleweave_cli
