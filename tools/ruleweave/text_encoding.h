// Text encodings of input files: checking that bytes are well-formed UTF-8 and converting
// Latin-1 (ISO 8859-1) to UTF-8, so that every text the program keeps is UTF-8.
#ifndef RULEWEAVE_TOOLS_TEXT_ENCODING_H_
#define RULEWEAVE_TOOLS_TEXT_ENCODING_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace ruleweave_cli {

enum class TextEncoding { kUtf8, kLatin1 };

// The result of checking a piece of a longer text as UTF-8.
struct Utf8Check {
  std::size_t valid = 0;    // length of the longest prefix made of whole, valid sequences
  bool incomplete = false;  // the rest is only the start of a sequence that the text cuts off
};

// Checks `text` as UTF-8 (RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF).
// When `valid` < size and `incomplete` is false, the byte at `valid` starts no valid sequence.
Utf8Check CheckUtf8(std::string_view text);

// Writes the Latin-1 text `in` as UTF-8 to `out`, which must have room for 2 * in.size() bytes;
// returns the number of bytes written.
std::size_t Latin1ToUtf8(std::string_view in, char* out);

// Convenience form of Latin1ToUtf8.
std::string Latin1ToUtf8(std::string_view in);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_TEXT_ENCODING_H_
