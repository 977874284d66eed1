// Locale-free number texts with std::to_chars and std::from_chars; the buffers hold the longest
// "%f" of a double (309 integer digits, the sign, the point and six decimals).
#include "foundation/number_text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <system_error>

namespace ruleweave {
namespace number_text {

namespace {

constexpr int kBufferSize = 400;

template <typename... Format>
std::string ToChars(double value, Format... format) {
  char buffer[kBufferSize];
  const std::to_chars_result r = std::to_chars(buffer, buffer + kBufferSize, value, format...);
  if (r.ec != std::errc()) return std::string();
  return std::string(buffer, r.ptr);
}

bool ReadsBackAs(const std::string& text, double value) {
  double back = 0.0;
  const std::from_chars_result r = std::from_chars(text.data(), text.data() + text.size(), back);
  return r.ec == std::errc() && r.ptr == text.data() + text.size() && back == value;
}

}  // namespace

std::string FormatG15(double value) { return ToChars(value, std::chars_format::general, 15); }

std::string FormatFixed6(double value) { return ToChars(value, std::chars_format::fixed, 6); }

std::string FormatShortest(double value) { return ToChars(value); }

std::string FormatExact(double value) {
  std::string fixed = FormatFixed6(value);
  if (ReadsBackAs(fixed, value)) return fixed;
  return FormatShortest(value);
}

std::string FormatInt(long long value) {
  char buffer[24];
  const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, r.ptr);
}

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

double ParseLeadingNumber(std::string_view text) {
  const char* first = text.data();
  const char* last = first + text.size();
  while (first != last && std::isspace(static_cast<unsigned char>(*first))) ++first;
  if (first != last && *first == '+') ++first;
  double value = 0.0;
  const std::from_chars_result result = std::from_chars(first, last, value);
  return result.ec == std::errc() ? value : 0.0;
}

}  // namespace number_text
}  // namespace ruleweave
