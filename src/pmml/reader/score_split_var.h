// QXScore::ScoreSplitVar and its two kinds, ScaleSplit and DiscreteSplit: the predicates of
// one field inside one rule, merged into one test.
#ifndef RULEWEAVE_PMML_READER_SCORE_SPLIT_VAR_H_
#define RULEWEAVE_PMML_READER_SCORE_SPLIT_VAR_H_

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "pmml/reader/score_dict_var.h"
#include "pmml/reader/score_value.h"

namespace QXScore {

// Missing-test kinds reported by GetMissvalMap.
enum MissvalMap { kMissingTest = 0, kOrdinaryTest = -1, kNotMissingTest = -2 };

// One test of one field. A split knows its position within its rule; the per-index accessors
// of the derived kinds answer only for that position (null or empty otherwise). The dictionary
// entry is borrowed from the model that owns the split; it is null for a field the data
// dictionary does not declare, whose measure level is then kNoLevel.
class ScoreSplitVar {
 public:
  ScoreSplitVar(std::string field, ScoreMeasureLevel level, int missval, int position,
                const ScoreDictVar* dictVar)
      : mField(std::move(field)),
        mLevel(level),
        mMissval(missval),
        mPosition(position),
        mDictVar(dictVar) {}
  virtual ~ScoreSplitVar() = default;
  ScoreSplitVar(const ScoreSplitVar&) = delete;
  ScoreSplitVar& operator=(const ScoreSplitVar&) = delete;

  const std::string& GetSplitName() const { return mField; }
  int GetSplitMLevel() const { return mLevel; }
  int GetMissvalMap() const { return mMissval; }
  const ScoreDictVar* GetSplitVar() const { return mDictVar; }

 protected:
  bool IsOwnIndex(int index) const { return index == mPosition; }

 private:
  std::string mField;
  ScoreMeasureLevel mLevel;
  int mMissval;
  int mPosition;
  const ScoreDictVar* mDictVar;
};

// A comparison on a scale field: an interval, or none when a bound has no usable number.
class ScaleSplit : public ScoreSplitVar {
 public:
  ScaleSplit(std::string field, int position, const ScoreDictVar* dictVar,
             std::unique_ptr<ScoreValueRange> range)
      : ScoreSplitVar(std::move(field), kScale, kOrdinaryTest, position, dictVar),
        mRange(std::move(range)) {}

  const ScoreValueRange* GetSplitValueRangeForIndex(int index) const {
    return IsOwnIndex(index) ? mRange.get() : nullptr;
  }

 private:
  std::unique_ptr<ScoreValueRange> mRange;
};

// A test on category texts. As a nominal split (equal, notEqual, isIn, isNotIn) it holds the
// values and whether they form an "in" or a "not in" set. As an ordinal split (comparisons on
// an ordinal field) it holds the two ends as positions in the field's category list (-1 for a
// text the list does not hold) and whether each end is closed; a missing end is the first or
// last position, closed.
class DiscreteSplit : public ScoreSplitVar {
 public:
  DiscreteSplit(std::string field, ScoreMeasureLevel level, int position,
                const ScoreDictVar* dictVar, std::vector<ScoreValue> values, bool isIn)
      : ScoreSplitVar(std::move(field), level, kOrdinaryTest, position, dictVar),
        mValues(std::move(values)),
        mIsIn(isIn) {
    mValuePointers.reserve(mValues.size());
    for (ScoreValue& value : mValues) mValuePointers.push_back(&value);
  }

  // The values, in document order (empty for another index).
  const std::vector<ScoreValue*>& GetSplitValuesForIndex(int index) const {
    static const std::vector<ScoreValue*> kNone;
    return IsOwnIndex(index) ? mValuePointers : kNone;
  }
  bool IsInSet() const { return mIsIn; }

  void SetStartAndEnd(int start, int end, bool startClosed, bool endClosed) {
    mStart = start;
    mEnd = end;
    mStartClosed = startClosed;
    mEndClosed = endClosed;
  }
  void GetStartAndEndIndex(int& start, int& end) const {
    start = mStart;
    end = mEnd;
  }
  void GetStartAndEndClosed(bool& startClosed, bool& endClosed) const {
    startClosed = mStartClosed;
    endClosed = mEndClosed;
  }

 private:
  std::vector<ScoreValue> mValues;
  std::vector<ScoreValue*> mValuePointers;
  bool mIsIn;
  int mStart = -1;
  int mEnd = -1;
  bool mStartClosed = true;
  bool mEndClosed = true;
};

}  // namespace QXScore

#endif  // RULEWEAVE_PMML_READER_SCORE_SPLIT_VAR_H_
