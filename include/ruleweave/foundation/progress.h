// Progress reporting and cancellation: the report object handed to the host's listener
// (ProgressReport, implemented by DLReporter) and the two host-implemented interfaces,
// ProgressListener and QXQueryCancel.
//
// Keys: "cases" (records taken in by a load), "candidates" (rules taken into the next beam),
// "rules" (lists taken into the next beam), and "elapsedTime" (seconds since the start time).
#ifndef RULEWEAVE_FOUNDATION_PROGRESS_H_
#define RULEWEAVE_FOUNDATION_PROGRESS_H_

#include <string>

// What a listener may ask of a report. The report belongs to the library and is valid only
// during the OnProgress call that hands it over.
class ProgressReport {
 public:
  ProgressReport() = default;
  ProgressReport(const ProgressReport&) = default;
  ProgressReport& operator=(const ProgressReport&) = default;
  virtual ~ProgressReport() = default;

  // A count reported under `key`; -1 for an unknown key or when nothing was reported yet.
  virtual int DiscreteMeasure(std::string const& key) = 0;
  // A real figure reported under `key`; the system-missing value for an unknown key.
  virtual double ScaleMeasure(std::string const& key) = 0;
};

// The library's report: three counters and two clock readings in milliseconds.
class DLReporter : public ProgressReport {
 public:
  // Starts reset: every counter -1, both times 0.
  DLReporter();
  DLReporter(const DLReporter&) = default;
  DLReporter& operator=(const DLReporter&) = default;

  // Counters to -1 ("nothing reported"), start and current time to 0.
  void Reset();
  void SetStartTime(double t);
  // "cases" replaces the case count with n; "candidates" and "rules" add n to their counter (a
  // negative counter restarts at n). Every key, known or not, sets the current time to t.
  void SetValues(std::string const& key, int n, double t);

  // "cases", "candidates" or "rules" (exact, case-sensitive); any other key gives -1.
  int DiscreteMeasure(std::string const& key) override;
  // "elapsedTime" gives (current - start) / 1000, seconds for millisecond ticks; any other key
  // gives the system-missing value.
  double ScaleMeasure(std::string const& key) override;

 private:
  int mCases;
  int mCandidates;
  int mRules;
  double mStartTime;
  double mCurrentTime;
};

// Implemented by the host: receives progress reports on the calling thread.
class ProgressListener {
 public:
  virtual ~ProgressListener() {}
  virtual bool OnProgress(ProgressReport* report) = 0;  // the result is ignored
};

// Implemented by the host: polled after every unit of work; true stops the operation with
// status 1.
class QXQueryCancel {
 public:
  virtual ~QXQueryCancel() {}
  virtual bool IsCancelled() = 0;
};

#endif  // RULEWEAVE_FOUNDATION_PROGRESS_H_
