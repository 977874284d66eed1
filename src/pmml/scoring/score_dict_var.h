// QXScore::ScoreDictVar: one DataField of a document's data dictionary.
#ifndef RULEWEAVE_PMML_SCORING_SCORE_DICT_VAR_H_
#define RULEWEAVE_PMML_SCORING_SCORE_DICT_VAR_H_

#include <string>
#include <utility>
#include <vector>

namespace QXScore {

// Measure levels as the reader reports them for a field and for each predicate.
enum ScoreMeasureLevel { kScale = 0, kOrdinal = 1, kNominal = 2, kNoLevel = 3 };

// Name, measure level (from optype), data type and the field's ordered category list: the
// values of its Value elements of property "valid", in document order.
class ScoreDictVar {
 public:
  ScoreDictVar(std::string name, ScoreMeasureLevel level, std::string dataType)
      : mName(std::move(name)), mLevel(level), mDataType(std::move(dataType)) {}

  const std::string& GetName() const { return mName; }
  ScoreMeasureLevel GetMeasureLevel() const { return mLevel; }
  const std::string& GetDataType() const { return mDataType; }
  const std::vector<std::string>& GetCategories() const { return mCategories; }
  bool HasCategories() const { return !mCategories.empty(); }
  void AddCategory(std::string value) { mCategories.push_back(std::move(value)); }

 private:
  std::string mName;
  ScoreMeasureLevel mLevel;
  std::string mDataType;
  std::vector<std::string> mCategories;
};

}  // namespace QXScore

#endif  // RULEWEAVE_PMML_SCORING_SCORE_DICT_VAR_H_
