// DLParameters: what a search looks for and how hard it looks (the search direction and binning
// type it names are in "ruleweave/foundation/constants.h").
#ifndef RULEWEAVE_FOUNDATION_PARAMETERS_H_
#define RULEWEAVE_FOUNDATION_PARAMETERS_H_

#include <iosfwd>
#include <memory>

#include "ruleweave/foundation/constants.h"
#include "ruleweave/foundation/progress.h"

// A plain object the host fills. Validating setters return false and leave the field unchanged.
//
// The listener and cancel object are borrowed. The reporter is made by SetProgressListener and
// shared by copies: a copy sees the same reporter, and a reporter lives as long as any copy still
// holds it, so changing the listener on one copy never frees a reporter another copy uses.
class DLParameters {
 public:
  DLParameters() = default;
  DLParameters(const DLParameters&) = default;
  DLParameters& operator=(const DLParameters&) = default;
  ~DLParameters() = default;

  // Equal when list depth, list width, rule depth, rule width, missing allowed, number of bins,
  // growth factor, confidence level and minimal group size are equal (doubles exactly). The other
  // fields do not take part.
  bool operator==(DLParameters const& other) const;
  bool operator!=(DLParameters const& other) const { return !(*this == other); }

  // Lists kept per level; refuses < 1.
  bool SetListWidth(int width);
  int GetListWidth() const { return mListWidth; }
  // Number of list levels; refuses < 1.
  bool SetListDepth(int depth);
  int GetListDepth() const { return mListDepth; }
  // Rules kept per segment level; refuses < 1.
  bool SetRuleWidth(int width);
  int GetRuleWidth() const { return mRuleWidth; }
  // Segment levels per rule; refuses < 1.
  bool SetRuleDepth(int depth);
  int GetRuleDepth() const { return mRuleDepth; }
  void AllowMissing(bool allow) { mMissingAllowed = allow; }
  bool IsMissingAllowed() const { return mMissingAllowed; }
  // Bins per continuous predictor; refuses < 1, and stores 1 as 100.
  bool SetNumOfBins(int bins);
  int GetNumOfBins() const { return mNumOfBins; }
  // Must be strictly greater than 1 (NaN refused).
  bool SetSegmentGrowthFactor(double factor);
  double GetSegmentGrowthFactor() const { return mSegmentGrowthFactor; }
  void SetGroupDecay(int decay) { mGroupDecay = decay; }
  int GetGroupDecay() const { return mGroupDecay; }
  // Strictly between 0 and 1 (NaN refused); also refuses a level so close to 1 that the
  // two-sided quantile 1 - (1 - c) / 2 rounds to 1, where every bound would be undefined.
  bool SetConfLevel(double level);
  double GetConfLevel() const { return mConfLevel; }
  void SetMinGroupSize(int size) { mMinGroupSize = size; }
  int GetMinGroupSize() const { return mMinGroupSize; }
  void SetAttributeReusable(bool reusable) { mAttributeReusable = reusable; }
  bool IsAttributeReusable() const { return mAttributeReusable; }
  void SetFinalResultsOnly(bool finalOnly) { mFinalResultsOnly = finalOnly; }
  bool IsFinalResultsOnly() const { return mFinalResultsOnly; }
  void SetSearchDirection(DLConst::SearchDirection direction) { mSearchDirection = direction; }
  DLConst::SearchDirection GetSearchDirection() const { return mSearchDirection; }
  void SetBinningType(DLConst::BinningType type) { mBinningType = type; }
  DLConst::BinningType GetBinningType() const { return mBinningType; }
  // Threads a search runs on, the calling thread included: the predictors' candidates (and the
  // binning of continuous predictors) are worked out on that many threads. 0 asks for one per
  // core of the machine; refuses < 0. The models are the same for every number of threads; the
  // listener and the cancel object are still called from the thread that called Run only.
  // Default 1.
  bool SetNumThreads(int n);
  int GetNumThreads() const { return mNumThreads; }

  // Same listener: nothing happens. Otherwise this object lets go of its reporter and makes a new
  // one when `listener` is not null (none when it is null).
  void SetProgressListener(ProgressListener* listener);
  ProgressListener* GetProgressListener() const { return mListener; }
  // Refuses < 0.
  bool SetNumOfSkippedReports(int n);
  int GetNumOfSkippedReports() const { return mNumOfSkippedReports; }
  void SetCancelPointer(QXQueryCancel* cancel) { mCancel = cancel; }
  QXQueryCancel* GetCancelPointer() const { return mCancel; }
  // Non-null exactly when a listener is set; valid while this object (or a copy sharing it) lives
  // and keeps it.
  DLReporter* GetReporter() const { return mReporter.get(); }

  // The nine compared fields and the two flags, one per line; direction, binning type and host
  // pointers are not shown.
  void Display(std::ostream& os) const;

 private:
  int mListDepth = 1;
  int mListWidth = 5;
  int mRuleDepth = 1;
  int mRuleWidth = 5;
  bool mMissingAllowed = true;
  int mNumOfBins = 100;
  double mConfLevel = 0.95;
  int mMinGroupSize = 1;
  double mSegmentGrowthFactor = 2.0;
  int mGroupDecay = 0;
  bool mAttributeReusable = true;
  bool mFinalResultsOnly = true;
  DLConst::SearchDirection mSearchDirection = DLConst::Up;
  DLConst::BinningType mBinningType = DLConst::EqualWidth;
  int mNumThreads = 1;
  ProgressListener* mListener = nullptr;
  int mNumOfSkippedReports = 0;
  QXQueryCancel* mCancel = nullptr;
  std::shared_ptr<DLReporter> mReporter;
};

#endif  // RULEWEAVE_FOUNDATION_PARAMETERS_H_
