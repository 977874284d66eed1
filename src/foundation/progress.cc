// DLReporter: the counters and clock readings handed to the host's progress listener.
#include "ruleweave/foundation/progress.h"

#include "ruleweave/foundation/missing_value.h"

namespace {

const char kCases[] = "cases";
const char kCandidates[] = "candidates";
const char kRules[] = "rules";
const char kElapsedTime[] = "elapsedTime";

// Counters that accumulate restart from `n` while they still read "nothing reported" (-1).
void Accumulate(int& counter, int n) { counter = counter < 0 ? n : counter + n; }

}  // namespace

DLReporter::DLReporter() { Reset(); }

void DLReporter::Reset() {
  mCases = -1;
  mCandidates = -1;
  mRules = -1;
  mStartTime = 0.0;
  mCurrentTime = 0.0;
}

void DLReporter::SetStartTime(double t) { mStartTime = t; }

void DLReporter::SetValues(std::string const& key, int n, double t) {
  if (key == kCases) {
    mCases = n;
  } else if (key == kCandidates) {
    Accumulate(mCandidates, n);
  } else if (key == kRules) {
    Accumulate(mRules, n);
  }
  mCurrentTime = t;
}

int DLReporter::DiscreteMeasure(std::string const& key) {
  if (key == kCases) return mCases;
  if (key == kCandidates) return mCandidates;
  if (key == kRules) return mRules;
  return -1;
}

double DLReporter::ScaleMeasure(std::string const& key) {
  if (key == kElapsedTime) return (mCurrentTime - mStartTime) / 1000.0;
  return QXMV::Missing();
}
