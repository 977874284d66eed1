// Tests of the command-line program's CSV reader and text helpers.
#include "csv_reader.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>

#include <sstream>
#include <string>
#include <vector>

namespace ruleweave_cli {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows ReadAll(const std::string& text, const CsvFormat& format,
             std::vector<std::int64_t>* lines = nullptr) {
  std::istringstream in(text);
  CsvReader reader(in, "t.csv", format);
  reader.ReadHeader();
  Rows rows;
  rows.emplace_back(reader.Header().begin(), reader.Header().end());
  while (reader.NextRow()) {
    rows.emplace_back(reader.Fields().begin(), reader.Fields().end());
    if (lines) lines->push_back(reader.RowLine());
  }
  return rows;
}

Rows ReadAll(const std::string& text, char delimiter = ',',
             std::vector<std::int64_t>* lines = nullptr) {
  return ReadAll(text, CsvFormat{delimiter}, lines);
}

std::string ErrorOf(const std::string& text, const CsvFormat& format = CsvFormat()) {
  try {
    ReadAll(text, format);
  } catch (const InputError& error) {
    return error.what();
  }
  return "no error";
}

TEST(CsvReader, ReadsQuotedFieldsWithDelimitersQuotesAndLineBreaks) {
  std::vector<std::int64_t> lines;
  const Rows rows = ReadAll(
      "name,note\n"
      "\"Smith, J\",\"said \"\"hi\"\"\"\n"
      "plain,\"two\nlines\"\n"
      "last,\"\"\n",
      ',', &lines);
  const Rows expected = {
      {"name", "note"}, {"Smith, J", "said \"hi\""}, {"plain", "two\nlines"}, {"last", ""}};
  EXPECT_EQ(rows, expected);
  // The row after a field spanning two lines starts on line 5.
  EXPECT_EQ(lines, (std::vector<std::int64_t>{2, 3, 5}));
}

TEST(CsvReader, AcceptsCrLfByteOrderMarkOtherDelimitersAndBlankLines) {
  const Rows rows = ReadAll(
      "\xEF\xBB\xBF"
      "a;b\r\n1;\"x;y\"\r\n\r\n2;z\r\n\n",
      ';');
  const Rows expected = {{"a", "b"}, {"1", "x;y"}, {"2", "z"}};
  EXPECT_EQ(rows, expected);
  // Without a final line end the last row is still read, and a CR before it is no data.
  EXPECT_EQ(ReadAll("a,b\n1,2\r"), (Rows{{"a", "b"}, {"1", "2"}}));
}

TEST(CsvReader, OneColumnFileKeepsEmptyLinesAsMissingValues) {
  EXPECT_EQ(ReadAll("x\n1\n\n3\n"), (Rows{{"x"}, {"1"}, {""}, {"3"}}));
}

TEST(CsvReader, ReportsSyntaxErrorsWithFileLineAndColumn) {
  EXPECT_EQ(ErrorOf("a,b\n1,2\n3,\"open\nstill open\n"),
            "t.csv:3:3: unterminated quoted field (the quote opened here is never closed)");
  EXPECT_EQ(ErrorOf("a,b\n1,\"x\"y\n"),
            "t.csv:2:6: unexpected character after the closing quote of a field");
  EXPECT_EQ(ErrorOf("a,b\n1,x\"y\n"), "t.csv:2:4: quote character inside an unquoted field");
  EXPECT_EQ(ErrorOf("a,b\n1,2\n1,2,3\n"),
            "t.csv:3: ragged row: expected 2 fields as in the header, found 3");
  EXPECT_EQ(ErrorOf("a,b\n1\n"),
            "t.csv:2: ragged row: expected 2 fields as in the header, found 1");
}

TEST(CsvReader, RefusesBadHeaders) {
  EXPECT_EQ(ErrorOf(""), "t.csv: the file is empty (no header row)");
  EXPECT_EQ(ErrorOf("a,b,a\n"), "t.csv:1:5: duplicate column name \"a\" in the header");
  EXPECT_EQ(ErrorOf("a,,c\n"), "t.csv:1:3: empty column name in the header (column 2)");
}

TEST(CsvReader, ReadsRowsLongerThanItsBuffer) {
  std::string big(3 << 20, 'x');  // longer than one read chunk
  CsvFormat format;
  format.maxFieldBytes = big.size();
  const Rows rows = ReadAll("a,b\n" + big + ",\"" + big + "\"\n1,2\n", format);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1][0].size(), big.size());
  EXPECT_EQ(rows[1][1].size(), big.size());
  EXPECT_EQ(rows[2], (std::vector<std::string>{"1", "2"}));
}

TEST(CsvReader, GivesTheSameRowsWhateverItsBufferSize) {
  // Every kind of boundary: a byte-order mark, CRLF, quotes, doubled quotes, a line break in a
  // quoted field, a blank line and multi-byte characters.
  const std::string text =
      "\xEF\xBB\xBFid,note\r\n1,\"a \"\"b\"\"\r\nc\"\r\n\r\n2,caf\xC3\xA9 "
      "\xE6\x97\xA5\xF0\x9F\x98\x80\n3,\"\"\n";
  const Rows expected = {{"id", "note"},
                         {"1", "a \"b\"\r\nc"},
                         {"2", "caf\xC3\xA9 \xE6\x97\xA5\xF0\x9F\x98\x80"},
                         {"3", ""}};
  for (std::size_t size = 8; size <= 24; ++size) {
    CsvFormat format;
    format.bufferBytes = size;
    EXPECT_EQ(ReadAll(text, format), expected) << size;
  }
}

TEST(CsvReader, RefusesInvalidUtf8AndConvertsLatin1) {
  CsvFormat latin1;
  latin1.encoding = TextEncoding::kLatin1;
  EXPECT_EQ(ReadAll("a,b\n1,caf\xE9\n", latin1), (Rows{{"a", "b"}, {"1", "caf\xC3\xA9"}}));
  const std::string hint =
      ": the text is not valid UTF-8; if the file is Latin-1 (ISO 8859-1), read it with "
      "--encoding latin1";
  CsvFormat tiny;
  tiny.bufferBytes = 8;  // the bad byte lies beyond the first buffer
  const struct {
    std::string text;
    CsvFormat format;
    std::string error;
  } cases[] = {
      {"a,b\n1,caf\xE9\n", CsvFormat(), "t.csv:2:6" + hint},
      {"a,b\n1,2\n3,\"x\ny\xFF\"\n", tiny, "t.csv:4:2" + hint},
      {"a,b\n1,\xE6\x97", CsvFormat(), "t.csv:2:3" + hint},  // cut at the end of the file
      {"\xFF\xFE"
       "a",
       CsvFormat(),
       "t.csv:1:1: the file is UTF-16 (it starts with a UTF-16 byte-order mark); convert it to "
       "UTF-8 first, e.g. with `iconv -f UTF-16 -t UTF-8`"},
  };
  for (const auto& c : cases) EXPECT_EQ(ErrorOf(c.text, c.format), c.error) << c.text;
}

TEST(CsvReader, RefusesFieldsLongerThanTheLimit) {
  CsvFormat format;
  format.maxFieldBytes = 4;
  EXPECT_EQ(ReadAll("a,b\n1,1234\n", format), (Rows{{"a", "b"}, {"1", "1234"}}));
  const std::string limit =
      ": a field longer than 4 bytes (the limit; --max-field-bytes N raises it)";
  EXPECT_EQ(ErrorOf("a,b\n1,12345\n", format), "t.csv:2:3" + limit);
  EXPECT_EQ(ErrorOf("a,b\n1,\"12\n345\"\n", format), "t.csv:2:3" + limit);
  format.bufferBytes = 8;  // the field crosses the buffer's end
  EXPECT_EQ(ErrorOf("a,b\n1,12345\n", format), "t.csv:2:3" + limit);
  // The carriage return of a CRLF line end does not count, however the buffer falls.
  EXPECT_EQ(ReadAll("a,b\r\n12,1234\r\n", format), (Rows{{"a", "b"}, {"12", "1234"}}));
}

TEST(CsvReader, NamesTheLikelyDelimiterAndCarriageReturnLineEnds) {
  EXPECT_EQ(ErrorOf("a;b;y\n1;2;3\n"),
            "t.csv:1: the header is one column, \"a;b;y\", that holds the delimiter ';': the file "
            "seems to be written with it; read it with --delimiter ';'");
  EXPECT_EQ(ErrorOf("a\tb\n"),
            "t.csv:1: the header is one column, \"a\tb\", that holds the delimiter '\\t': the "
            "file seems to be written with it; read it with --delimiter tab");
  CsvFormat chosen;
  chosen.checkDelimiter = false;  // the user said ',': a one-column file it is
  EXPECT_EQ(ReadAll("a;b\n1;2\n", chosen), (Rows{{"a;b"}, {"1;2"}}));
  EXPECT_EQ(ErrorOf("a,b\r1,2\r"),
            "t.csv:1:4: carriage return inside the header: the file's lines seem to end with a "
            "carriage return alone (old Mac style); convert them to LF or CRLF, e.g. with `tr "
            "'\\r' '\\n'`");
}

TEST(ParseNumber, AcceptsDecimalNumbersOnly) {
  double v = 0;
  EXPECT_TRUE(ParseNumber("1e3", v));
  EXPECT_EQ(v, 1000);
  EXPECT_TRUE(ParseNumber(" -2.5 ", v));
  EXPECT_EQ(v, -2.5);
  EXPECT_TRUE(ParseNumber("+4", v));
  EXPECT_EQ(v, 4);
  for (const char* bad : {"", " ", "inf", "-inf", "nan", "1e999", "0x10", "1,5", "12abc", "+"}) {
    EXPECT_FALSE(ParseNumber(bad, v)) << bad;
  }
}

// Word-at-a-time splitting against the plain definition, with bytes that differ from the
// delimiter in one bit only (a carry between bytes would show there).
TEST(SplitLine, MatchesAPlainSplitOnAnyBytes) {
  const std::string file = "t.csv";
  const char alphabet[] = {',', ';', 'a', '\x80', '\xac', '\x01', '-', '\x2d', '\xff', '\x00'};
  std::uint64_t state = 11;
  std::vector<std::string_view> fields;
  std::vector<std::int64_t> columns;
  for (int i = 0; i < 5000; ++i) {
    std::string line;
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    const unsigned length = static_cast<unsigned>(state >> 58);  // 0 .. 63
    for (unsigned k = 0; k < length; ++k) {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      line += alphabet[(state >> 40) % sizeof alphabet];
    }
    std::vector<std::string_view> expected;
    std::vector<std::int64_t> starts;
    std::size_t start = 0;
    for (std::size_t k = 0; k <= line.size(); ++k) {
      if (k == line.size() || line[k] == ',') {
        expected.emplace_back(line.data() + start, k - start);
        starts.push_back(static_cast<std::int64_t>(start) + 1);
        start = k + 1;
      }
    }
    SplitLine(line, LineSplit{',', 64, 0, &file}, 1, fields, &columns);
    ASSERT_EQ(fields, expected) << i;
    ASSERT_EQ(columns, starts) << i;
  }
}

// The fast path for plain decimals must give from_chars' value to the last bit.
TEST(ParseNumber, PlainDecimalsMatchFromChars) {
  std::uint64_t state = 7;
  auto next = [&state](unsigned n) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<unsigned>((state >> 33) % n);
  };
  for (int i = 0; i < 20000; ++i) {
    std::string text = next(4) == 0 ? "-" : "";
    const unsigned whole = next(12);
    const unsigned fraction = next(4) == 0 ? 0 : next(24);
    for (unsigned d = 0; d < whole; ++d) text += static_cast<char>('0' + next(10));
    if (fraction > 0 || next(8) == 0) text += '.';
    for (unsigned d = 0; d < fraction; ++d) text += static_cast<char>('0' + next(10));
    double expected = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), expected);
    const bool valid = error == std::errc() && end == text.data() + text.size();
    double value = 0;
    ASSERT_EQ(ParseNumber(text, value), valid) << text;
    if (valid) {
      ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << text;
    }
  }
}

TEST(FormatNumber, GivesShortestRoundTripText) {
  EXPECT_EQ(FormatNumber(3), "3");
  EXPECT_EQ(FormatNumber(2.5), "2.5");
  EXPECT_EQ(FormatNumber(0.1), "0.1");
  EXPECT_EQ(FormatShort(33.333333333333336), "33.3333");
  EXPECT_EQ(FormatShort(1e20), "1e+20");
}

TEST(MissingTokens, EmptyQuestionMarkAndAddedTokens) {
  MissingTokens missing;
  EXPECT_TRUE(missing.IsMissing(""));
  EXPECT_TRUE(missing.IsMissing("  "));
  EXPECT_TRUE(missing.IsMissing("?"));
  EXPECT_FALSE(missing.IsMissing("NA"));
  missing.Add("NA");
  EXPECT_TRUE(missing.IsMissing(" NA"));
  EXPECT_FALSE(missing.IsMissing("na"));
  missing.AddForColumn("x", "0");
  EXPECT_FALSE(missing.IsMissing("0"));
  EXPECT_TRUE(missing.ForColumn("x").IsMissing("0"));
  EXPECT_TRUE(missing.ForColumn("x").IsMissing("NA"));
  EXPECT_FALSE(missing.ForColumn("y").IsMissing("0"));
}

TEST(QuoteField, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(QuoteField("plain", ','), "plain");
  EXPECT_EQ(QuoteField("a,b", ','), "\"a,b\"");
  EXPECT_EQ(QuoteField("a,b", ';'), "a,b");
  EXPECT_EQ(QuoteField("say \"x\"", ','), "\"say \"\"x\"\"\"");
  EXPECT_EQ(QuoteField("two\nlines", ','), "\"two\nlines\"");
  EXPECT_EQ(QuoteField(" padded", ','), "\" padded\"");
}

}  // namespace
}  // namespace ruleweave_cli
