// Stratified selection sampling for the holdout rows.
#include "holdout_split.h"

#include <cmath>

namespace ruleweave_cli {

std::uint64_t SplitMix64::Next() {
  std::uint64_t z = (mState += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

HoldoutSplit::HoldoutSplit(const std::vector<std::int64_t>& classCounts, double share,
                           std::uint64_t seed)
    : mRandom(seed), mRemaining(classCounts), mNeeded(classCounts.size()) {
  for (std::size_t c = 0; c < classCounts.size(); ++c) {
    mNeeded[c] =
        static_cast<std::int64_t>(std::llround(share * static_cast<double>(classCounts[c])));
  }
}

bool HoldoutSplit::HoldOut(int code) {
  if (code < 0 || static_cast<std::size_t>(code) >= mRemaining.size()) return false;
  const std::size_t c = static_cast<std::size_t>(code);
  if (mRemaining[c] <= 0) return false;
  // Knuth's algorithm S: take the row with probability needed / remaining.
  const bool take =
      mRandom.Uniform() * static_cast<double>(mRemaining[c]) < static_cast<double>(mNeeded[c]);
  --mRemaining[c];
  if (take) --mNeeded[c];
  return take;
}

}  // namespace ruleweave_cli
