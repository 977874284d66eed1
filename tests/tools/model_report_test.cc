// Tests of the ranking measure of models: the AUC of scored groups against a count of pairs.
#include "model_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace ruleweave_cli {
namespace {

// The AUC by brute force: every (response, non-response) pair, weighted, ties counting half.
double PairAuc(const std::vector<ScoredGroup>& groups) {
  double right = 0;
  double all = 0;
  for (const ScoredGroup& p : groups) {
    for (const ScoredGroup& n : groups) {
      const double pairs = p.positives * n.negatives;
      all += pairs;
      right += p.score > n.score ? pairs : p.score == n.score ? pairs / 2 : 0;
    }
  }
  return right / all;
}

TEST(RankingAuc, CountsOrderedPairsWithTiesAsHalf) {
  const std::vector<std::vector<ScoredGroup>> cases = {
      {{0.9, 8, 2}, {0.5, 5, 5}, {0.1, 1, 9}},
      {{0.5, 3, 1}, {0.5, 2, 4}, {0.2, 1.5, 7.25}, {0.7, 0, 3}},  // tie, weights, no response
      {{0.3, 4, 6}},                                              // one group: 0.5
  };
  for (const auto& groups : cases) {
    EXPECT_DOUBLE_EQ(RankingAuc(groups), PairAuc(groups));
  }
  EXPECT_TRUE(std::isnan(RankingAuc({{0.4, 0, 5}, {0.6, 0, 2}})));  // no response at all
}

}  // namespace
}  // namespace ruleweave_cli
