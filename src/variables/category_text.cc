// Category codes as text and back: IDLVar::GetCategoryText, IDLVar::GetCategoryCode and the
// adding conversion the response value uses.
#include "variables/category_text.h"

#include <cmath>

#include "foundation/number_text.h"
#include "ruleweave/foundation/missing_value.h"
#include "ruleweave/variables/encoder.h"
#include "ruleweave/variables/var.h"

using ruleweave::detail::CatNumEncoder;
using ruleweave::detail::CatStrEncoder;

bool IDLVar::GetCategoryText(int code, std::string& text) const {
  const MeasureLevel level = GetMeasureLevel();
  const IDLEncoder* encoder = GetEncoder();
  if (encoder == nullptr || code < 0 || code >= encoder->GetNumOfCategories()) return false;
  if (IsNumeric(level) && IsCategorical(level)) {
    const auto* numeric = dynamic_cast<const CatNumEncoder*>(encoder);
    if (numeric == nullptr) return false;
    const double value = numeric->Decode(code);
    if (QXMV::IsMissing(value) || !std::isfinite(value)) return false;
    if (GetVarDataType() == kDouble) {
      text = ruleweave::number_text::FormatShortest(value);
      return true;
    }
    // "%d" of the value truncated toward zero, defined only inside the range of int.
    if (!(value > -2147483649.0 && value < 2147483648.0)) return false;
    text = ruleweave::number_text::FormatInt(static_cast<int>(value));
    return true;
  }
  if (IsString(level)) {
    const auto* strings = dynamic_cast<const CatStrEncoder*>(encoder);
    if (strings == nullptr) return false;
    text = strings->Decode(code);
    return true;
  }
  return false;
}

int IDLVar::GetCategoryCode(const std::string& text) const {
  const MeasureLevel level = GetMeasureLevel();
  if (IsNumeric(level) && IsCategorical(level)) {
    const auto* encoder = dynamic_cast<const CatNumEncoder*>(GetEncoder());
    double number = 0;
    if (encoder == nullptr || !ruleweave::number_text::ParseWholeNumber(text, &number)) return -1;
    return encoder->EncodeConst(number);
  }
  if (IsString(level)) {
    const auto* encoder = dynamic_cast<const CatStrEncoder*>(GetEncoder());
    return encoder == nullptr ? -1 : encoder->EncodeConst(text);
  }
  return -1;
}

namespace ruleweave {
namespace detail {

int AddCategoryCode(IDLVar& var, const std::string& text, int fallback) {
  const IDLVar::MeasureLevel level = var.GetMeasureLevel();
  if (IDLVar::IsNumeric(level) && IDLVar::IsCategorical(level)) {
    if (auto* encoder = dynamic_cast<CatNumEncoder*>(var.GetEncoder())) {
      return encoder->Encode(number_text::ParseLeadingNumber(text));
    }
  } else if (IDLVar::IsString(level)) {
    if (auto* encoder = dynamic_cast<CatStrEncoder*>(var.GetEncoder()))
      return encoder->Encode(text);
  }
  return fallback;
}

}  // namespace detail
}  // namespace ruleweave
