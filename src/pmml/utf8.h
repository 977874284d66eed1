// Conversion of the library's narrow strings to UTF-8 for the XML writer. The platform has no
// ANSI code page to consult, so a string that already is valid UTF-8 is taken as UTF-8 and any
// other byte sequence as Latin-1 (ISO 8859-1), whose bytes are the code points U+0000 to U+00FF.
// The result is always valid UTF-8.
#ifndef RULEWEAVE_PMML_UTF8_H_
#define RULEWEAVE_PMML_UTF8_H_

#include <string>
#include <string_view>

namespace QXDecisionXML {

// Appends the UTF-8 form of `codePoint`: one byte below U+0080, two below U+0800, three below
// U+10000 and four up to U+10FFFF. Surrogates and values above U+10FFFF are not code points and
// are written as U+FFFD.
void AppendUTF8(std::string& out, char32_t codePoint);

// True when `text` is well-formed UTF-8: no stray continuation bytes, no truncated or overlong
// sequences, no surrogates, nothing above U+10FFFF.
bool IsValidUTF8(std::string_view text);

// `text` unchanged when it is valid UTF-8, otherwise every byte taken as a Latin-1 character
// (so the byte 0xE9 becomes 0xC3 0xA9).
std::string NarrowToUTF8(std::string_view text);

}  // namespace QXDecisionXML

#endif  // RULEWEAVE_PMML_UTF8_H_
