// How a query's response value becomes a target code: the one implementation behind the data
// view's measure and the one-pass splits of the rule search.
#ifndef RULEWEAVE_DATA_RESPONSE_CODE_H_
#define RULEWEAVE_DATA_RESPONSE_CODE_H_

#include <string>

class IDLAttribute;
class IDLDataView;

namespace ruleweave {
namespace detail {

// `responseValue` coded through the target's variable with the adding conversion of
// "variables/category_text.h" (an unseen value becomes a new category, which no stored case
// carries). A target without a variable, or whose variable is not categorical or has no usable
// encoder, gives the target's missing code.
int EncodeResponse(const IDLAttribute& target, const std::string& responseValue);

// The view's response code as its ComputeMeasure codes it: EncodeResponse of the query's response
// value through the view's target; the target's missing code without a query; -1 without a
// target.
long long ResponseCode(const IDLDataView& view);

}  // namespace detail
}  // namespace ruleweave

#endif  // RULEWEAVE_DATA_RESPONSE_CODE_H_
