// The equal-frequency binner: a weighted percentile walk over sorted (value, weight) records.
//
// Worked example, values 1 2 3 4 with weight 1 each, 2 bins (total 4):
//
//   k  p     target  walk                              cut
//   1  50%   2       1 -> cum 1; 2 -> cum 2 == target  midpoint (2 + 3) / 2 = 2.5, stop before 3
//   2  100%  4       3 -> cum 3; 4 -> cum 4 == target  4 (no value follows; never appended)
//
// Values 1 1 1 2, 2 bins: after the group of 1 the cumulative weight 3 exceeds the target 2, so
// the cut is 1 itself (bins are closed on the right: the 1s fall into the lower bin).
#include "variables/binef_pre_process.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "ruleweave/foundation/missing_value.h"

namespace {

// A NaN value counts as the system-missing value: it is below every other value.
double ValueOf(const BINEFPreProcessDL::ValueWeight& record) {
  return std::isnan(record.first) ? QXMV::Missing() : record.first;
}

// Equality up to the double epsilon, relative to the larger quantity.
bool NearlyEqual(double a, double b) {
  const double larger = std::max(a, b);
  return std::fabs(a - b) / larger < std::numeric_limits<double>::epsilon();
}

// The position and the cumulative weight persist from one percentile to the next.
class PercentileWalk {
 public:
  PercentileWalk(const std::vector<BINEFPreProcessDL::ValueWeight>& records, double totalWeight)
      : mRecords(records), mTotal(totalWeight) {}

  // The cut for percentile p; `cutpoints` are those appended so far.
  double Cut(double p, const std::vector<double>& cutpoints) {
    const std::size_t n = mRecords.size();
    const double target = p / 100.0 * mTotal;
    // Still at or past the target on a value already cut at: repeat it (the caller skips it).
    if (mCumulative >= target && mPosition > 0 && !cutpoints.empty() &&
        ValueOf(mRecords[mPosition - 1]) == cutpoints.back()) {
      return cutpoints.back();
    }
    double v = ValueOf(mRecords[mPosition > 0 ? mPosition - 1 : 0]);
    while (mPosition < n) {
      v = ValueOf(mRecords[mPosition]);
      while (mPosition < n && ValueOf(mRecords[mPosition]) == v) {
        mCumulative += mRecords[mPosition].second;
        ++mPosition;
      }
      // Equality is tested before "exceeds": an exactly balanced boundary sits between values.
      if (NearlyEqual(mCumulative, target)) {
        return mPosition < n ? (v + ValueOf(mRecords[mPosition])) / 2.0 : v;
      }
      if (mCumulative > target) return v;
    }
    // The records ran out below the target (whole-number weights summing to less than the
    // unrounded total): the cut is the last value reached, never below an earlier cut.
    if (!cutpoints.empty() && v < cutpoints.back()) return cutpoints.back();
    return v;
  }

 private:
  const std::vector<BINEFPreProcessDL::ValueWeight>& mRecords;
  double mTotal;
  std::size_t mPosition = 0;
  double mCumulative = 0.0;
};

}  // namespace

BINEFPreProcessDL::BINEFPreProcessDL(int numOfBins, bool trimTop)
    : mTrimTop(trimTop), mNumOfBins(numOfBins) {}

BINEFPreProcessDL::~BINEFPreProcessDL() = default;

void BINEFPreProcessDL::SortRecords(std::vector<ValueWeight>& records) {
  for (ValueWeight& record : records) record.first = ValueOf(record);
  std::sort(records.begin(), records.end(),
            [](const ValueWeight& a, const ValueWeight& b) { return a.first < b.first; });
}

bool BINEFPreProcessDL::ComputeCutpoints(const std::vector<ValueWeight>& records,
                                         std::vector<double>& cutpoints, std::vector<int>& tallies,
                                         double totalWeight) {
  cutpoints.clear();
  tallies.clear();
  if (mNumOfBins < 1 || records.empty() || !(totalWeight > 0.0)) return false;

  PercentileWalk walk(records, totalWeight);
  const double step = 100.0 / mNumOfBins;
  for (int k = 1; k <= mNumOfBins; ++k) {
    const double p = std::min(k * step, 100.0);
    const double cut = walk.Cut(p, cutpoints);
    // The cut for 100% only advances the walk.
    if (k < mNumOfBins && (cutpoints.empty() || cut != cutpoints.back())) {
      cutpoints.push_back(cut);
    }
  }

  // Trimming removes an end bin that would be empty.
  if (!cutpoints.empty()) {
    if (mTrimTop && cutpoints.back() == ValueOf(records.back())) {
      cutpoints.pop_back();
    } else if (!mTrimTop && cutpoints.front() == ValueOf(records.front())) {
      cutpoints.erase(cutpoints.begin());
    }
  }

  // The whole-number weight of each bin under the final cutpoints (bins closed on the right).
  std::vector<std::int64_t> sums(cutpoints.size() + 1, 0);
  for (const ValueWeight& record : records) {
    const auto bin =
        std::lower_bound(cutpoints.begin(), cutpoints.end(), ValueOf(record)) - cutpoints.begin();
    sums[bin] += record.second;
  }
  tallies.reserve(sums.size());
  for (std::int64_t sum : sums) {
    tallies.push_back(static_cast<int>(std::clamp<std::int64_t>(
        sum, std::numeric_limits<int>::min(), std::numeric_limits<int>::max())));
  }
  return true;
}
