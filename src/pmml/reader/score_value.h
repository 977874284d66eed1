// QXScore::ScoreValue and ScoreValueRange: the values a predicate of a rule compares with.
#ifndef RULEWEAVE_PMML_READER_SCORE_VALUE_H_
#define RULEWEAVE_PMML_READER_SCORE_VALUE_H_

#include <string>
#include <utility>

namespace QXScore {

// One value of a predicate in its text form, exactly as the document holds it (quoted Array
// members already unescaped).
class ScoreValue {
 public:
  explicit ScoreValue(std::string text) : mText(std::move(text)) {}
  const std::string& GetText() const { return mText; }

 private:
  std::string mText;
};

// The interval of a predicate on a scale field. An end the document leaves open-ended is the
// largest finite double with its sign and is not closed.
class ScoreValueRange {
 public:
  ScoreValueRange(double low, double high, bool lowClosed, bool highClosed)
      : mLow(low), mHigh(high), mLowClosed(lowClosed), mHighClosed(highClosed) {}
  double GetLowValue() const { return mLow; }
  double GetHighValue() const { return mHigh; }
  bool IsLowClosed() const { return mLowClosed; }
  bool IsHighClosed() const { return mHighClosed; }

 private:
  double mLow;
  double mHigh;
  bool mLowClosed;
  bool mHighClosed;
};

}  // namespace QXScore

#endif  // RULEWEAVE_PMML_READER_SCORE_VALUE_H_
