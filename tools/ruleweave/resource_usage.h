// Time and memory a command used, for `--timings`: processor time, peak resident memory, the
// size of a loaded data set, and the report line written to standard error.
#ifndef RULEWEAVE_TOOLS_RESOURCE_USAGE_H_
#define RULEWEAVE_TOOLS_RESOURCE_USAGE_H_

#include <chrono>
#include <cstdint>
#include <iosfwd>

#include "column_plan.h"

namespace ruleweave_cli {

// Processor time the process has used so far (user and system), in seconds.
double CpuSeconds();

// Peak resident memory of the process so far in megabytes (Linux; -1 elsewhere).
double PeakMemoryMb();

// Wall-clock seconds since `since`.
double SecondsSince(std::chrono::steady_clock::time_point since);

// Bytes the loaded data set holds per case: 8 for a continuous column, 4 for the weight, 1 for
// a category code (4 with large categories).
double DataSetBytesPerCase(const TablePlan& plan);

// What a search took, stage by stage (seconds; memory in megabytes).
struct SearchTimings {
  double readSeconds = 0;  // reading and planning
  double readCpu = 0;
  std::int64_t rows = 0;
  double loadSeconds = 0;
  double loadCpu = 0;
  double cases = 0;
  double searchSeconds = 0;
  double searchCpu = 0;
  double dataSetMb = 0;
  double peakAfterLoadMb = 0;
  double peakAfterSearchMb = 0;
};

// Two lines: "timings: ..." and "memory: ...".
void WriteTimings(std::ostream& err, const SearchTimings& t);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_RESOURCE_USAGE_H_
