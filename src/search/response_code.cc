// The response code of a data view, coded as the view's measure codes it.
#include "search/response_code.h"

#include <cstdlib>
#include <string>

#include "ruleweave/data/attribute.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/data/data_view.h"
#include "ruleweave/variables/encoder.h"
#include "ruleweave/variables/var.h"

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
        return enc->Encode(std::atof(response.c_str()));
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
