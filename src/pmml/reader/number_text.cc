// QXScore::ParseWholeNumber: strict, locale-free number reading.
#include "pmml/reader/number_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace QXScore {

bool ParseWholeNumber(std::string_view text, double* value) {
  // from_chars takes no leading '+'; a sign on its own, "+-1" or "++1" stays refused.
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (text.empty() || text.front() == '+' || text.front() == '-') return false;
  }
  if (text.empty()) return false;
  // Refuse the spellings of infinity and NaN before from_chars can accept them.
  for (char c : text) {
    if (c == 'n' || c == 'N' || c == 'i' || c == 'I') return false;
  }
  double parsed = 0.0;
  const char* const end = text.data() + text.size();
  const std::from_chars_result result =
      std::from_chars(text.data(), end, parsed, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != end || !std::isfinite(parsed)) return false;
  *value = parsed;
  return true;
}

}  // namespace QXScore
