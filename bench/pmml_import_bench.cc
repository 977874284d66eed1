// Benchmarks of PMML import: reading exported-style documents, and how fast hostile documents
// are refused (billion laughs, many attributes, deep nesting, the 64 MiB size bound).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "pmml/pmml_importer.h"
#include "ruleweave/model/model.h"
#include "ruleweave/variables/var.h"
#include "ruleweave/variables/var_list.h"

namespace {

std::unique_ptr<DLVarList> MakeVars() {
  auto vars = std::make_unique<DLVarList>();
  vars->AddCatVar("resp", "", std::vector<std::string>{"no", "yes"}, true, IDLVar::kTarget);
  vars->AddCatVar("color", "", std::vector<std::string>{"red", "green", "blue"}, true,
                  IDLVar::kPredictor);
  vars->AddContVar("age", "", 0.0, 100.0, IDLVar::kPredictor);
  return vars;
}

// A document in the exporter's format with `rules` rules of two predicates each.
std::string Document(int rules) {
  std::string text =
      R"(<?xml version="1.0" encoding="UTF-8"?><PMML version="3.0" xmlns="http://www.dmg.org/PMML-3_0"><DataDictionary numberOfFields="3"><DataField name="resp" optype="categorical" dataType="string"><Value value="no" property="valid"/><Value value="yes" property="valid"/></DataField><DataField name="color" optype="categorical" dataType="string"><Value value="red" property="valid"/><Value value="green" property="valid"/><Value value="blue" property="valid"/></DataField><DataField name="age" optype="continuous" dataType="double"/></DataDictionary><RuleSetModel modelName="RuleSet0" functionName="classification" algorithmName="DecisionList"><MiningSchema><MiningField name="age"/><MiningField name="color"/><MiningField name="resp" usageType="predicted"/></MiningSchema><RuleSet><RuleSelectionMethod criterion="firstHit"/>)";
  for (int i = 0; i < rules; ++i) {
    text +=
        R"(<SimpleRule id=")" + std::to_string(i + 1) +
        R"(" score="yes" recordCount="10" nbCorrect="5"><Extension extender="x" name="label" value="rule"/><Extension extender="x" name="isDisabled" value="false"/><Extension extender="x" name="searchDirection" value="up"/><CompoundPredicate booleanOperator="and"><SimplePredicate field="age" operator="greaterThan" value=")" +
        std::to_string(i % 50) +
        R"(.5"/><SimpleSetPredicate field="color" booleanOperator="isIn"><Array n="2" type="string">"red" "blue" </Array></SimpleSetPredicate></CompoundPredicate></SimpleRule>)";
  }
  text +=
      R"(<SimpleRule id="0" score="yes" recordCount="0" nbCorrect="0"><True/></SimpleRule></RuleSet></RuleSetModel></PMML>)";
  return text;
}

void RunImport(benchmark::State& state, const std::string& document, long expected) {
  std::unique_ptr<DLVarList> vars = MakeVars();
  for (auto _ : state) {
    DLPMMLImporter importer(vars.get(), false);
    DLModel* model = nullptr;
    const long code = importer.Import(document, &model).GetErrorCode();
    delete model;
    if (code != expected) state.SkipWithError("unexpected status");
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(document.size()));
}

void BM_ImportRules(benchmark::State& state) {
  RunImport(state, Document(static_cast<int>(state.range(0))), 0);
}
BENCHMARK(BM_ImportRules)->Arg(10)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_RefuseBillionLaughs(benchmark::State& state) {
  std::string document = "<!DOCTYPE PMML [<!ENTITY a0 \"lol\">";
  for (int i = 1; i <= 10; ++i) {
    document += "<!ENTITY a" + std::to_string(i) + " \"";
    for (int j = 0; j < 10; ++j) document += "&a" + std::to_string(i - 1) + ";";
    document += "\">";
  }
  document += "]><PMML version=\"&a10;\">&a10;</PMML>";
  RunImport(state, document, 110030);
}
BENCHMARK(BM_RefuseBillionLaughs)->Unit(benchmark::kMicrosecond);

void BM_RefuseManyAttributes(benchmark::State& state) {
  std::string document = "<PMML";
  for (int i = 0; i < 50000; ++i) document += " a" + std::to_string(i) + "=\"1\"";
  document += "/>";
  RunImport(state, document, 110030);
}
BENCHMARK(BM_RefuseManyAttributes)->Unit(benchmark::kMicrosecond);

void BM_RefuseDeepNesting(benchmark::State& state) {
  std::string document = "<PMML>";
  for (int i = 0; i < 1000000; ++i) document += "<a>";
  RunImport(state, document, 110030);
}
BENCHMARK(BM_RefuseDeepNesting)->Unit(benchmark::kMicrosecond);

// The largest document accepted: a small model padded with comments to exactly 64 MiB.
void BM_Import64MiB(benchmark::State& state) {
  std::string document = Document(10);
  const std::string comment = "<!--" + std::string(1000, 'p') + "-->";
  const std::size_t limit = std::size_t{64} << 20;
  while (document.size() + comment.size() <= limit) document += comment;
  document.append(limit - document.size(), ' ');
  RunImport(state, document, 0);
}
BENCHMARK(BM_Import64MiB)->Unit(benchmark::kMillisecond);

void BM_RefuseOver64MiB(benchmark::State& state) {
  RunImport(state, std::string((std::size_t{64} << 20) + 1, ' '), 110030);
}
BENCHMARK(BM_RefuseOver64MiB)->Unit(benchmark::kMicrosecond);

}  // namespace
