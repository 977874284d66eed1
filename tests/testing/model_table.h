// Random data sets for the model and coverage tests, with a plain copy of every case's values so
// that tests can recount measures by brute force.
#ifndef RULEWEAVE_TESTS_TESTING_MODEL_TABLE_H_
#define RULEWEAVE_TESTS_TESTING_MODEL_TABLE_H_

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "ruleweave/data/data_query.h"
#include "ruleweave/data/data_set.h"
#include "ruleweave/foundation/bit_set.h"
#include "ruleweave/foundation/measure.h"
#include "ruleweave/model/rule.h"
#include "ruleweave/model/segment.h"
#include "ruleweave/variables/var_list.h"

namespace model_testing {

// A new segment "name equal to v" (the caller or the rule it joins owns it).
DLSegment* Equal(const std::string& name, double v);
// A new rule of these segments; throws std::logic_error when the rule refuses one.
DLRule* RuleOf(std::vector<DLSegment*> segments);

struct TableShape {
  int numCases = 300;
  // One categorical predictor "c0", "c1", ... per entry, with that many categories (codes
  // 0 .. k-1, values equal to their codes).
  std::vector<int> categories = {2, 6};
  // A continuous predictor "x" with values in [0, 100), rounded to one decimal so that ranges
  // hit values exactly now and then.
  bool continuous = true;
  // A frequency weight "w" (raw weights 0 .. 4.9, stored truncated).
  bool weighted = false;
  bool largeCategory = false;
  // Share of missing values in every predictor.
  double missingRate = 0.1;
  unsigned seed = 1;
};

// A data set loaded from random records: predictors as in TableShape, target "y" (numeric,
// values 0 and 1, response value "1"). Keeps each case's values as a raw data view shows them:
// category codes with the data set's missing code, raw continuous values with the system-missing
// value.
class RandomTable {
 public:
  explicit RandomTable(const TableShape& shape);
  RandomTable(const RandomTable&) = delete;
  RandomTable& operator=(const RandomTable&) = delete;

  const DLDataSet& Data() const { return *mData; }
  int NumCases() const { return mSpec.numCases; }
  int MissingCode() const { return mSpec.largeCategory ? 2147483647 : 255; }
  const std::vector<std::string>& CategoricalNames() const { return mCatNames; }
  // The predictors the query names (the weight among them when there is one).
  std::vector<std::string> PredictorNames() const;
  DLDataQuery Query(const DLBitSet* caseSpace = nullptr) const;

  // The value of variable `name` of case `id` as the raw view gives it.
  double Value(const std::string& name, int id) const;
  bool IsMissing(const std::string& name, int id) const;
  // Counted weight of the case: 1 without a weight variable.
  double Weight(int id) const { return mWeights[static_cast<std::size_t>(id)]; }
  bool Responds(int id) const { return mTarget[static_cast<std::size_t>(id)] == 1; }

  // Brute force: does every segment of `rule` hold for case `id`? (Segments on unknown
  // attributes hold.)
  bool Covers(const DLRule& rule, int id) const;
  bool Admits(const DLSegment& segment, int id) const;
  // Brute-force measure of a set of cases, counted as the views count.
  DLMeasure Measure(const std::vector<int>& ids) const;

  // A random valid segment of a random kind on a random predictor (or, rarely, on an attribute
  // the data set does not have).
  DLSegment* RandomSegment(std::mt19937& rng) const;
  // A rule of 0 .. maxSegments random segments on distinct attributes.
  DLRule* RandomRule(std::mt19937& rng, int maxSegments) const;

 private:
  TableShape mSpec;
  DLVarList mVars;
  std::unique_ptr<DLDataSet> mData;
  std::vector<std::string> mCatNames;
  // Per categorical predictor, then "x": values by case.
  std::vector<std::vector<double>> mCatValues;
  std::vector<double> mContValues;
  std::vector<int> mTarget;
  std::vector<double> mWeights;
};

// The ids of a set, ascending.
std::vector<int> Ids(const DLBitSet& set);
// A set of capacity `capacity` holding `ids`.
DLBitSet SetOf(int capacity, const std::vector<int>& ids);
// A random subset, each case kept with probability `p`.
DLBitSet RandomSubset(int capacity, double p, std::mt19937& rng);

}  // namespace model_testing

#endif  // RULEWEAVE_TESTS_TESTING_MODEL_TABLE_H_
