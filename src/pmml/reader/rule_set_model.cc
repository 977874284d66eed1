// QXScore::ScoreDictVar, RuleSetModel and SimpleRule: storage of what the reader builds.
#include "pmml/reader/rule_set_model.h"

#include "foundation/number_text.h"

namespace QXScore {

void ScoreDictVar::AddCategory(std::string value) {
  const int position = static_cast<int>(mCategories.size());
  double number = 0;
  if (mDataType != "string" && ruleweave::number_text::ParseWholeNumber(value, &number)) {
    mPositionOfNumber.emplace(number, position);  // the first category of a number wins
  }
  mPositionOfText.emplace(value, position);
  mCategories.push_back(std::move(value));
}

int ScoreDictVar::FindCategory(const std::string& text) const {
  const auto exact = mPositionOfText.find(text);
  if (exact != mPositionOfText.end()) return exact->second;
  double number = 0;
  if (mDataType == "string" || !ruleweave::number_text::ParseWholeNumber(text, &number)) return -1;
  const auto same = mPositionOfNumber.find(number);
  return same == mPositionOfNumber.end() ? -1 : same->second;
}

void SimpleRule::AddSplit(std::unique_ptr<ScoreSplitVar> split) {
  mSplitPointers.push_back(split.get());
  mSplits.push_back(std::move(split));
}

std::vector<std::string> RuleSetModel::GetPredictorNameFromModel(int i) const {
  if (i < 0 || i >= static_cast<int>(mRuleSets.size())) return {};
  return mRuleSets[static_cast<size_t>(i)].predictors;
}

std::string RuleSetModel::GetTargetNameFromModel(int i) const {
  if (i < 0 || i >= static_cast<int>(mRuleSets.size())) return {};
  return mRuleSets[static_cast<size_t>(i)].target;
}

bool RuleSetModel::AddDictVar(std::unique_ptr<ScoreDictVar> var) {
  const std::string name = var->GetName();
  const ScoreDictVar* added = var.get();
  if (!mDictionary.emplace(name, std::move(var)).second) return false;
  mDictionaryOrder.push_back(added);
  return true;
}

const ScoreDictVar* RuleSetModel::FindDictVar(const std::string& name) const {
  auto it = mDictionary.find(name);
  return it == mDictionary.end() ? nullptr : it->second.get();
}

void RuleSetModel::AddRuleSet(std::vector<std::string> predictors, std::string target) {
  mRuleSets.push_back(RuleSet{std::move(predictors), std::move(target), {}});
  mRulePointers.emplace_back();
}

void RuleSetModel::AddRule(std::unique_ptr<SimpleRule> rule) {
  mRulePointers.back().push_back(rule.get());
  mRuleSets.back().rules.push_back(std::move(rule));
}

}  // namespace QXScore
