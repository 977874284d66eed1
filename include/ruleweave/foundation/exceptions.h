// The library's exception family, rooted in QXDecision::IDLException. Constructors whose
// preconditions fail throw ConstructorException naming the class and the violated condition.
#ifndef RULEWEAVE_FOUNDATION_EXCEPTIONS_H_
#define RULEWEAVE_FOUNDATION_EXCEPTIONS_H_

#include <string>

namespace QXDecision {

// Holds one complete message text, built once by the constructor.
class IDLException {
 public:
  virtual ~IDLException();
  IDLException(const IDLException&) = default;
  IDLException& operator=(const IDLException&) = default;

  const std::string GetMessage() const { return mMessage; }

 protected:
  // The message is `message`, then "\n" + details, "\nfile: " + file and " line:" + line, each
  // only when given (details and file non-empty, line >= 1).
  explicit IDLException(const std::string& message = "EXCEPTION", const std::string& details = "",
                        const std::string& file = "", int line = 0);
  // Takes a finished message text as it stands (for ConstructorException).
  struct RawMessage {};
  IDLException(RawMessage, std::string message);

 private:
  std::string mMessage;
};

class OpenFileException : public IDLException {
 public:
  explicit OpenFileException(const std::string& details = "", const std::string& file = "",
                             int line = 0);
};

class IOException : public IDLException {
 public:
  explicit IOException(const std::string& details = "", const std::string& file = "", int line = 0);
};

class AssertionException : public IDLException {
 public:
  explicit AssertionException(const std::string& details = "", const std::string& file = "",
                              int line = 0);
};

// "CANNOT CREATE OBJECT[ of <className>][:\nPre-condition is not satisfied: ( <condition> )]".
class ConstructorException : public IDLException {
 public:
  explicit ConstructorException(const std::string& className = "",
                                const std::string& condition = "");
};

}  // namespace QXDecision

#endif  // RULEWEAVE_FOUNDATION_EXCEPTIONS_H_
