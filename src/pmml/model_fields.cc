// QXDecisionXML::GetModelFields: the data dictionary and mining schemas of a PMML document, as the
// import's reader sees them.
#include "ruleweave/pmml/model_fields.h"

#include <memory>
#include <new>
#include <utility>

#include "foundation/status_codes.h"
#include "pmml/reader/model_factory.h"
#include "pmml/reader/rule_set_model.h"
#include "pmml/reader/scorer_exception.h"

namespace QXDecisionXML {

namespace {

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

}  // namespace

QXDecision::QXStatus GetModelFields(const std::string& document, std::vector<PMMLField>& fields,
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
  const auto* ruleSets = dynamic_cast<const QXScore::RuleSetModel*>(model.get());
  if (ruleSets == nullptr) {
    if (errorMessage != nullptr) *errorMessage = "the document holds no rule-set model";
    return unreadable;
  }

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

}  // namespace QXDecisionXML
