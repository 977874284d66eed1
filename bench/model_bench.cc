// Benchmarks of DLRuleCoverage::GetAttributeMeasure (the per-category breakdown the rule search
// asks for every predictor of every candidate) and of DLList::RefreshMeasure, over 1e6 cases.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../tests/testing/model_table.h"
#include "data/data_views.h"
#include "model/attribute_measure.h"
#include "model/rule_coverage.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/model/list.h"
#include "ruleweave/variables/var_list.h"

namespace {

constexpr int kNumCases = 1000000;
// Attribute "c0" has 2 categories, "c1" 10, "c2" 100, "c3" 255.
const int kCategories[] = {2, 10, 100, 255};

// One table per weighting, built on first use and kept for the whole run.
const model_testing::RandomTable& Table(bool weighted) {
  static std::map<bool, std::unique_ptr<model_testing::RandomTable>> tables;
  auto& table = tables[weighted];
  if (!table) {
    model_testing::TableShape shape;
    shape.numCases = kNumCases;
    shape.categories.assign(std::begin(kCategories), std::end(kCategories));
    shape.continuous = true;
    shape.weighted = weighted;
    shape.seed = 42;
    table = std::make_unique<model_testing::RandomTable>(shape);
  }
  return *table;
}

// Args: attribute index (0..3), weighted (0/1), covered share in percent (100: the full set).
void BM_GetAttributeMeasure(benchmark::State& state) {
  const int attr = static_cast<int>(state.range(0));
  const bool weighted = state.range(1) != 0;
  const int percent = static_cast<int>(state.range(2));
  const model_testing::RandomTable& table = Table(weighted);
  const DLDataQuery query = table.Query();
  DLRawDataView view(table.Data(), query);
  std::mt19937 rng(7);
  DLBitSet covered = model_testing::RandomSubset(kNumCases, percent / 100.0, rng);
  if (percent == 100) covered.FillUp();
  DLRuleCoverage coverage(view, covered);
  const std::string name = "c" + std::to_string(attr);
  for (auto _ : state) {
    std::unique_ptr<DLAttributeMeasure> am(coverage.GetAttributeMeasure(name));
    benchmark::DoNotOptimize(am.get());
  }
  state.SetItemsProcessed(state.iterations() * covered.GetNumOfElements());
  state.SetLabel(std::to_string(kCategories[attr]) + " categories" +
                 (weighted ? ", weighted" : ""));
}
BENCHMARK(BM_GetAttributeMeasure)
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}, {100, 50}})
    ->Unit(benchmark::kMillisecond);

// The breakdown the search asks for: all four attributes of the table in one pass
// (GetAttributeMeasures). Args: weighted (0/1), covered share in percent (100: the full set),
// responder bits (0: the pass reads the target column; 1: it reads the responder bits that the
// search makes once per rule and shares with the rule's narrower copies, made here outside the
// timed loop like the response code). Counter ns_per_case_attr: time per covered case per
// attribute.
void BM_GetAttributeMeasures(benchmark::State& state) {
  const bool weighted = state.range(0) != 0;
  const int percent = static_cast<int>(state.range(1));
  const bool shared = state.range(2) != 0;
  const model_testing::RandomTable& table = Table(weighted);
  const DLDataQuery query = table.Query();
  DLRawDataView view(table.Data(), query);
  std::mt19937 rng(7);
  DLBitSet covered = model_testing::RandomSubset(kNumCases, percent / 100.0, rng);
  if (percent == 100) covered.FillUp();
  DLRuleCoverage coverage(view, covered);
  std::vector<int> positions;
  for (int a = 0; a < 4; ++a)
    positions.push_back(view.GetVarList().FindVar("c" + std::to_string(a)));
  const long long responseCode = coverage.GetResponseCode();
  const auto responders = shared ? coverage.MakeResponders(responseCode) : nullptr;
  for (auto _ : state) {
    auto measures = coverage.GetAttributeMeasures(positions, responseCode, responders.get());
    benchmark::DoNotOptimize(measures.data());
  }
  const double work = static_cast<double>(state.iterations()) * covered.GetNumOfElements() *
                      static_cast<double>(positions.size());
  state.counters["ns_per_case_attr"] =
      benchmark::Counter(work * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.SetLabel(std::string(weighted ? "weighted" : "") + (weighted && shared ? ", " : "") +
                 (shared ? "responder bits" : ""));
}
BENCHMARK(BM_GetAttributeMeasures)
    ->ArgsProduct({{0, 1}, {100, 50, 20}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

// A 10-rule list of one or two segments each, cleared and re-measured on all cases.
void BM_ListRefreshMeasure(benchmark::State& state) {
  const bool weighted = state.range(0) != 0;
  const model_testing::RandomTable& table = Table(weighted);
  std::vector<DLRule*> rules;
  for (int k = 0; k < 10; ++k) {
    auto* rule = new DLRule();
    auto* s = new DLSegment("c" + std::to_string(1 + k % 3), false);
    s->SetValueEqualTo(k % 10);
    rule->AddSegment(s);
    if (k % 2 == 0) {
      auto* range = new DLSegment("x", false);
      range->SetRange(10.0 * k, 10.0 * k + 40, false, true);
      rule->AddSegment(range);
    }
    rules.push_back(rule);
  }
  DLList list(table.Data(), table.Query(), DLMeasure(), DLBitSet(kNumCases), rules);
  for (auto _ : state) {
    list.ClearMeasure();
    benchmark::DoNotOptimize(list.RefreshMeasure(nullptr));
  }
  state.SetItemsProcessed(state.iterations() * kNumCases);
}
BENCHMARK(BM_ListRefreshMeasure)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
