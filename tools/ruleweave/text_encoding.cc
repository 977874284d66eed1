// UTF-8 checking and Latin-1 conversion.
#include "text_encoding.h"

#include <cstdint>
#include <cstring>

namespace ruleweave_cli {

namespace {

// Whether the eight bytes at `p` are all ASCII: most data files are, and this skips them fast.
bool AllAscii8(const unsigned char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof word);
  return (word & 0x8080808080808080ULL) == 0;
}

bool Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

Utf8Check CheckUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t n = text.size();
  std::size_t i = 0;
  while (i < n) {
    if (i + 8 <= n && AllAscii8(p + i)) {
      i += 8;
      continue;
    }
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    // Length of the sequence and the allowed range of its second byte (which excludes overlong
    // forms, surrogates and code points above U+10FFFF).
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
      length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3;
      if (c == 0xE0) low = 0xA0;
      if (c == 0xED) high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4;
      if (c == 0xF0) low = 0x90;
      if (c == 0xF4) high = 0x8F;
    } else {
      return {i, false};
    }
    for (std::size_t k = 1; k < length; ++k) {
      if (i + k == n) return {i, true};
      const unsigned char d = p[i + k];
      const bool ok = k == 1 ? d >= low && d <= high : Continuation(d);
      if (!ok) return {i, false};
    }
    i += length;
  }
  return {n, false};
}

std::size_t Latin1ToUtf8(std::string_view in, char* out) {
  char* o = out;
  for (const char ch : in) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < 0x80) {
      *o++ = ch;
    } else {
      *o++ = static_cast<char>(0xC0 | (c >> 6));
      *o++ = static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return static_cast<std::size_t>(o - out);
}

std::string Latin1ToUtf8(std::string_view in) {
  std::string out(2 * in.size(), '\0');
  out.resize(Latin1ToUtf8(in, out.data()));
  return out;
}

}  // namespace ruleweave_cli
