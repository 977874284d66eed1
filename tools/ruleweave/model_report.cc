// Taking a model's figures into a report.
#include "model_report.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "rule_text.h"
#include "table_loader.h"

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
  report.hasSummary = true;
  report.listShare = report.cases > 0 ? coverage / report.cases : std::nan("");
  report.responseShare = report.responses > 0 ? responses / report.responses : std::nan("");
  report.listRate = coverage > 0 ? responses / coverage : std::nan("");
  report.remainderRate = last.rate;
  return report;
}

std::unique_ptr<DLModel> MeasureOn(const DLModel& model, const DLDataSet& data) {
  std::vector<DLList*> lists;
  model.CopyLists(lists);
  for (DLList* list : lists) {
    while (list->GetNumOfRules() > 0) {
      const DLRule* last = list->GetRule(list->GetNumOfRules() - 1);
      if (!last->IsEmpty() || !last->GetDisableFlag()) break;
      list->RemoveRule(list->GetNumOfRules() - 1);
    }
    list->SetDataSet(data);
  }
  auto measured = std::make_unique<DLModel>(data, lists);
  measured->ClearMeasure();
  if (!measured->RefreshMeasure()) {
    throw LibraryError("the model could not be measured on the data", QXDecision::QXStatus());
  }
  return measured;
}

void AddHoldout(ModelReport& report, const ModelReport& holdout, DLConst::SearchDirection way) {
  HoldoutFigures sample;
  sample.coverage = holdout.cases;
  sample.responses = holdout.responses;
  sample.rate = holdout.baseRate;
  sample.lower = sample.upper = sample.lift = std::nan("");
  report.holdout = sample;
  report.holdoutListRate = holdout.listRate;
  report.holdoutRemainderRate = holdout.remainderRate;
  for (std::size_t i = 0; i < report.rows.size() && i < holdout.rows.size(); ++i) {
    RuleRow& row = report.rows[i];
    const RuleRow& h = holdout.rows[i];
    HoldoutFigures figures;
    figures.coverage = h.coverage;
    figures.responses = h.responses;
    figures.rate = h.rate;
    figures.lower = h.lower;
    figures.upper = h.upper;
    figures.lift = h.lift;
    // No holdout case, no evidence: such a rule is flagged as well (NaN compares false).
    const bool clears =
        way == DLConst::Down ? h.upper < report.baseRate : h.lower > report.baseRate;
    figures.weak = !row.remainder && !clears;
    row.holdout = figures;
  }
}

double RankingAuc(std::vector<ScoredGroup> groups) {
  std::sort(groups.begin(), groups.end(),
            [](const ScoredGroup& a, const ScoredGroup& b) { return a.score < b.score; });
  double negativesBelow = 0;
  double positives = 0;
  double negatives = 0;
  double pairs = 0;  // weighted (response, non-response) pairs ordered right, ties half
  for (std::size_t i = 0; i < groups.size();) {
    double groupPositives = 0;
    double groupNegatives = 0;
    std::size_t j = i;
    for (; j < groups.size() && groups[j].score == groups[i].score; ++j) {
      groupPositives += groups[j].positives;
      groupNegatives += groups[j].negatives;
    }
    pairs += groupPositives * (negativesBelow + 0.5 * groupNegatives);
    negativesBelow += groupNegatives;
    positives += groupPositives;
    negatives += groupNegatives;
    i = j;
  }
  return positives > 0 && negatives > 0 ? pairs / (positives * negatives) : std::nan("");
}

std::vector<ScoredGroup> GroupsOf(const ModelReport& report, bool onHoldout) {
  std::vector<ScoredGroup> groups;
  for (const RuleRow& row : report.rows) {
    const bool held = onHoldout && row.holdout;
    const double cover = held ? row.holdout->coverage : (onHoldout ? 0.0 : row.coverage);
    const double resp = held ? row.holdout->responses : (onHoldout ? 0.0 : row.responses);
    groups.push_back({std::isnan(row.rate) ? 0.0 : row.rate, resp, cover - resp});
  }
  return groups;
}

}  // namespace ruleweave_cli
