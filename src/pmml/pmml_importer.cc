// DLPMMLImporter: turns the rule sets the PMML reader delivers into lists, rules and segments,
// encoding category texts through the host's variable list.
//
// What comes back from a document the exporter wrote: one list per RuleSetModel with its
// query's predictor names, target name and response value (the score of the list's last
// rule); per rule its label, disabled flag, search direction and segments. Each list's trailing
// remainder rule (predicate True) is dropped, so the lists re-measure and export as before.
// Measures are not taken over: rule ids, recordCount and nbCorrect only reach GetModelRuleRecords.
#include "pmml/pmml_importer.h"
#include "foundation/status_codes.h"

#include <memory>
#include <new>
#include <ostream>

#include "foundation/number_text.h"
#include "pmml/reader/model_factory.h"
#include "pmml/reader/rule_set_model.h"
#include "pmml/reader/scorer_exception.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/foundation/constants.h"
#include "ruleweave/model/list.h"
#include "ruleweave/model/model.h"
#include "ruleweave/model/rule.h"
#include "ruleweave/model/segment.h"
#include "ruleweave/variables/encoder.h"
#include "ruleweave/variables/var.h"
#include "ruleweave/variables/var_list.h"

using QXDecision::QXStatus;

namespace {

using ruleweave::status::Error;
using ruleweave::status::kEmptyRuleSet;
using ruleweave::status::kNoRuleSet;
using ruleweave::status::kNoValueRange;
using ruleweave::status::kNoValues;
using ruleweave::status::kNullRule;
using ruleweave::status::kRangeRefused;
using ruleweave::status::kUnknownCategory;
using ruleweave::status::kUnreadableDocument;
using ruleweave::status::kUnusablePredicate;

}  // namespace

DLPMMLImporter::DLPMMLImporter(DLVarList* vars, bool largeCategory)
    : mVars(vars), mLargeCategory(largeCategory) {}

QXStatus DLPMMLImporter::Import(const char* document, DLModel** model) {
  if (document == nullptr) {
    if (model != nullptr) *model = nullptr;
    if (mStatus.IsError()) return mStatus;
    mErrorMessage = "no document";
    mStatus = Error(kUnreadableDocument);
    return mStatus;
  }
  return Import(std::string(document), model);
}

QXStatus DLPMMLImporter::Import(const std::string& document, DLModel** model) {
  if (model == nullptr) return Error(kUnreadableDocument);
  *model = nullptr;
  if (mStatus.IsError()) return mStatus;
  mErrorMessage.clear();

  // The reader's failures end here, as 110030: nothing of the document was taken.
  std::unique_ptr<QXScore::ScoreModel> source;
  try {
    source.reset(QXScore::ModelFactory::MakeModelFromXML(document, "", ""));
  } catch (const QXScore::ScorerException& e) {
    mErrorMessage = e.GetErrorMessage();
    mStatus = Error(kUnreadableDocument);
    return mStatus;
  } catch (const std::bad_alloc&) {
    mErrorMessage = "out of memory while reading the document";
    mStatus = Error(kUnreadableDocument);
    return mStatus;
  }

  const auto* ruleSets = dynamic_cast<const QXScore::RuleSetModel*>(source.get());
  auto result = std::make_unique<DLModel>();
  mStatus = ruleSets != nullptr ? ConvertModel(*ruleSets, *result) : Error(kNoRuleSet);
  if (!mStatus.IsError()) *model = result.release();
  return mStatus;
}

void DLPMMLImporter::Display(std::ostream& os) const {
  os << "\nDLPMMLImporter display start\n";
  os << "\nDLPMMLImporter display end\n";
}

QXStatus DLPMMLImporter::ConvertModel(const QXScore::RuleSetModel& source, DLModel& target) {
  const std::vector<std::vector<QXScore::SimpleRule*>>& sets = source.GetSimpleRules();
  if (sets.empty()) return Error(kNoRuleSet);
  // One query serves every list: each list keeps its own copy.
  DLDataQuery query;
  QXStatus status;
  for (std::size_t i = 0; i < sets.size() && !status.IsError(); ++i) {
    auto owned = std::make_unique<DLList>();
    DLList* list = owned.get();
    target.AddList(owned.release());
    query.SetPredictorNames(source.GetPredictorNameFromModel(static_cast<int>(i)));
    query.SetTargetName(source.GetTargetNameFromModel(static_cast<int>(i)));
    status = ConvertRuleSet(sets[i], query, *list);
  }
  return status;
}

QXStatus DLPMMLImporter::ConvertRuleSet(const std::vector<QXScore::SimpleRule*>& rules,
                                        DLDataQuery& query, DLList& list) {
  if (rules.empty()) return Error(kEmptyRuleSet);
  std::string score;
  QXStatus status;
  for (const QXScore::SimpleRule* source : rules) {
    if (source == nullptr) return Error(kNullRule);
    auto owned = std::make_unique<DLRule>();
    DLRule* rule = owned.get();
    list.AddRule(owned.release());
    rule->SetLabel(source->GetRuleLable());
    rule->SetDisableFlag(source->IsDisabled());
    rule->SetSearchDirection(source->GetSearchDirection() == 1 ? DLConst::Down : DLConst::Up);
    score = source->GetScoreValue();
    status = ConvertPredicates(*source, *rule);
    if (status.IsError()) return status;
  }
  // The last rule's score is the list's response value (the exporter writes the response value
  // as every rule's score, the remainder rule's included).
  query.SetResponseVal(score);
  list.SetDataQuery(query);
  // The remainder rule closes every list of an exported model, not only the last: leaving it in
  // an earlier list would let it take all of that list's remaining cases.
  const int last = list.GetNumOfRules() - 1;
  if (rules.back()->IsTruePredicate() && list.GetRule(last)->IsEmpty()) list.RemoveRule(last);
  return status;
}

QXStatus DLPMMLImporter::ConvertPredicates(const QXScore::SimpleRule& source, DLRule& rule) {
  const std::vector<QXScore::ScoreSplitVar*>& splits = source.GetSplitVar();
  QXStatus status;
  for (std::size_t k = 0; k < splits.size() && !status.IsError(); ++k) {
    status = ConvertPredicate(splits[k], static_cast<int>(k), rule);
  }
  return status;
}

QXStatus DLPMMLImporter::ConvertPredicate(const QXScore::ScoreSplitVar* split, int position,
                                          DLRule& rule) {
  if (split == nullptr || split->GetSplitName().empty() ||
      split->GetSplitMLevel() == QXScore::kNoLevel) {
    return Error(kUnusablePredicate);
  }
  const std::string& field = split->GetSplitName();
  auto segment = std::make_unique<DLSegment>(field, mLargeCategory);
  QXStatus status;
  const auto* discrete = dynamic_cast<const QXScore::DiscreteSplit*>(split);

  if (split->GetMissvalMap() == QXScore::kNotMissingTest) {
    segment->SetAsNotMissingSegment();
  } else if (split->GetMissvalMap() != QXScore::kOrdinaryTest) {
    segment->SetAsMissingSegment();
  } else if (split->GetSplitMLevel() == QXScore::kScale) {
    const auto* scale = dynamic_cast<const QXScore::ScaleSplit*>(split);
    const QXScore::ScoreValueRange* range =
        scale != nullptr ? scale->GetSplitValueRangeForIndex(position) : nullptr;
    if (range == nullptr) {
      status = Error(kNoValueRange);
    } else if (!segment->SetRange(range->GetLowValue(), range->GetHighValue(),
                                  /*lowOpen=*/!range->IsLowClosed(),
                                  /*highOpen=*/!range->IsHighClosed())) {
      status = Error(kRangeRefused);
    }
  } else if (split->GetSplitMLevel() == QXScore::kOrdinal) {
    const QXScore::ScoreDictVar* var = split->GetSplitVar();
    if (discrete == nullptr || var == nullptr || !var->HasCategories()) {
      status = Error(kNoValues);
    } else {
      const std::vector<std::string>& categories = var->GetCategories();
      int start = -1, end = -1;
      bool startClosed = true, endClosed = true;
      discrete->GetStartAndEndIndex(start, end);
      discrete->GetStartAndEndClosed(startClosed, endClosed);
      const int count = static_cast<int>(categories.size());
      bool startOk = start >= 0 && start < count;
      bool endOk = end >= 0 && end < count;
      const double low = startOk ? EncodeCategory(field, categories[start], startOk) : 0.0;
      const double high = endOk ? EncodeCategory(field, categories[end], endOk) : 0.0;
      if (!startOk || !endOk) {
        status = Error(kUnknownCategory);
      } else if (!segment->SetRange(low, high, /*lowOpen=*/!startClosed,
                                    /*highOpen=*/!endClosed)) {
        status = Error(kRangeRefused);
      }
    }
  } else if (split->GetSplitMLevel() == QXScore::kNominal) {
    const std::vector<QXScore::ScoreValue*> none;
    const std::vector<QXScore::ScoreValue*>& values =
        discrete != nullptr ? discrete->GetSplitValuesForIndex(position) : none;
    if (values.empty()) {
      status = Error(kNoValues);
    } else {
      std::vector<double> codes;
      codes.reserve(values.size());
      for (const QXScore::ScoreValue* value : values) {
        bool ok = false;
        const double code = EncodeCategory(field, value->GetText(), ok);
        if (!ok) {
          status = Error(kUnknownCategory);
          break;
        }
        codes.push_back(code);
      }
      if (!status.IsError()) segment->SetValueSet(codes, /*isIn=*/discrete->IsInSet());
    }
  } else {
    status = Error(kUnusablePredicate);
  }

  // The segment joins the rule also when its values failed (then it is still invalid and the
  // rule refuses it). A valid segment refused here tests a field the rule already tests.
  if (rule.AddSegment(segment.get())) {
    segment.release();
  } else if (!status.IsError()) {
    status = Error(kRangeRefused);
  }
  return status;
}

double DLPMMLImporter::EncodeCategory(const std::string& field, const std::string& text,
                                      bool& ok) const {
  ok = false;
  const IDLVar* var = mVars != nullptr ? mVars->GetVarAt(field) : nullptr;
  if (var == nullptr) return -1;
  double number = 0;
  switch (var->GetMeasureLevel()) {
    case IDLVar::kContinuous:
      // A continuous field's values are the numbers themselves; no encoder takes part.
      ok = ruleweave::number_text::ParseWholeNumber(text, &number);
      return ok ? number : -1;
    case IDLVar::kNominalNumeric:
    case IDLVar::kOrdinalNumeric:
    case IDLVar::kNominalString:
    case IDLVar::kOrdinalString: {
      const int code = var->GetCategoryCode(text);
      ok = code != -1;
      return code;
    }
    default:
      return -1;
  }
}
