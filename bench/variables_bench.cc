// Encoding throughput of the categorical and binning encoders, and the cost of equal-frequency
// cut points, each over 1e7 values.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "ruleweave/variables/binning_encoder.h"
#include "ruleweave/variables/encoder.h"
#include "variables/binef_pre_process.h"

namespace {

constexpr int kValues = 10'000'000;

// 1e7 category indices drawn uniformly from [0, categories).
std::vector<int> Indices(int categories) {
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> pick(0, categories - 1);
  std::vector<int> indices(kValues);
  for (int& i : indices) i = pick(rng);
  return indices;
}

void BM_CatNumNominalEncode50(benchmark::State& state) {
  std::vector<double> values;
  for (int i : Indices(50)) values.push_back(i * 1.5 + 0.25);
  DLCatNumNominalEncoder encoder;
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (double v : values) sum += encoder.Encode(v);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_CatNumNominalEncode50)->Unit(benchmark::kMillisecond);

void BM_CatStrNominalEncode1000(benchmark::State& state) {
  std::vector<std::string> pool;
  for (int i = 0; i < 1000; ++i) pool.push_back("category-" + std::to_string(i * 7919 % 1000));
  const std::vector<int> indices = Indices(1000);
  DLCatStrNominalEncoder encoder;
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (int i : indices) sum += encoder.Encode(pool[i]);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_CatStrNominalEncode1000)->Unit(benchmark::kMillisecond);

void BM_BinningEncode99Cutpoints(benchmark::State& state) {
  std::vector<double> cutpoints;
  for (int i = 1; i <= 99; ++i) cutpoints.push_back(i);
  DLBinningEncoder encoder(cutpoints);
  std::mt19937 rng(42);
  std::uniform_real_distribution<double> dist(-5.0, 105.0);
  std::vector<double> values(kValues);
  for (double& v : values) v = dist(rng);
  for (auto _ : state) {
    std::int64_t sum = 0;
    for (double v : values) sum += encoder.Encode(v);
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_BinningEncode99Cutpoints)->Unit(benchmark::kMillisecond);

// 1e7 (value, weight) records with weights 1..5 and many ties (values on a 0.01 grid).
std::vector<BINEFPreProcessDL::ValueWeight> WeightedRecords(double& total) {
  std::mt19937 rng(42);
  std::normal_distribution<double> value(50.0, 15.0);
  std::uniform_int_distribution<int> weight(1, 5);
  std::vector<BINEFPreProcessDL::ValueWeight> records(kValues);
  total = 0.0;
  for (auto& r : records) {
    r = {std::round(value(rng) * 100.0) / 100.0, weight(rng)};
    total += r.second;
  }
  return records;
}

// The walk alone, over records already sorted; the argument is the number of bins.
void BM_EqualFrequencyCutpoints(benchmark::State& state) {
  double total = 0.0;
  auto records = WeightedRecords(total);
  BINEFPreProcessDL::SortRecords(records);
  BINEFPreProcessDL binner(static_cast<int>(state.range(0)), true);
  std::vector<double> cutpoints;
  std::vector<int> tallies;
  for (auto _ : state) {
    binner.ComputeCutpoints(records, cutpoints, tallies, total);
    benchmark::DoNotOptimize(cutpoints.data());
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_EqualFrequencyCutpoints)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

// Sorting included, as the encoded data view prepares the records.
void BM_EqualFrequencySortAndCut(benchmark::State& state) {
  double total = 0.0;
  const auto unsorted = WeightedRecords(total);
  BINEFPreProcessDL binner(10, true);
  std::vector<double> cutpoints;
  std::vector<int> tallies;
  for (auto _ : state) {
    state.PauseTiming();
    auto records = unsorted;
    state.ResumeTiming();
    BINEFPreProcessDL::SortRecords(records);
    binner.ComputeCutpoints(records, cutpoints, tallies, total);
    benchmark::DoNotOptimize(cutpoints.data());
  }
  state.SetItemsProcessed(state.iterations() * kValues);
}
BENCHMARK(BM_EqualFrequencySortAndCut)->Unit(benchmark::kMillisecond);

}  // namespace
