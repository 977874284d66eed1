// QXScore::RuleSetModel and SimpleRule: the rule sets of a PMML document as the reader
// delivers them (one per RuleSetModel element, in document order).
#ifndef RULEWEAVE_PMML_READER_RULE_SET_MODEL_H_
#define RULEWEAVE_PMML_READER_RULE_SET_MODEL_H_

#include <limits>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "pmml/reader/score_dict_var.h"
#include "pmml/reader/score_model.h"
#include "pmml/reader/score_split_var.h"

namespace QXScore {

// One SimpleRule: label, disabled flag and search direction from its Extension elements, its
// score, id and training figures (recordCount, nbCorrect), and its predicates (empty for the
// predicate "True"). An entry of the predicates is null where the document holds a predicate
// this reader cannot express as one test per field (False, or/xor/surrogate, an unknown
// operator, conflicting tests of one field).
class SimpleRule {
 public:
  SimpleRule() = default;
  SimpleRule(const SimpleRule&) = delete;
  SimpleRule& operator=(const SimpleRule&) = delete;

  const std::string& GetRuleLable() const { return mLabel; }
  bool IsDisabled() const { return mDisabled; }
  // 1 means down, 0 up.
  int GetSearchDirection() const { return mDirection; }
  const std::string& GetScoreValue() const { return mScore; }
  // The id as written; empty when absent.
  const std::string& GetRuleId() const { return mId; }
  // recordCount and nbCorrect as numbers; NaN when absent or not one finite number.
  double GetRecordCount() const { return mRecordCount; }
  double GetNbCorrect() const { return mNbCorrect; }
  const std::vector<ScoreSplitVar*>& GetSplitVar() const { return mSplitPointers; }
  // True when the rule's predicate is the element True.
  bool IsTruePredicate() const { return mTruePredicate; }

  void SetRuleLabel(std::string label) { mLabel = std::move(label); }
  void SetDisabled(bool disabled) { mDisabled = disabled; }
  void SetSearchDirection(int direction) { mDirection = direction; }
  void SetScoreValue(std::string score) { mScore = std::move(score); }
  void SetRuleId(std::string id) { mId = std::move(id); }
  void SetRecordCount(double count) { mRecordCount = count; }
  void SetNbCorrect(double count) { mNbCorrect = count; }
  void SetTruePredicate(bool isTrue) { mTruePredicate = isTrue; }
  // Takes `split` over (null allowed); its position must be the current number of splits.
  void AddSplit(std::unique_ptr<ScoreSplitVar> split);
  int GetNumOfSplits() const { return static_cast<int>(mSplits.size()); }

 private:
  std::string mLabel;
  bool mDisabled = false;
  int mDirection = 0;
  std::string mScore;
  std::string mId;
  double mRecordCount = std::numeric_limits<double>::quiet_NaN();
  double mNbCorrect = std::numeric_limits<double>::quiet_NaN();
  bool mTruePredicate = false;
  std::vector<std::unique_ptr<ScoreSplitVar>> mSplits;
  std::vector<ScoreSplitVar*> mSplitPointers;
};

// The rule sets of one document and the data dictionary their predicates refer to. Owns
// everything; the pointers it hands out live as long as the model.
class RuleSetModel : public ScoreModel {
 public:
  RuleSetModel() = default;

  // One vector per rule set, in document order; an entry is null where the document holds a
  // rule this reader does not take (a CompoundRule).
  const std::vector<std::vector<SimpleRule*>>& GetSimpleRules() const { return mRulePointers; }
  std::vector<std::string> GetPredictorNameFromModel(int i) const;
  std::string GetTargetNameFromModel(int i) const;

  // Building (the reader only).
  // Takes `var` over; false when the dictionary already has a field of that name.
  bool AddDictVar(std::unique_ptr<ScoreDictVar> var);
  const ScoreDictVar* FindDictVar(const std::string& name) const;
  // The data dictionary's fields in document order.
  const std::vector<const ScoreDictVar*>& GetDictVars() const { return mDictionaryOrder; }
  void AddRuleSet(std::vector<std::string> predictors, std::string target);
  // Appends to the last rule set added; `rule` may be null.
  void AddRule(std::unique_ptr<SimpleRule> rule);

 private:
  struct RuleSet {
    std::vector<std::string> predictors;
    std::string target;
    std::vector<std::unique_ptr<SimpleRule>> rules;
  };
  std::map<std::string, std::unique_ptr<ScoreDictVar>> mDictionary;
  std::vector<const ScoreDictVar*> mDictionaryOrder;
  std::vector<RuleSet> mRuleSets;
  std::vector<std::vector<SimpleRule*>> mRulePointers;
};

}  // namespace QXScore

#endif  // RULEWEAVE_PMML_READER_RULE_SET_MODEL_H_
