// Benchmarks of loading records into a data set through InputData and of building the binned
// view the search reads (equal width and equal frequency, 100 bins).
//
// The table has 50 variables: 30 categorical predictors (codes 0..9), 18 continuous predictors,
// one frequency weight and one categorical target. Records come from a pool of pre-built rows,
// so the figures measure the data set, not the record source.
#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "data/data_views.h"
#include "ruleweave/ruleweave.h"

namespace {

constexpr int kCategorical = 30;
constexpr int kContinuous = 18;
constexpr int kVariables = kCategorical + kContinuous + 2;
constexpr int kPoolSize = 4096;

void BuildVarList(DLVarList& vars) {
  for (int i = 0; i < kCategorical; ++i) {
    vars.AddCatVar("c" + std::to_string(i), "", std::vector<double>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
                   /*nominal=*/true, IDLVar::kPredictor, IDLVar::kInteger);
  }
  for (int i = 0; i < kContinuous; ++i) {
    vars.AddContVar("x" + std::to_string(i), "", 0.0, 1000.0, IDLVar::kPredictor);
  }
  vars.AddFreqWeightVar("w", "", IDLVar::kTruncate);
  vars.AddCatVar("t", "", std::vector<double>{0, 1}, /*nominal=*/true, IDLVar::kTarget,
                 IDLVar::kInteger);
}

// Hands out `count` records cycling through a pool of random rows.
class PoolRecords : public QXCommon::RecordIterator {
 public:
  explicit PoolRecords(long count) : mCount(count) {
    std::mt19937 rng(42);
    std::uniform_int_distribution<int> code(0, 9), weight(1, 3), coin(0, 1);
    std::uniform_real_distribution<double> value(0.0, 1000.0);
    mPool.reserve(kPoolSize);
    for (int r = 0; r < kPoolSize; ++r) {
      QXCommon::Record record(kVariables);
      int i = 0;
      for (; i < kCategorical; ++i) record[i] = code(rng);
      for (; i < kCategorical + kContinuous; ++i) record[i] = value(rng);
      record[i++] = weight(rng);
      record[i] = coin(rng);
      mPool.push_back(record);
    }
  }
  void Rewind() { mNext = 0; }
  bool HasNext() override { return mNext < mCount; }
  const QXCommon::Record* Next() override {
    return &mPool[static_cast<std::size_t>(mNext++ % kPoolSize)];
  }

 private:
  long mCount;
  long mNext = 0;
  std::vector<QXCommon::Record> mPool;
};

void BM_InputData(benchmark::State& state) {
  const long records = state.range(0);
  DLVarList vars;
  BuildVarList(vars);
  PoolRecords source(records);
  const DLSettings settings;
  for (auto _ : state) {
    auto data = std::make_unique<DLDataSet>(vars, /*largeCategory=*/false);
    source.Rewind();
    QXDecision::QXStatus status = data->InputData(source, settings);
    if (!status.IsOK() || data->GetNumOfCases() != records) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(data->GetNumOfCases());
    state.PauseTiming();  // freeing the columns is not loading
    data.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * records * kVariables);
  state.counters["values/s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * records * kVariables), benchmark::Counter::kIsRate);
}

// A loaded data set shared by the view benchmarks.
struct LoadedTable {
  explicit LoadedTable(long records) {
    BuildVarList(vars);
    data = std::make_unique<DLDataSet>(vars, /*largeCategory=*/false);
    PoolRecords source(records);
    data->InputData(source, DLSettings());
    std::vector<std::string> predictors;
    for (int i = 0; i < kCategorical; ++i) predictors.push_back("c" + std::to_string(i));
    for (int i = 0; i < kContinuous; ++i) predictors.push_back("x" + std::to_string(i));
    predictors.push_back("w");
    query = DLDataQuery(nullptr, predictors, "t", "1");
  }
  DLVarList vars;
  std::unique_ptr<DLDataSet> data;
  DLDataQuery query;
};

void BM_EncDataView(benchmark::State& state) {
  static LoadedTable table(1000000);
  DLParameters params;
  params.SetNumOfBins(100);
  params.SetBinningType(state.range(0) == 0 ? DLConst::EqualWidth : DLConst::EqualFrequency);
  for (auto _ : state) {
    DLEncDataView view(params, *table.data, table.query);
    benchmark::DoNotOptimize(view.GetNumOfAttributes());
  }
  state.SetItemsProcessed(state.iterations() * table.data->GetNumOfCases() * kContinuous);
  state.SetLabel(state.range(0) == 0 ? "equal width" : "equal frequency");
}

void BM_ComputeMeasure(benchmark::State& state) {
  static LoadedTable table(1000000);
  DLParameters params;
  DLEncDataView view(params, *table.data, table.query);
  const int n = table.data->GetNumOfCases();
  DLBitSet cases(n);
  std::mt19937 rng(3);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double density = static_cast<double>(state.range(0)) / 100.0;
  for (int i = 0; i < n; ++i) {
    if (unit(rng) < density) cases.AddElement(i);
  }
  DLMeasure measure;
  for (auto _ : state) {
    view.ComputeMeasure(measure, cases);
    benchmark::DoNotOptimize(measure);
  }
  state.SetItemsProcessed(state.iterations() * cases.GetNumOfElements());
}

void BM_FilterByRange(benchmark::State& state) {
  static LoadedTable table(1000000);
  DLParameters params;
  DLEncDataView view(params, *table.data, table.query);
  const IDLAttribute* binned = view.GetAttribute("x0");
  const int n = table.data->GetNumOfCases();
  DLBitSet all(n);
  all.FillUp();
  for (auto _ : state) {
    DLBitSet cases(all);
    binned->FilterByRange(cases, 20, 60, /*leftOpen=*/false, /*rightOpen=*/true);
    benchmark::DoNotOptimize(cases.GetNumOfElements());
  }
  state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK(BM_InputData)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_EncDataView)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ComputeMeasure)->Arg(5)->Arg(50)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FilterByRange)->Unit(benchmark::kMillisecond);

}  // namespace
