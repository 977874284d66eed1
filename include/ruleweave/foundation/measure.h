// DLMeasure: coverage and response of a group of cases, with the response probability, its exact
// binomial (Clopper-Pearson) confidence bounds and the two orderings the search ranks by.
#ifndef RULEWEAVE_FOUNDATION_MEASURE_H_
#define RULEWEAVE_FOUNDATION_MEASURE_H_

#include <iosfwd>

// A plain value. Coverage is the number (or summed frequency weight) of covered cases, response
// the part of them with the query's response value; both may be fractional. The constructor and
// SetValues keep coverage >= response; operator+= and ReverseResponse do not check it.
// Where a probability or bound does not exist the result is QXMV::Missing().
class DLMeasure {
 public:
  // Throws QXDecision::ConstructorException("DLMeasure", "coverage >= response") unless
  // response <= coverage (a NaN fails too).
  DLMeasure(double coverage = 0.0, double response = 0.0);  // NOLINT(google-explicit-constructor)
  DLMeasure(const DLMeasure&) = default;
  DLMeasure& operator=(const DLMeasure&) = default;

  double GetCoverage() const { return mCoverage; }
  double GetResponse() const { return mResponse; }
  // Stores both and returns true when coverage >= response; otherwise false and no change.
  bool SetValues(double coverage, double response);
  // The measure then counts the cases that do not respond.
  void ReverseResponse() { mResponse = mCoverage - mResponse; }
  DLMeasure& operator+=(const DLMeasure& other);
  void Clear();

  // response / coverage; missing when coverage is 0.
  double GetProbability() const;
  // Two-sided 95% bounds; missing when coverage is 0.
  double GetUpperProbabilityBoundary() const;
  double GetLowerProbabilityBoundary() const;
  // The larger distance from the probability to either bound (0 when coverage is 0).
  double GetError() const;

  // By probability, then smaller coverage first: a < b when p(a) < p(b) or (p(a) == p(b) and
  // n(a) < n(b)); a > b when p(a) > p(b) or (p(a) == p(b) and n(a) < n(b)). So > is not the
  // mirror of <: a search keeping the best-so-far and replacing it when best < candidate (high
  // response) or best > candidate (low response) hands ties to the larger coverage either way.
  // Both are false against the same object.
  bool operator<(const DLMeasure& other) const;
  bool operator>(const DLMeasure& other) const;

  // One line: "DLMeasure:\tcoverage = ...\tresponse = ...\tProbability = ..." at precision 16.
  void Display(std::ostream& os) const;

 private:
  // upper = 1 for the upper bound, 0 for the lower, at confidence 0.95.
  double GetProbabilityBoundary(int upper) const;

  double mCoverage;
  double mResponse;
};

// Two-sided Clopper-Pearson bounds of `m` at `confidence` (a fraction strictly between 0 and 1;
// 0.95 means 95%). Coverage 0 gives lower 0 and upper 1.
void GetProbabilityBoundaries(const DLMeasure& m, double confidence, double& lower, double& upper);

#endif  // RULEWEAVE_FOUNDATION_MEASURE_H_
