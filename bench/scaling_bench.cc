// How the search scales with the size of one table dimension: the number of categories of one
// nominal predictor (1e6 cases) and the number of predictors (50 cases each). Run the series and
// read the times against the argument: they should grow no faster than n log n.
//
//   BM_ManyCategories/k/o    search of 1e6 cases with one nominal (o = 0) or ordinal (o = 1)
//                            predictor of k categories;
//                            poll_gap_ms (poll_gap_cpu_ms in processor time) is the longest
//                            stretch without a poll of the cancel object
//   BM_CancelManyCategories/k/t
//                            the same search (nominal), cancelled once it has used t ms of
//                            processor time: answer_cpu_ms is the processor time from the request
//                            to the end of the run
//   BM_ManyColumns/n         declaring, loading and searching n nominal predictors x 50 cases
//
// The largest points (k = 1e6, n = 1e5) are separate arguments: run them alone with
// --benchmark_filter.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "ruleweave/ruleweave.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

// A fixed-seed generator, so every run searches the same table.
class Lcg {
 public:
  explicit Lcg(unsigned long long seed) : mState(seed) {}
  double Uniform() {
    mState = mState * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(mState >> 11) / 9007199254740992.0;
  }
  int Below(int n) { return static_cast<int>(Uniform() * n); }

 private:
  unsigned long long mState;
};

// Cases with `columns` nominal predictors of `categories` categories each and a 0/1 target. The
// first predictor's lowest percent of categories respond more often, so the search finds rules.
class Records : public QXCommon::RecordIterator {
 public:
  Records(int cases, int columns, int categories)
      : mCases(cases), mColumns(columns), mCategories(categories), mRecord(columns + 1) {}
  bool HasNext() override { return mNext < mCases; }
  const QXCommon::Record* Next() override {
    ++mNext;
    for (int j = 0; j < mColumns; ++j) mRecord[j] = mRandom.Below(mCategories);
    const bool planted = mRecord[0] < mCategories / 100.0;
    mRecord[mColumns] = mRandom.Uniform() < (planted ? 0.7 : 0.2) ? 1.0 : 0.0;
    return &mRecord;
  }

 private:
  int mCases;
  int mColumns;
  int mCategories;
  int mNext = 0;
  Lcg mRandom{42};
  QXCommon::Record mRecord;
};

struct Table {
  DLVarList vars;
  std::vector<std::string> predictors;
  std::unique_ptr<DLDataSet> data;
  double loadSeconds = 0;
};

std::unique_ptr<Table> MakeTable(int cases, int columns, int categories, bool nominal = true) {
  const auto start = Clock::now();
  auto table = std::make_unique<Table>();
  std::vector<double> values(static_cast<std::size_t>(categories));
  for (int k = 0; k < categories; ++k) values[static_cast<std::size_t>(k)] = k;
  for (int j = 0; j < columns; ++j) {
    table->predictors.push_back("x" + std::to_string(j));
    table->vars.AddCatVar(table->predictors.back(), "", values, nominal, IDLVar::kPredictor,
                          IDLVar::kInteger);
  }
  table->vars.AddCatVar("y", "", std::vector<double>{0, 1}, /*nominal=*/true, IDLVar::kTarget,
                        IDLVar::kInteger);
  DLSettings settings;
  settings.UseLargeCategory(categories > 250);
  DLFactory factory;
  Records records(cases, columns, categories);
  table->data.reset(factory.CreateDataSet(settings, table->vars, records));
  table->loadSeconds = Seconds(start, Clock::now());
  return table;
}

// Processor time of the process in seconds: on a busy machine the wall-clock gaps between polls
// also hold other programs' time.
double CpuSeconds() { return static_cast<double>(std::clock()) / CLOCKS_PER_SEC; }

// Says yes once the process has used a given amount of processor time.
class CancelAfter : public QXQueryCancel {
 public:
  explicit CancelAfter(double cpuSeconds) : mWhen(cpuSeconds) {}
  bool IsCancelled() override { return CpuSeconds() >= mWhen; }
  double When() const { return mWhen; }

 private:
  double mWhen;
};

// Never says yes; records the longest time between two polls (and from its creation to the
// first, and from the last to Finish), in wall-clock and processor time. That bounds how long a
// host waits for its cancel to be answered.
class PollTimer : public QXQueryCancel {
 public:
  bool IsCancelled() override {
    const auto now = Clock::now();
    const double cpu = CpuSeconds();
    mMaxGap = std::max(mMaxGap, Seconds(mLast, now));
    mMaxCpuGap = std::max(mMaxCpuGap, cpu - mLastCpu);
    mLast = now;
    mLastCpu = cpu;
    return false;
  }
  void Finish() { IsCancelled(); }
  double MaxGap() const { return mMaxGap; }
  double MaxCpuGap() const { return mMaxCpuGap; }

 private:
  Clock::time_point mLast = Clock::now();
  double mLastCpu = CpuSeconds();
  double mMaxGap = 0;
  double mMaxCpuGap = 0;
};

// One search with the default parameters; the number of models found, or -1 on an error status
// (`cancelled` tells a cancellation apart).
int Search(const Table& table, QXQueryCancel* cancel, bool* cancelled = nullptr) {
  DLParameters params;
  params.SetCancelPointer(cancel);
  DLDataQuery query(nullptr, table.predictors, "y", "1");
  DLSettings settings;
  DLFactory factory;
  std::unique_ptr<IDLAlgorithm> algorithm(factory.CreateAlgorithm(settings));
  std::vector<DLModel*> models;
  const QXDecision::QXStatus status = algorithm->Run(params, *table.data, query, models, nullptr);
  for (DLModel* m : models) delete m;
  if (cancelled != nullptr) *cancelled = status.GetErrorCode() == 1;
  return status.IsOK() ? static_cast<int>(models.size()) : -1;
}

constexpr int kCategoryCases = 1000000;

void BM_ManyCategories(benchmark::State& state) {
  const int k = static_cast<int>(state.range(0));
  std::unique_ptr<Table> table = MakeTable(kCategoryCases, 1, k, state.range(1) == 0);
  if (!table->data) {
    state.SkipWithError("loading failed");
    return;
  }
  int models = 0;
  PollTimer timer;
  for (auto _ : state) {
    models = Search(*table, &timer);
    timer.Finish();
  }
  if (models < 0) state.SkipWithError("search failed");
  state.counters["models"] = models;
  state.counters["load_s"] = table->loadSeconds;
  state.counters["poll_gap_ms"] = timer.MaxGap() * 1000;
  state.counters["poll_gap_cpu_ms"] = timer.MaxCpuGap() * 1000;
}
// Second argument 0: nominal, 1: ordinal. The ordered pool search widens segments step by step
// and checks each kept candidate against the others, so ordinal points stop at 131072.
BENCHMARK(BM_ManyCategories)
    ->ArgsProduct({benchmark::CreateRange(2048, 262144, 2), {0}})
    ->Args({1000000, 0})
    ->ArgsProduct({benchmark::CreateRange(2048, 131072, 2), {1}})
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

void BM_CancelManyCategories(benchmark::State& state) {
  const int k = static_cast<int>(state.range(0));
  const double delay = static_cast<double>(state.range(1)) / 1000;
  std::unique_ptr<Table> table = MakeTable(kCategoryCases, 1, k);
  if (!table->data) {
    state.SkipWithError("loading failed");
    return;
  }
  double answer = 0;
  bool cancelled = false;
  for (auto _ : state) {
    CancelAfter cancel(CpuSeconds() + delay);
    Search(*table, &cancel, &cancelled);
    answer = CpuSeconds() - cancel.When();
  }
  // A search that ended before the request answers nothing.
  state.counters["cancelled"] = cancelled ? 1 : 0;
  state.counters["answer_cpu_ms"] = cancelled ? answer * 1000 : 0;
}
// Requests 10 to 160 ms of processor time into the search: setup, candidates, lists.
BENCHMARK(BM_CancelManyCategories)
    ->ArgsProduct({{16384, 1000000}, {10, 40, 80, 160}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

void BM_ManyColumns(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  int models = 0;
  double load = 0;
  for (auto _ : state) {
    std::unique_ptr<Table> table = MakeTable(50, n, 4);
    if (!table->data) {
      state.SkipWithError("loading failed");
      return;
    }
    models = Search(*table, nullptr);
    load = table->loadSeconds;
  }
  if (models < 0) state.SkipWithError("search failed");
  state.counters["models"] = models;
  state.counters["load_s"] = load;
}
BENCHMARK(BM_ManyColumns)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(8000)
    ->Arg(16000)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(BM_ManyColumns)->Arg(100000)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
