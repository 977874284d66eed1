// Locale-free number formatting with std::to_chars; the buffers hold the longest "%f" of a double
// (309 integer digits, the sign, the point and six decimals).
#include "pmml/xml_number.h"

#include <charconv>
#include <system_error>

namespace QXDecisionXML {

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

}  // namespace QXDecisionXML
