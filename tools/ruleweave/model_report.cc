// Taking a model's figures into a report.
#include "model_report.h"

#include <cmath>
#include <memory>
#include <string>

#include "rule_text.h"

namespace ruleweave_cli {

namespace {

double OrNaN(double value) { return QXMV::IsMissing(value) ? std::nan("") : value; }

}  // namespace

ModelReport BuildReport(const DLModel& model, int number, const DLVarList& vars, int missingCode) {
  ModelReport report;
  report.number = number;
  const DLList* first = model.GetList(0);
  if (first && first->GetDataQuery()) {
    report.target = first->GetDataQuery()->GetTargetName();
    report.response = first->GetDataQuery()->GetResponseVal();
  }
  // The lists are stages (each works on the previous one's remainder), so their measures and
  // the last remainder add up to the model's cases.
  double coverage = 0;
  double responses = 0;
  for (int l = 0; l < model.GetNumOfLists(); ++l) {
    coverage += model.GetList(l)->GetMeasure().GetCoverage();
    responses += model.GetList(l)->GetMeasure().GetResponse();
  }
  std::unique_ptr<DLMeasure> rest(model.GetRemainderMeasure());
  const DLMeasure remainder = rest ? *rest : DLMeasure();
  report.cases = coverage + remainder.GetCoverage();
  report.responses = responses + remainder.GetResponse();
  report.baseRate = report.cases > 0 ? report.responses / report.cases : std::nan("");

  auto row = [&](const DLMeasure& m) {
    RuleRow out;
    out.coverage = m.GetCoverage();
    out.responses = m.GetResponse();
    out.rate = OrNaN(m.GetProbability());
    out.lower = OrNaN(m.GetLowerProbabilityBoundary());
    out.upper = OrNaN(m.GetUpperProbabilityBoundary());
    out.lift = report.baseRate > 0 ? out.rate / report.baseRate : std::nan("");
    return out;
  };
  double cumCoverage = 0;
  double cumResponses = 0;
  const bool several = model.GetNumOfLists() > 1;
  for (int l = 0; l < model.GetNumOfLists(); ++l) {
    const DLList* list = model.GetList(l);
    for (int r = 0; r < list->GetNumOfRules(); ++r) {
      const DLRule* rule = list->GetRule(r);
      RuleRow out = row(rule->GetMeasure());
      out.id =
          several ? std::to_string(l + 1) + "." + std::to_string(r + 1) : std::to_string(r + 1);
      out.conditions = RuleText(*rule, vars, missingCode);
      out.conditionList = RuleConditions(*rule, vars, missingCode);
      cumCoverage += out.coverage;
      cumResponses += out.responses;
      out.cumulativeCoverage = cumCoverage;
      out.cumulativeRate = cumCoverage > 0 ? cumResponses / cumCoverage : std::nan("");
      report.rows.push_back(out);
    }
  }
  RuleRow last = row(remainder);
  last.id = "-";
  last.conditions = "remainder";
  last.remainder = true;
  report.rows.push_back(last);
  return report;
}

}  // namespace ruleweave_cli
