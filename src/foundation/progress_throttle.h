// DLProgressThrottle: the countdown that spaces out progress reports during loading and the
// search, and the millisecond clock both report with.
#ifndef RULEWEAVE_FOUNDATION_PROGRESS_THROTTLE_H_
#define RULEWEAVE_FOUNDATION_PROGRESS_THROTTLE_H_

#include <exception>
#include <string>

class DLParameters;
class DLReporter;
class ProgressListener;
class QXQueryCancel;

// Milliseconds of processor time used by the process, the clock ticks loading and the search hand
// their reporter ("elapsedTime" divides them by 1000).
double ProgressClockTicks();

// One reporting loop. With skip count k, a report goes out after every k-th unit of work (after
// every unit when k is 0 or 1). Does nothing without a listener or a reporter. The listener and
// the reporter are borrowed and must outlive the throttle.
class DLProgressThrottle {
 public:
  // The search's loops: the parameters' listener, reporter and skip count.
  DLProgressThrottle(const DLParameters& params, const char* key);
  DLProgressThrottle(ProgressListener* listener, DLReporter* reporter, int skip, const char* key);

  // Counts one unit of work and, when the countdown runs out, reports `n` under the key (the
  // reporter adds it to "candidates" and "rules" and takes it as the count of "cases"). The
  // listener may throw; the exception passes to the caller.
  void UnitDone(int n = 1);

 private:
  ProgressListener* mListener;
  DLReporter* mReporter;
  int mSkip;
  std::string mKey;
  int mCountdown;
};

// Thrown where a cancel is seen and no status can be returned (while a constructor prepares the
// search); the algorithm turns it into the cancelled status.
class DLCancelledException : public std::exception {
 public:
  const char* what() const noexcept override { return "the search was cancelled"; }
};

// Whether the cancel object (may be null) asks the work to stop.
bool IsCancelRequested(QXQueryCancel* cancel);
// Whether the parameters' cancel object (if any) asks the search to stop.
bool IsSearchCancelled(const DLParameters& params);

#endif  // RULEWEAVE_FOUNDATION_PROGRESS_THROTTLE_H_
