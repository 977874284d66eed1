// QXDecisionXML::GetModelFields and GetModelRuleRecords: the data dictionary, mining schemas and
// rule figures of a PMML document, as the import's reader sees them.
#include "ruleweave/pmml/model_fields.h"

#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <utility>

#include "foundation/status_codes.h"
#include "pmml/reader/model_factory.h"
#include "pmml/reader/rule_set_model.h"
#include "pmml/reader/scorer_exception.h"

namespace QXDecisionXML {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

const char* OptypeText(QXScore::ScoreMeasureLevel level) {
  switch (level) {
    case QXScore::kScale:
      return "continuous";
    case QXScore::kOrdinal:
      return "ordinal";
    case QXScore::kNominal:
      return "categorical";
    case QXScore::kNoLevel:
      break;
  }
  return "";
}

// Reads `document` into `ruleSets`; on failure the status is 110030 with the reason in
// `errorMessage`. Both listings go through here so that they accept and refuse the same
// documents as the import.
QXDecision::QXStatus ReadRuleSets(const std::string& document,
                                  std::unique_ptr<QXScore::RuleSetModel>& ruleSets,
                                  std::string* errorMessage) {
  const QXDecision::QXStatus unreadable =
      ruleweave::status::Error(ruleweave::status::kUnreadableDocument);
  std::unique_ptr<QXScore::ScoreModel> model;
  // The reader's failures end here: nothing of the document is handed out.
  try {
    model.reset(QXScore::ModelFactory::MakeModelFromXML(document, "", ""));
  } catch (const QXScore::ScorerException& e) {
    if (errorMessage != nullptr) *errorMessage = e.GetErrorMessage();
    return unreadable;
  } catch (const std::bad_alloc&) {
    if (errorMessage != nullptr) *errorMessage = "out of memory while reading the document";
    return unreadable;
  }
  auto* read = dynamic_cast<QXScore::RuleSetModel*>(model.get());
  if (read == nullptr) {
    if (errorMessage != nullptr) *errorMessage = "the document holds no rule-set model";
    return unreadable;
  }
  model.release();
  ruleSets.reset(read);
  return QXDecision::QXStatus();
}

// A figure as reported: counts of cases or weights are never negative, so a negative number
// says as little as a missing one.
double Figure(double value) { return std::isfinite(value) && value >= 0 ? value : kNaN; }

}  // namespace

QXDecision::QXStatus GetModelFields(const std::string& document, std::vector<PMMLField>& fields,
                                    std::string* errorMessage) {
  std::unique_ptr<QXScore::RuleSetModel> ruleSets;
  const QXDecision::QXStatus status = ReadRuleSets(document, ruleSets, errorMessage);
  if (status.IsError()) return status;

  std::vector<PMMLField> listed;
  for (const QXScore::ScoreDictVar* var : ruleSets->GetDictVars()) {
    PMMLField field;
    field.name = var->GetName();
    field.optype = OptypeText(var->GetMeasureLevel());
    field.dataType = var->GetDataType();
    field.values = var->GetCategories();
    listed.push_back(std::move(field));
  }
  auto mark = [&listed](const std::string& name, bool predicted) {
    for (PMMLField& field : listed) {
      if (field.name != name) continue;
      field.used = true;
      field.predicted = field.predicted || predicted;
    }
  };
  const int numOfRuleSets = static_cast<int>(ruleSets->GetSimpleRules().size());
  for (int i = 0; i < numOfRuleSets; ++i) {
    for (const std::string& name : ruleSets->GetPredictorNameFromModel(i)) mark(name, false);
    const std::string target = ruleSets->GetTargetNameFromModel(i);
    if (!target.empty()) mark(target, true);
  }
  fields = std::move(listed);
  return QXDecision::QXStatus();
}

QXDecision::QXStatus GetModelRuleRecords(const std::string& document,
                                         std::vector<std::vector<PMMLRuleRecord>>& lists,
                                         std::string* errorMessage) {
  std::unique_ptr<QXScore::RuleSetModel> ruleSets;
  const QXDecision::QXStatus status = ReadRuleSets(document, ruleSets, errorMessage);
  if (status.IsError()) return status;

  std::vector<std::vector<PMMLRuleRecord>> read;
  for (const std::vector<QXScore::SimpleRule*>& rules : ruleSets->GetSimpleRules()) {
    std::vector<PMMLRuleRecord> records;
    for (const QXScore::SimpleRule* rule : rules) {
      if (rule == nullptr) continue;  // a CompoundRule
      PMMLRuleRecord record;
      record.id = rule->GetRuleId();
      record.recordCount = Figure(rule->GetRecordCount());
      record.nbCorrect = Figure(rule->GetNbCorrect());
      records.push_back(std::move(record));
    }
    read.push_back(std::move(records));
  }
  lists = std::move(read);
  return QXDecision::QXStatus();
}

}  // namespace QXDecisionXML
