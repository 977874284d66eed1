// The response value of a query as a category code, with the encoder's adding Encode: the one
// place besides IDLVar::GetCategoryText/GetCategoryCode where category texts meet codes.
#ifndef RULEWEAVE_VARIABLES_CATEGORY_TEXT_H_
#define RULEWEAVE_VARIABLES_CATEGORY_TEXT_H_

#include <string>

class IDLVar;

namespace ruleweave {
namespace detail {

// `text` coded through `var`'s categorical encoder with the adding Encode (an unseen value
// becomes a new category): a numeric level reads the text as atof does (without the locale), a
// string level takes it as it stands. -1 for a missing value; `fallback` for a variable that is
// not categorical or has no encoder of its level's kind.
int AddCategoryCode(IDLVar& var, const std::string& text, int fallback);

}  // namespace detail
}  // namespace ruleweave

#endif  // RULEWEAVE_VARIABLES_CATEGORY_TEXT_H_
