// QXScore::ScoreModel: the model object the PMML reader returns for a document.
#ifndef RULEWEAVE_PMML_READER_SCORE_MODEL_H_
#define RULEWEAVE_PMML_READER_SCORE_MODEL_H_

namespace QXScore {

// Base of every model kind the reader returns; deleted through the virtual destructor.
class ScoreModel {
 public:
  ScoreModel() = default;
  virtual ~ScoreModel() = default;
  ScoreModel(const ScoreModel&) = delete;
  ScoreModel& operator=(const ScoreModel&) = delete;
};

}  // namespace QXScore

#endif  // RULEWEAVE_PMML_READER_SCORE_MODEL_H_
