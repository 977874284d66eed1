// The exception family: message assembly.
#include "ruleweave/foundation/exceptions.h"

#include <string>

namespace QXDecision {
namespace {

std::string ComposeMessage(const std::string& head, const std::string& details,
                           const std::string& file, int line) {
  std::string message = head;
  if (!details.empty()) message += "\n" + details;
  if (!file.empty()) message += "\nfile: " + file;
  if (line >= 1) message += " line:" + std::to_string(line);
  return message;
}

std::string ComposeConstructorMessage(const std::string& className, const std::string& condition) {
  std::string message = "CANNOT CREATE OBJECT";
  if (!className.empty()) message += " of " + className;
  if (!condition.empty()) {
    message += ":\nPre-condition is not satisfied: ( " + condition + " )";
  }
  return message;
}

}  // namespace

IDLException::~IDLException() = default;

IDLException::IDLException(const std::string& message, const std::string& details,
                           const std::string& file, int line)
    : mMessage(ComposeMessage(message, details, file, line)) {}

IDLException::IDLException(RawMessage, std::string message) : mMessage(std::move(message)) {}

OpenFileException::OpenFileException(const std::string& details, const std::string& file, int line)
    : IDLException("CANNOT OPEN FILE", details, file, line) {}

IOException::IOException(const std::string& details, const std::string& file, int line)
    : IDLException("IO FAILURE", details, file, line) {}

AssertionException::AssertionException(const std::string& details, const std::string& file,
                                       int line)
    : IDLException("ASSERTION FAILURE", details, file, line) {}

ConstructorException::ConstructorException(const std::string& className,
                                           const std::string& condition)
    : IDLException(RawMessage{}, ComposeConstructorMessage(className, condition)) {}

}  // namespace QXDecision
