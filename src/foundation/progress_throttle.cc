// Progress throttling and cancel polling for loading and the search loops.
#include "foundation/progress_throttle.h"

#include <ctime>

#include "ruleweave/foundation/parameters.h"
#include "ruleweave/foundation/progress.h"

double ProgressClockTicks() {
  return static_cast<double>(std::clock()) * 1000.0 / static_cast<double>(CLOCKS_PER_SEC);
}

DLProgressThrottle::DLProgressThrottle(const DLParameters& params, const char* key)
    : DLProgressThrottle(params.GetProgressListener(), params.GetReporter(),
                         params.GetNumOfSkippedReports(), key) {}

DLProgressThrottle::DLProgressThrottle(ProgressListener* listener, DLReporter* reporter, int skip,
                                       const char* key)
    : mListener(listener), mReporter(reporter), mSkip(skip), mKey(key), mCountdown(skip) {}

void DLProgressThrottle::UnitDone(int n) {
  if (mListener == nullptr) return;
  if (--mCountdown >= 1) return;
  mCountdown = mSkip;
  if (mReporter == nullptr) return;
  mReporter->SetValues(mKey, n, ProgressClockTicks());
  mListener->OnProgress(mReporter);
}

bool IsCancelRequested(QXQueryCancel* cancel) { return cancel != nullptr && cancel->IsCancelled(); }

bool IsSearchCancelled(const DLParameters& params) {
  return IsCancelRequested(params.GetCancelPointer());
}
