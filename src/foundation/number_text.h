// Numbers as text and back, always as in the C locale whatever locale the host set (a decimal
// comma never appears): the one implementation behind the XML writer, the PMML exporter and
// reader, and the category texts of numeric variables.
#ifndef RULEWEAVE_FOUNDATION_NUMBER_TEXT_H_
#define RULEWEAVE_FOUNDATION_NUMBER_TEXT_H_

#include <string>
#include <string_view>

namespace ruleweave {
namespace number_text {

// As "%.15g": 15 significant digits, the shorter of fixed and exponent notation (3.0 gives "3").
std::string FormatG15(double value);

// As "%f": fixed notation with six decimals (2.5 gives "2.500000").
std::string FormatFixed6(double value);

// The shortest text that reads back as exactly `value` (1.5e-07 gives "1.5e-07", 2.7 gives "2.7").
std::string FormatShortest(double value);

// FormatFixed6 when that text reads back as exactly `value`, FormatShortest otherwise, so
// 2.5 keeps "2.500000" while 1.5e-07 does not collapse to "0.000000".
std::string FormatExact(double value);

// As "%d".
std::string FormatInt(long long value);

// True when the whole of `text` is one finite decimal number ("2.5", "-1e-09", "+3"); false
// for an empty text, trailing or leading garbage, blanks, "nan", "inf" and values beyond the
// range of double. `*value` is set only on success.
bool ParseWholeNumber(std::string_view text, double* value);

// atof without the locale: leading white space and an optional '+' skipped, then the longest
// number prefix; 0.0 when there is none (or when it does not fit a double).
double ParseLeadingNumber(std::string_view text);

}  // namespace number_text
}  // namespace ruleweave

#endif  // RULEWEAVE_FOUNDATION_NUMBER_TEXT_H_
