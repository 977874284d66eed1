// QXScore::ScoreDictVar: one DataField of a document's data dictionary.
#ifndef RULEWEAVE_PMML_READER_SCORE_DICT_VAR_H_
#define RULEWEAVE_PMML_READER_SCORE_DICT_VAR_H_

#include <map>
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
  void AddCategory(std::string value);
  // Position of category `text`: the first category with exactly that text, else, for a field
  // whose data type is not "string", the first whose number equals the number `text` holds.
  // -1 when there is none. Logarithmic in the number of categories.
  int FindCategory(const std::string& text) const;

 private:
  std::string mName;
  ScoreMeasureLevel mLevel;
  std::string mDataType;
  std::vector<std::string> mCategories;
  std::map<std::string, int> mPositionOfText;
  std::map<double, int> mPositionOfNumber;
};

}  // namespace QXScore

#endif  // RULEWEAVE_PMML_READER_SCORE_DICT_VAR_H_
