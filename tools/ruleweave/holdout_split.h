// The holdout split of `ruleweave search --holdout`: which rows are kept out of the search,
// drawn at random within each target value so that the held-out rows keep the target's mix.
#ifndef RULEWEAVE_TOOLS_HOLDOUT_SPLIT_H_
#define RULEWEAVE_TOOLS_HOLDOUT_SPLIT_H_

#include <cstdint>
#include <vector>

namespace ruleweave_cli {

// Splitmix64: a small generator of our own, so that a seed draws the same rows with every
// compiler and standard library (the standard distributions differ between libraries).
class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : mState(seed) {}
  std::uint64_t Next();
  // Uniform in [0, 1), from the top 53 bits.
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

 private:
  std::uint64_t mState;
};

// Selection sampling per class: of the n_c rows of class c, exactly round(share * n_c) are held
// out, each subset of that size equally likely. Rows are offered one at a time in file order;
// the same counts, share and seed give the same answers on every pass.
class HoldoutSplit {
 public:
  // `classCounts[c]`: the rows of class (target code) c that will be offered.
  HoldoutSplit(const std::vector<std::int64_t>& classCounts, double share, std::uint64_t seed);
  // Whether the next row, of class `code`, is held out. A class not counted is never held out.
  bool HoldOut(int code);

 private:
  SplitMix64 mRandom;
  std::vector<std::int64_t> mRemaining;  // rows of the class still to be offered
  std::vector<std::int64_t> mNeeded;     // of those, still to hold out
};

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_HOLDOUT_SPLIT_H_
