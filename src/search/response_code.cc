// The response code of a data view, coded as the view's measure codes it.
#include "search/response_code.h"

#include <cctype>
#include <charconv>
#include <string>

#include "ruleweave/data/attribute.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/data/data_view.h"
#include "ruleweave/variables/encoder.h"
#include "ruleweave/variables/var.h"

namespace {

// atof without the locale, as the view reads the response value: leading white space and an
// optional '+' skipped, then the longest number prefix; 0.0 when there is none.
double LenientAtof(const std::string& text) {
  const char* first = text.data();
  const char* last = first + text.size();
  while (first != last && std::isspace(static_cast<unsigned char>(*first))) ++first;
  if (first != last && *first == '+') ++first;
  double value = 0.0;
  const std::from_chars_result result = std::from_chars(first, last, value);
  return result.ec == std::errc() ? value : 0.0;
}

}  // namespace

long long ResponseCode(const IDLDataView& view) {
  const IDLAttribute* target = view.GetTargetAttribute();
  if (target == nullptr) return -1;
  const long long missingCode = target->GetMissingCategory();
  IDLVar* var = target->GetVar();
  const DLDataQuery* query = view.GetDataQuery();
  if (var == nullptr || query == nullptr) return missingCode;
  const std::string response = query->GetResponseVal();
  switch (var->GetMeasureLevel()) {
    case IDLVar::kNominalNumeric:
    case IDLVar::kOrdinalNumeric:
      if (auto* enc = dynamic_cast<ruleweave::detail::CatNumEncoder*>(var->GetEncoder())) {
        return enc->Encode(LenientAtof(response));
      }
      return missingCode;
    case IDLVar::kNominalString:
    case IDLVar::kOrdinalString:
      if (auto* enc = dynamic_cast<ruleweave::detail::CatStrEncoder*>(var->GetEncoder())) {
        return enc->Encode(response);
      }
      return missingCode;
    default:
      return missingCode;
  }
}
