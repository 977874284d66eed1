// Tests of UTF-8 checking and Latin-1 conversion.
#include "text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace ruleweave_cli {
namespace {

TEST(CheckUtf8, FindsTheFirstBadByteAndSequencesCutAtTheEnd) {
  const struct {
    std::string text;
    std::size_t valid;
    bool incomplete;
  } cases[] = {
      {"plain ascii text", 16, false},
      {"caf\xC3\xA9 \xE6\x97\xA5 \xF0\x9F\x98\x80", 14, false},
      {"ab\x80", 2, false},              // a continuation byte alone
      {"ab\xC0\xAF", 2, false},          // overlong form of '/'
      {"ab\xED\xA0\x80", 2, false},      // a surrogate
      {"ab\xF4\x90\x80\x80", 2, false},  // above U+10FFFF
      {"ab\xE6\x97"
       "x",
       2, false},               // a sequence broken off
      {"ab\xE6\x97", 2, true},  // a sequence cut by the end
      {"ab\xF0\x9F\x98", 2, true},
  };
  for (const auto& c : cases) {
    const Utf8Check check = CheckUtf8(c.text);
    EXPECT_EQ(check.valid, c.valid) << c.text;
    EXPECT_EQ(check.incomplete, c.incomplete) << c.text;
  }
}

TEST(Latin1ToUtf8, ConvertsEveryByteAboveAscii) {
  EXPECT_EQ(Latin1ToUtf8("caf\xE9 na\xEFve \xA0\xFF"), "caf\xC3\xA9 na\xC3\xAFve \xC2\xA0\xC3\xBF");
}

}  // namespace
}  // namespace ruleweave_cli
