// BINEFPreProcessDL: equal-frequency cutpoints from weighted, sorted values (a weighted
// percentile walk).
#ifndef RULEWEAVE_VARIABLES_BINEF_PRE_PROCESS_H_
#define RULEWEAVE_VARIABLES_BINEF_PRE_PROCESS_H_

#include <cstdint>
#include <utility>
#include <vector>

// Computes the cutpoints that split weighted values into bins of (nearly) equal total weight.
// Records are (value, whole-number weight) pairs sorted ascending by value; a NaN value counts as
// the system-missing value (SortRecords puts it where that value sorts).
class BINEFPreProcessDL {
 public:
  using ValueWeight = std::pair<double, std::int32_t>;

  // trimTop true drops a top cutpoint equal to the largest value; false drops a bottom cutpoint
  // equal to the smallest value.
  BINEFPreProcessDL(int numOfBins, bool trimTop);
  virtual ~BINEFPreProcessDL();

  // Sorts records ascending by value, NaN values first taken as the system-missing value (a NaN
  // would break the ordering of a plain sort).
  static void SortRecords(std::vector<ValueWeight>& records);

  // Appends the cutpoints (ascending, no repeats) to `cutpoints` and the total record weight of
  // each resulting bin to `tallies` (both are cleared first). False when there are fewer than one
  // bin, no records or a total weight that is not positive; the cutpoint list may be empty on
  // success.
  bool ComputeCutpoints(const std::vector<ValueWeight>& records, std::vector<double>& cutpoints,
                        std::vector<int>& tallies, double totalWeight);

 private:
  bool mTrimTop;
  int mNumOfBins;
};

#endif  // RULEWEAVE_VARIABLES_BINEF_PRE_PROCESS_H_
