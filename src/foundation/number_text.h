// Numbers as text for the XML writer and the PMML exporter, always as in the C locale whatever
// locale the host set (a decimal comma never appears).
#ifndef RULEWEAVE_PMML_XML_NUMBER_H_
#define RULEWEAVE_PMML_XML_NUMBER_H_

#include <string>

namespace QXDecisionXML {

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

}  // namespace QXDecisionXML

#endif  // RULEWEAVE_PMML_XML_NUMBER_H_
