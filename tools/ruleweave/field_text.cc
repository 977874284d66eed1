// The command-line program's shared field-text helpers: numbers read and written without the
// locale, missing-value tokens, and quoting a field for CSV output.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "csv_reader.h"

namespace ruleweave_cli {

bool ParseNumberSlow(std::string_view text, double& value) {
  text = TrimBlanks(text);
  if (!text.empty() && text[0] == '+') text.remove_prefix(1);
  if (text.empty()) return false;
  if (internal::FastDecimal(text, value)) return true;
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

MissingTokens::MissingTokens() {
  // A field that starts with a blank is trimmed before it is compared.
  mMayStart.set(' ');
  mMayStart.set('\t');
  Add("?");
}

void MissingTokens::Add(const std::string& token) {
  mTokens.push_back(token);
  if (!token.empty()) mMayStart.set(static_cast<unsigned char>(token.front()));
}

bool MissingTokens::IsMissingSlow(std::string_view field) const {
  std::string_view t = field;
  if (t.front() == ' ' || t.front() == '\t' || t.back() == ' ' || t.back() == '\t') {
    t = TrimBlanks(t);
    if (t.empty()) return true;
  }
  for (const std::string& token : mTokens) {
    if (t == token) return true;
  }
  return false;
}

MissingTokens MissingTokens::ForColumn(const std::string& column) const {
  MissingTokens tokens = *this;
  tokens.mColumnTokens.clear();
  for (const auto& [name, token] : mColumnTokens) {
    if (name == column) tokens.Add(token);
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
