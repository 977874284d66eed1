// Probing the process's processor time and memory, and reporting a search's timings.
#include "resource_usage.h"

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <string>

namespace ruleweave_cli {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double PeakMemoryMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  }
  return -1;
}

double SecondsSince(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double DataSetBytesPerCase(const TablePlan& plan) {
  double bytes = 0;
  for (const ColumnPlan& column : plan.columns) {
    if (column.kind == ColumnKind::kContinuous) {
      bytes += 8;
    } else if (column.kind == ColumnKind::kWeight) {
      bytes += 4;
    } else {
      bytes += plan.largeCategories ? 4 : 1;
    }
  }
  return bytes;
}

void WriteTimings(std::ostream& err, const SearchTimings& t) {
  char text[512];
  std::snprintf(text, sizeof text,
                "timings: read and plan %.2f s (cpu %.2f s, %lld rows), load %.2f s (cpu %.2f s, "
                "%.0f cases), search %.2f s (cpu %.2f s)\nmemory: data set %.1f MB, peak after "
                "loading %.1f MB, peak after searching %.1f MB\n",
                t.readSeconds, t.readCpu, static_cast<long long>(t.rows), t.loadSeconds, t.loadCpu,
                t.cases, t.searchSeconds, t.searchCpu, t.dataSetMb, t.peakAfterLoadMb,
                t.peakAfterSearchMb);
  err << text;
}

}  // namespace ruleweave_cli
