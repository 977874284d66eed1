// DLProgressThrottle: the countdown that spaces out progress reports during the search, and the
// millisecond clock the search reports with.
#ifndef RULEWEAVE_FOUNDATION_PROGRESS_THROTTLE_H_
#define RULEWEAVE_FOUNDATION_PROGRESS_THROTTLE_H_

#include <string>

class DLParameters;

// Milliseconds of processor time used by the process, the clock ticks the search hands its
// reporter ("elapsedTime" divides them by 1000).
double SearchClockTicks();

// One reporting loop. With skip count k, a report goes out after every k-th unit of work (after
// every unit when k is 0 or 1). Does nothing when the parameters have no listener.
class DLProgressThrottle {
 public:
  DLProgressThrottle(const DLParameters& params, const char* key);

  // Counts one unit of work and reports when the countdown runs out. The listener may throw;
  // the exception passes to the caller.
  void UnitDone();

 private:
  const DLParameters* mParams;
  std::string mKey;
  int mCountdown;
};

// Whether the parameters' cancel object (if any) asks the search to stop.
bool IsSearchCancelled(const DLParameters& params);

#endif  // RULEWEAVE_FOUNDATION_PROGRESS_THROTTLE_H_
