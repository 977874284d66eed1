// DLParameters: validating setters, equality over the compared fields, the listener/reporter
// pairing and the dump.
#include "ruleweave/foundation/parameters.h"

#include <cmath>
#include <ostream>

bool DLParameters::operator==(DLParameters const& other) const {
  if (this == &other) return true;
  return mListDepth == other.mListDepth && mListWidth == other.mListWidth &&
         mRuleDepth == other.mRuleDepth && mRuleWidth == other.mRuleWidth &&
         mMissingAllowed == other.mMissingAllowed && mNumOfBins == other.mNumOfBins &&
         mSegmentGrowthFactor == other.mSegmentGrowthFactor && mConfLevel == other.mConfLevel &&
         mMinGroupSize == other.mMinGroupSize;
}

bool DLParameters::SetListWidth(int width) {
  if (width < 1) return false;
  mListWidth = width;
  return true;
}

bool DLParameters::SetListDepth(int depth) {
  if (depth < 1) return false;
  mListDepth = depth;
  return true;
}

bool DLParameters::SetRuleWidth(int width) {
  if (width < 1) return false;
  mRuleWidth = width;
  return true;
}

bool DLParameters::SetRuleDepth(int depth) {
  if (depth < 1) return false;
  mRuleDepth = depth;
  return true;
}

bool DLParameters::SetNumOfBins(int bins) {
  if (bins < 1) return false;
  // One bin would make every continuous predictor useless; 1 means "the default".
  mNumOfBins = bins == 1 ? 100 : bins;
  return true;
}

bool DLParameters::SetSegmentGrowthFactor(double factor) {
  if (!(factor > 1.0)) return false;  // also refuses NaN
  mSegmentGrowthFactor = factor;
  return true;
}

bool DLParameters::SetConfLevel(double level) {
  if (!(level > 0.0 && level < 1.0)) return false;  // also refuses NaN
  // The bounds use the quantile q = 1 - (1 - c) / 2; where that rounds to exactly 1 the F
  // quantile is infinite and no bound exists, so the search would silently find nothing.
  if (1.0 - (1.0 - level) / 2.0 >= 1.0) return false;
  mConfLevel = level;
  return true;
}

void DLParameters::SetProgressListener(ProgressListener* listener) {
  if (listener == mListener) return;
  mListener = listener;
  // Copies that share the old reporter keep it alive; only this object lets go of it.
  mReporter.reset();
  if (listener != nullptr) mReporter = std::make_shared<DLReporter>();
}

bool DLParameters::SetNumOfSkippedReports(int n) {
  if (n < 0) return false;
  mNumOfSkippedReports = n;
  return true;
}

bool DLParameters::SetNumThreads(int n) {
  if (n < 0) return false;
  mNumThreads = n;
  return true;
}

void DLParameters::Display(std::ostream& os) const {
  auto yesNo = [](bool b) { return b ? "yes" : "no"; };
  os << "DLParameters: " << std::endl;
  os << "List Width:\t" << mListWidth << std::endl;
  os << "List Depth:\t" << mListDepth << std::endl;
  os << "Rule Width:\t" << mRuleWidth << std::endl;
  os << "Rule Depth:\t" << mRuleDepth << std::endl;
  os << "fMissingAllowed:\t " << yesNo(mMissingAllowed) << std::endl;
  os << "Num of bins:\t" << mNumOfBins << std::endl;
  os << "fSegmentGrowthFactor:\t" << mSegmentGrowthFactor << std::endl;
  os << "Group Size Decay:\t" << mGroupDecay << std::endl;
  os << "Confidence Level:\t" << mConfLevel << std::endl;
  os << "Minimal Group Size:\t" << mMinGroupSize << std::endl;
  os << "fAttributeReusable:\t" << yesNo(mAttributeReusable) << std::endl;
  os << "fFinalResultsOnly:\t" << yesNo(mFinalResultsOnly) << std::endl;
  os << std::endl;
}
