// Progress throttling and cancel polling for the search loops.
#include "foundation/progress_throttle.h"

#include <ctime>

#include "ruleweave/foundation/parameters.h"
#include "ruleweave/foundation/progress.h"

double SearchClockTicks() {
  return static_cast<double>(std::clock()) * 1000.0 / static_cast<double>(CLOCKS_PER_SEC);
}

DLProgressThrottle::DLProgressThrottle(const DLParameters& params, const char* key)
    : mParams(&params), mKey(key), mCountdown(params.GetNumOfSkippedReports()) {}

void DLProgressThrottle::UnitDone() {
  ProgressListener* listener = mParams->GetProgressListener();
  if (listener == nullptr) return;
  if (--mCountdown >= 1) return;
  mCountdown = mParams->GetNumOfSkippedReports();
  DLReporter* reporter = mParams->GetReporter();
  if (reporter == nullptr) return;
  reporter->SetValues(mKey, 1, SearchClockTicks());
  listener->OnProgress(reporter);
}

bool IsSearchCancelled(const DLParameters& params) {
  QXQueryCancel* cancel = params.GetCancelPointer();
  return cancel != nullptr && cancel->IsCancelled();
}
