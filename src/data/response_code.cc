// Reading the response value and coding it through the target variable.
#include "data/response_code.h"

#include "ruleweave/data/attribute.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/data/data_view.h"
#include "ruleweave/variables/var.h"
#include "variables/category_text.h"

namespace ruleweave {
namespace detail {

int EncodeResponse(const IDLAttribute& target, const std::string& responseValue) {
  IDLVar* var = target.GetVar();
  const int missing = target.GetMissingCategory();
  return var == nullptr ? missing : AddCategoryCode(*var, responseValue, missing);
}

long long ResponseCode(const IDLDataView& view) {
  const IDLAttribute* target = view.GetTargetAttribute();
  if (target == nullptr) return -1;
  const DLDataQuery* query = view.GetDataQuery();
  if (query == nullptr) return target->GetMissingCategory();
  return EncodeResponse(*target, query->GetResponseVal());
}

}  // namespace detail
}  // namespace ruleweave
