// The decision-list search on a synthetic table of 1e6 cases and 40 predictors (20 continuous,
// 15 nominal with 2 to 60 categories, 5 ordinal) with a planted response, searched with list
// depth 5, list width 5, rule depth 3, rule width 5 and 100 equal-width bins, on one and on two
// threads (BM_Search/threads:N).
//
// Counters: peak_rss_mb is the process's peak resident set after the benchmark;
// max_poll_gap_s is the longest time between two polls of the cancel object during a search,
// which bounds how long a host waits for a cancel to be answered; max_poll_gap_cpu_s is the same
// gap in processor time of the polling thread, which other work on a shared machine does not
// stretch (with one thread it is the work between two polls).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "ruleweave/ruleweave.h"

namespace {

constexpr int kCases = 1000000;
constexpr int kContinuous = 20;
constexpr int kNominal = 15;
constexpr int kOrdinal = 5;

// Peak resident set size of the process in megabytes (Linux).
double PeakRssMb() {
  std::FILE* f = std::fopen("/proc/self/status", "r");
  if (f == nullptr) return -1;
  char line[256];
  double kb = -1;
  while (std::fgets(line, sizeof(line), f) != nullptr) {
    if (std::strncmp(line, "VmHWM:", 6) == 0) kb = std::atof(line + 6);
  }
  std::fclose(f);
  return kb / 1024.0;
}

int NominalCategories(int j) { return 2 + (j * 58) / (kNominal - 1); }  // 2 .. 60

// Generates the cases one at a time (no table of a million rows is ever held by the host).
class SyntheticRecords : public QXCommon::RecordIterator {
 public:
  SyntheticRecords() : mRecord(kContinuous + kNominal + kOrdinal + 1) {}
  bool HasNext() override { return mNext < kCases; }
  const QXCommon::Record* Next() override {
    ++mNext;
    int v = 0;
    double c[kContinuous];
    int nominal[kNominal];
    int ordinal[kOrdinal];
    for (int j = 0; j < kContinuous; ++j) mRecord[v++] = c[j] = Uniform();
    for (int j = 0; j < kNominal; ++j) {
      nominal[j] = static_cast<int>(Uniform() * NominalCategories(j));
      mRecord[v++] = Uniform() < 0.02 ? -1.0 : nominal[j];
    }
    for (int j = 0; j < kOrdinal; ++j) mRecord[v++] = ordinal[j] = static_cast<int>(Uniform() * 7);
    // Planted structure: three overlapping high-rate groups and one low-rate group.
    double rate = 0.08;
    if (c[0] > 0.8 && nominal[0] == 1) rate += 0.5;
    if (nominal[7] < 4 && ordinal[2] >= 5) rate += 0.3;
    if (c[5] < 0.1) rate += 0.2;
    if (ordinal[0] == 0) rate -= 0.05;
    mRecord[v] = Uniform() < rate ? 1.0 : 0.0;
    return &mRecord;
  }

 private:
  double Uniform() {
    mState = mState * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(mState >> 11) / 9007199254740992.0;
  }
  int mNext = 0;
  unsigned long long mState = 42;
  QXCommon::Record mRecord;
};

void DeclareVariables(DLVarList& vars, std::vector<std::string>& predictors) {
  for (int j = 0; j < kContinuous; ++j) {
    predictors.push_back("c" + std::to_string(j));
    vars.AddContVar(predictors.back(), "", 0.0, 1.0, IDLVar::kPredictor);
  }
  for (int j = 0; j < kNominal; ++j) {
    std::vector<double> values;
    for (int k = 0; k < NominalCategories(j); ++k) values.push_back(k);
    predictors.push_back("n" + std::to_string(j));
    vars.AddCatVar(predictors.back(), "", values, /*nominal=*/true, IDLVar::kPredictor,
                   IDLVar::kInteger);
  }
  for (int j = 0; j < kOrdinal; ++j) {
    predictors.push_back("o" + std::to_string(j));
    vars.AddCatVar(predictors.back(), "", std::vector<double>{0, 1, 2, 3, 4, 5, 6},
                   /*nominal=*/false, IDLVar::kPredictor, IDLVar::kInteger);
  }
  vars.AddCatVar("y", "", std::vector<double>{0, 1}, /*nominal=*/true, IDLVar::kTarget,
                 IDLVar::kInteger);
}

// One loaded data set shared by the benchmarks.
struct Table {
  DLVarList vars;
  std::vector<std::string> predictors;
  std::unique_ptr<DLDataSet> data;
  Table() {
    DeclareVariables(vars, predictors);
    DLSettings settings;
    DLFactory factory;
    SyntheticRecords records;
    data.reset(factory.CreateDataSet(settings, vars, records));
  }
};

Table& SharedTable() {
  static Table table;
  return table;
}

DLParameters BenchParams() {
  DLParameters params;
  params.SetListDepth(5);
  params.SetListWidth(5);
  params.SetRuleDepth(3);
  params.SetRuleWidth(5);
  params.SetNumOfBins(100);
  params.SetBinningType(DLConst::EqualWidth);
  return params;
}

// Processor time of the calling thread, in seconds.
double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Records the longest gap between two polls; never cancels.
class PollTimer : public QXQueryCancel {
 public:
  bool IsCancelled() override {
    const auto now = std::chrono::steady_clock::now();
    const double cpu = ThreadCpuSeconds();
    if (mPolls++ > 0) {
      const double gap = std::chrono::duration<double>(now - mLast).count();
      if (gap > mMaxGap) {
        mMaxGap = gap;
        mMaxGapPoll = mPolls;
      }
      if (cpu - mLastCpu > mMaxCpuGap) mMaxCpuGap = cpu - mLastCpu;
    }
    mLast = now;
    mLastCpu = cpu;
    return false;
  }
  double mMaxGap = 0;
  double mMaxCpuGap = 0;
  long mMaxGapPoll = 0;  // the poll that ended the longest gap (1 = the first)
  long mPolls = 0;

 private:
  std::chrono::steady_clock::time_point mLast;
  double mLastCpu = 0;
};

void BM_LoadMillionCases(benchmark::State& state) {
  for (auto _ : state) {
    DLVarList vars;
    std::vector<std::string> predictors;
    DeclareVariables(vars, predictors);
    DLSettings settings;
    DLFactory factory;
    SyntheticRecords records;
    std::unique_ptr<DLDataSet> data(factory.CreateDataSet(settings, vars, records));
    if (!data) state.SkipWithError("loading failed");
  }
  state.counters["peak_rss_mb"] = PeakRssMb();
}
BENCHMARK(BM_LoadMillionCases)->Unit(benchmark::kSecond)->Iterations(1);

// Arg: the number of threads of the search.
void BM_Search(benchmark::State& state) {
  Table& table = SharedTable();
  if (!table.data) {
    state.SkipWithError("loading failed");
    return;
  }
  PollTimer timer;
  std::size_t numModels = 0;
  for (auto _ : state) {
    DLParameters params = BenchParams();
    params.SetCancelPointer(&timer);
    params.SetNumThreads(static_cast<int>(state.range(0)));
    DLDataQuery query(nullptr, table.predictors, "y", "1");
    DLSettings settings;
    DLFactory factory;
    std::unique_ptr<IDLAlgorithm> algorithm(factory.CreateAlgorithm(settings));
    std::vector<DLModel*> models;
    const QXDecision::QXStatus status = algorithm->Run(params, *table.data, query, models, nullptr);
    if (!status.IsOK()) state.SkipWithError("search failed");
    numModels = models.size();
    for (DLModel* m : models) delete m;
  }
  state.counters["models"] = static_cast<double>(numModels);
  state.counters["polls"] = static_cast<double>(timer.mPolls);
  state.counters["max_poll_gap_s"] = timer.mMaxGap;
  state.counters["max_poll_gap_cpu_s"] = timer.mMaxCpuGap;
  state.counters["max_gap_at_poll"] = static_cast<double>(timer.mMaxGapPoll);
  state.counters["peak_rss_mb"] = PeakRssMb();
}
BENCHMARK(BM_Search)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace
