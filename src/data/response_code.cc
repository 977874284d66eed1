// Reading the response value and coding it through the target variable.
#include "data/response_code.h"

#include <cctype>
#include <charconv>
#include <system_error>

#include "ruleweave/data/attribute.h"
#include "ruleweave/variables/encoder.h"
#include "ruleweave/variables/var.h"

namespace ruleweave {
namespace detail {

double LenientAtof(const std::string& text) {
  const char* first = text.data();
  const char* last = first + text.size();
  while (first != last && std::isspace(static_cast<unsigned char>(*first))) ++first;
  if (first != last && *first == '+') ++first;
  double value = 0.0;
  const std::from_chars_result result = std::from_chars(first, last, value);
  return result.ec == std::errc() ? value : 0.0;
}

int EncodeResponse(const IDLAttribute& target, const std::string& responseValue) {
  IDLVar* var = target.GetVar();
  if (var != nullptr) {
    const IDLVar::MeasureLevel level = var->GetMeasureLevel();
    if (level == IDLVar::kNominalNumeric || level == IDLVar::kOrdinalNumeric) {
      if (auto* encoder = dynamic_cast<CatNumEncoder*>(var->GetEncoder())) {
        return encoder->Encode(LenientAtof(responseValue));
      }
    } else if (level == IDLVar::kNominalString || level == IDLVar::kOrdinalString) {
      if (auto* encoder = dynamic_cast<CatStrEncoder*>(var->GetEncoder())) {
        return encoder->Encode(responseValue);
      }
    }
  }
  return target.GetMissingCategory();
}

}  // namespace detail
}  // namespace ruleweave
