// QXScore::ScorerException: what the PMML reader throws when a document cannot be read.
#ifndef RULEWEAVE_PMML_READER_SCORER_EXCEPTION_H_
#define RULEWEAVE_PMML_READER_SCORER_EXCEPTION_H_

#include <string>
#include <utility>

namespace QXScore {

// Carries one readable sentence, with the line and column where the parser knows them.
class ScorerException {
 public:
  explicit ScorerException(std::string message) : mMessage(std::move(message)) {}
  const std::string& GetErrorMessage() const { return mMessage; }

 private:
  std::string mMessage;
};

}  // namespace QXScore

#endif  // RULEWEAVE_PMML_READER_SCORER_EXCEPTION_H_
