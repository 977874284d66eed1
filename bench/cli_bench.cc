// Throughput of the command-line program's two passes over a CSV file held in memory: the
// first pass that profiles and plans the columns, and the second that codes every row and
// loads it into a data set. 200,000 rows of 20 continuous, 15 nominal and 5 ordinal columns
// and a target, as in bench/cli_make_csv.cc; bench/cli_search.sh times the whole program.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <string>

#include "column_plan.h"
#include "table_loader.h"

namespace {

using namespace ruleweave_cli;

constexpr int kRows = 200000;

const std::string& CsvText() {
  static const std::string text = [] {
    std::string out;
    for (int j = 0; j < 20; ++j) out += "c" + std::to_string(j) + ",";
    for (int j = 0; j < 15; ++j) out += "n" + std::to_string(j) + ",";
    for (int j = 0; j < 5; ++j) out += "o" + std::to_string(j) + ",";
    out += "y\n";
    unsigned long long state = 42;
    auto uniform = [&state] {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    char buf[32];
    for (int i = 0; i < kRows; ++i) {
      for (int j = 0; j < 20; ++j) {
        std::snprintf(buf, sizeof buf, "%.6f,", uniform());
        out += buf;
      }
      for (int j = 0; j < 15; ++j)
        out += std::to_string(static_cast<int>(uniform() * (2 + 4 * j))) + ",";
      for (int j = 0; j < 5; ++j) out += std::to_string(static_cast<int>(uniform() * 7)) + ",";
      out += uniform() < 0.1 ? "1\n" : "0\n";
    }
    return out;
  }();
  return text;
}

ColumnOptions Options() {
  ColumnOptions options;
  options.target = "y";
  for (int j = 0; j < 15; ++j) options.nominal.push_back("n" + std::to_string(j));
  for (int j = 0; j < 5; ++j) options.ordinal.push_back("o" + std::to_string(j));
  return options;
}

TablePlan PlanText(const ColumnOptions& options) {
  std::istringstream in(CsvText());
  CsvReader reader(in, "bench.csv", options.delimiter);
  reader.ReadHeader();
  return PlanTable(ProfileColumns(reader, options, 1024, nullptr), options, "bench.csv");
}

void BM_CsvProfileAndPlan(benchmark::State& state) {
  const ColumnOptions options = Options();
  CsvText();  // generated once, outside the timing
  for (auto _ : state) benchmark::DoNotOptimize(PlanText(options));
  state.SetItemsProcessed(state.iterations() * kRows);
  state.SetBytesProcessed(state.iterations() * static_cast<long long>(CsvText().size()));
}
BENCHMARK(BM_CsvProfileAndPlan)->Unit(benchmark::kMillisecond);

void BM_CsvLoad(benchmark::State& state) {
  const ColumnOptions options = Options();
  const DataSource source = DataSource::Text("bench.csv", CsvText());
  InterruptCancel cancel;
  ConsoleProgress progress(std::cerr, false);
  for (auto _ : state) {
    state.PauseTiming();
    LoadedTable table;
    {
      std::istringstream in(CsvText());
      CsvReader reader(in, "bench.csv", options.delimiter);
      reader.ReadHeader();
      table.header = reader.Header();
    }
    table.plan = PlanText(options);
    table.vars = BuildVarList(table.plan);
    state.ResumeTiming();
    LoadData(source, options, table, progress, cancel);
    benchmark::DoNotOptimize(table.data.get());
    state.PauseTiming();
    table.data.reset();  // freeing is not loading
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_CsvLoad)->Unit(benchmark::kMillisecond);

}  // namespace
