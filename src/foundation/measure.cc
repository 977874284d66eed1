// DLMeasure: probability, confidence bounds, orderings and the one-line dump.
#include "ruleweave/foundation/measure.h"

#include <algorithm>
#include <ostream>

#include "foundation/statistics.h"
#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/foundation/missing_value.h"

namespace {

// The accessors' fixed level: 95% two-sided, 2.5% in each tail.
constexpr double kAccessorTail = 0.025;

}  // namespace

DLMeasure::DLMeasure(double coverage, double response) : mCoverage(coverage), mResponse(response) {
  if (!(response <= coverage)) {
    throw QXDecision::ConstructorException("DLMeasure", "coverage >= response");
  }
}

bool DLMeasure::SetValues(double coverage, double response) {
  if (!(coverage >= response)) return false;
  mCoverage = coverage;
  mResponse = response;
  return true;
}

DLMeasure& DLMeasure::operator+=(const DLMeasure& other) {
  mCoverage += other.mCoverage;
  mResponse += other.mResponse;
  return *this;
}

void DLMeasure::Clear() {
  mCoverage = 0.0;
  mResponse = 0.0;
}

double DLMeasure::GetProbability() const {
  if (mCoverage == 0.0) return QXMV::Missing();
  return mResponse / mCoverage;
}

double DLMeasure::GetProbabilityBoundary(int upper) const {
  if (mCoverage == 0.0) return QXMV::Missing();
  double lower = 0.0;
  double high = 0.0;
  ruleweave::statistics::ClopperPearson(mCoverage, mResponse, kAccessorTail, &lower, &high);
  return upper != 0 ? high : lower;
}

double DLMeasure::GetUpperProbabilityBoundary() const { return GetProbabilityBoundary(1); }

double DLMeasure::GetLowerProbabilityBoundary() const { return GetProbabilityBoundary(0); }

double DLMeasure::GetError() const {
  const double p = GetProbability();
  return std::max(GetUpperProbabilityBoundary() - p, p - GetLowerProbabilityBoundary());
}

bool DLMeasure::operator<(const DLMeasure& other) const {
  if (&other == this) return false;
  const double p = GetProbability();
  const double q = other.GetProbability();
  return p < q || (p == q && mCoverage < other.mCoverage);
}

bool DLMeasure::operator>(const DLMeasure& other) const {
  if (&other == this) return false;
  const double p = GetProbability();
  const double q = other.GetProbability();
  return p > q || (p == q && mCoverage < other.mCoverage);
}

void DLMeasure::Display(std::ostream& os) const {
  const std::streamsize precision = os.precision(16);
  os << "DLMeasure:\tcoverage = " << mCoverage << "\tresponse = " << mResponse
     << "\tProbability = ";
  const double p = GetProbability();
  if (QXMV::IsMissing(p)) {
    os << "missing";
  } else {
    os << p;
  }
  os << std::endl;
  os.precision(precision);
}

void GetProbabilityBoundaries(const DLMeasure& m, double confidence, double& lower, double& upper) {
  ruleweave::statistics::ClopperPearson(m.GetCoverage(), m.GetResponse(), (1.0 - confidence) / 2.0,
                                        &lower, &upper);
}
