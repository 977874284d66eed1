// The response code of a data view, coded as the view's measure codes it.
#include "model/response_code.h"

#include <string>

#include "data/response_code.h"
#include "ruleweave/data/attribute.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/data/data_view.h"

long long ResponseCode(const IDLDataView& view) {
  const IDLAttribute* target = view.GetTargetAttribute();
  if (target == nullptr) return -1;
  const DLDataQuery* query = view.GetDataQuery();
  if (query == nullptr) return target->GetMissingCategory();
  return ruleweave::detail::EncodeResponse(*target, query->GetResponseVal());
}
