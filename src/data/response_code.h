// How a query's response value becomes a target code: the one implementation behind the data
// view's measure and the one-pass splits of the rule search.
#ifndef RULEWEAVE_DATA_RESPONSE_CODE_H_
#define RULEWEAVE_DATA_RESPONSE_CODE_H_

#include <string>

class IDLAttribute;

namespace ruleweave {
namespace detail {

// atof without the locale: leading white space and an optional '+' skipped, then the longest
// number prefix; 0.0 when there is none (or when it does not fit a double).
double LenientAtof(const std::string& text);

// `responseValue` coded through the target's variable: a numeric level reads the text with
// LenientAtof and uses the numeric encoder, a string level the string encoder, both with the
// adding Encode (an unseen value becomes a new category, which no stored case carries). Any other
// level, a target without a variable or without a usable encoder gives the target's missing code.
int EncodeResponse(const IDLAttribute& target, const std::string& responseValue);

}  // namespace detail
}  // namespace ruleweave

#endif  // RULEWEAVE_DATA_RESPONSE_CODE_H_
