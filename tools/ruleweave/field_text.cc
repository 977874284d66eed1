// The command-line program's shared field-text helpers: numbers read and written without the
// locale, missing-value tokens, and quoting a field for CSV output.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "csv_reader.h"

namespace ruleweave_cli {

bool SmallCanonicalInt(std::string_view text, int& value) {
  const std::size_t n = text.size();
  if (n == 0 || n > 4 || (text[0] == '0' && n > 1)) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v >= kSmallIntLimit) return false;
  value = v;
  return true;
}

namespace {

constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Plain decimals ("-12.345") with at most 15 significant digits and 22 decimals: the digits
// form an exact integer and the power of ten is exact, so one division yields the correctly
// rounded value, the same as from_chars, several times faster. False: take the slow path.
bool FastDecimal(std::string_view t, double& value) {
  const char* p = t.data();
  const char* const end = p + t.size();
  const bool negative = *p == '-';
  p += negative;
  // At most 19 digits fit the integer; the significant ones are the digits of the integer.
  std::uint64_t mantissa = 0;
  const char* const digits = p;
  while (p != end && static_cast<unsigned>(*p - '0') <= 9) {
    mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    ++p;
  }
  std::ptrdiff_t count = p - digits;
  std::ptrdiff_t decimals = 0;
  if (p != end && *p == '.') {
    const char* const fraction = ++p;
    while (p != end && static_cast<unsigned>(*p - '0') <= 9) {
      mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
      ++p;
    }
    decimals = p - fraction;
    count += decimals;
  }
  if (p != end || count == 0 || count > 19 || decimals > 22 || mantissa >= 1000000000000000ULL) {
    return false;
  }
  value = static_cast<double>(mantissa) / kPowersOfTen[decimals];
  if (negative) value = -value;
  return true;
}

}  // namespace

bool ParseNumber(std::string_view text, double& value) {
  text = TrimBlanks(text);
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  if (FastDecimal(text, value)) return true;
  const char* first = text.data();
  const char* last = first + text.size();
  // from_chars also reads "inf", "nan" and hexadecimal digits only with the hex format; the
  // general format used here accepts decimal and scientific notation.
  auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec != std::errc() || ptr != last) return false;
  return std::isfinite(value);
}

std::string FormatNumber(double value) {
  char buf[64];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
  if (ec != std::errc()) return "?";
  return std::string(buf, ptr);
}

std::string FormatShort(double value, int digits) {
  char buf[64];
  auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
  if (ec != std::errc()) return "?";
  return std::string(buf, ptr);
}

MissingTokens::MissingTokens() : mTokens{"?"} {}

bool MissingTokens::IsMissing(std::string_view field) const {
  if (field.empty()) return true;
  std::string_view t = field;
  if (t.front() == ' ' || t.front() == '\t' || t.back() == ' ' || t.back() == '\t') {
    t = TrimBlanks(t);
    if (t.empty()) return true;
  }
  for (const std::string& token : mTokens) {
    // Sizes and first bytes settle nearly every comparison without a call.
    if (t.size() == token.size() && t[0] == token[0] && t == token) return true;
  }
  return false;
}

MissingTokens MissingTokens::ForColumn(const std::string& column) const {
  MissingTokens tokens;
  tokens.mTokens = mTokens;
  for (const auto& [name, token] : mColumnTokens) {
    if (name == column) tokens.mTokens.push_back(token);
  }
  return tokens;
}

std::vector<std::string> MissingTokens::Columns() const {
  std::vector<std::string> columns;
  for (const auto& entry : mColumnTokens) columns.push_back(entry.first);
  return columns;
}

std::string QuoteField(std::string_view field, char delimiter) {
  bool needs = !field.empty() && (field.front() == ' ' || field.back() == ' ');
  needs = needs || field.substr(0, 3) == "\xEF\xBB\xBF";
  for (char c : field) {
    if (c == delimiter || c == '"' || c == '\n' || c == '\r') {
      needs = true;
      break;
    }
  }
  if (!needs) return std::string(field);
  std::string out = "\"";
  for (char c : field) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

}  // namespace ruleweave_cli
