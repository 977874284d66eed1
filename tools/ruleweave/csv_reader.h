// CsvReader: a streaming RFC 4180 reader for the command-line program, and the small text
// helpers (number parsing, missing tokens, quoting) that every command shares.
#ifndef RULEWEAVE_TOOLS_CSV_READER_H_
#define RULEWEAVE_TOOLS_CSV_READER_H_

#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ruleweave_cli {

// Bad input in a file: carries the file name, the line and (when known) the column, so that the
// message can point at the exact place.
class InputError : public std::runtime_error {
 public:
  InputError(const std::string& file, std::int64_t line, std::int64_t column,
             const std::string& what);
  const std::string& File() const { return mFile; }
  std::int64_t Line() const { return mLine; }
  std::int64_t Column() const { return mColumn; }

 private:
  std::string mFile;
  std::int64_t mLine;
  std::int64_t mColumn;
};

// Reads delimited text row by row: fields may be double-quoted ("" stands for a quote) and may
// then hold delimiters and line breaks; rows end with LF or CRLF; a UTF-8 byte-order mark at the
// start is skipped; a line with no characters at all is skipped unless the file has one column.
// The fields of the current row stay valid until the next call of NextRow. The stream is
// borrowed and must outlive the reader.
class CsvReader {
 public:
  CsvReader(std::istream& in, std::string fileName, char delimiter = ',');

  // Reads the header row: refuses an empty file, an empty column name and a repeated one.
  // Must be the first call.
  void ReadHeader();
  const std::vector<std::string>& Header() const { return mHeader; }

  // Reads the next data row into Fields(); false at the end of the input. Throws InputError on
  // an unterminated quote, text after a closing quote, a quote inside an unquoted field, or a
  // row whose number of fields differs from the header's (ragged row).
  bool NextRow();
  const std::vector<std::string_view>& Fields() const { return mFields; }

  // Physical line (from 1) on which the current row starts; rows read so far (header excluded).
  std::int64_t RowLine() const { return mRowLine; }
  std::int64_t RowsRead() const { return mRowsRead; }
  const std::string& FileName() const { return mFileName; }
  // Bytes consumed so far, for progress.
  std::int64_t BytesRead() const { return mBytesConsumed; }

 private:
  // Parses one physical record into mFields; false at end of input.
  bool ParseRecord();
  bool ParseSimpleLine();
  bool Fill();
  int Peek();
  int Get();

  std::istream& mIn;
  std::string mFileName;
  char mDelimiter;
  std::vector<char> mBuffer;
  std::size_t mPos = 0;
  std::size_t mLen = 0;
  bool mEof = false;
  std::int64_t mBytesConsumed = 0;
  std::int64_t mLine = 1;
  std::int64_t mLineStart = 0;  // byte offset of the current line's start
  std::int64_t mRowLine = 0;
  std::int64_t mRowsRead = 0;
  std::string mData;
  std::vector<std::size_t> mEnds;
  std::vector<std::int64_t> mFieldColumns;  // character column where each field starts
  std::vector<std::string_view> mFields;
  std::vector<std::string> mHeader;
};

// Parses a whole field as a finite number (surrounding blanks and a leading '+' allowed; no
// infinities, NaN or hexadecimal). Locale-independent.
bool ParseNumber(std::string_view text, double& value);

// Whole numbers 0 .. kSmallIntLimit-1 written without sign, blanks or leading zeros: the texts
// that category codes usually are. Each such text is the only text of its number, so a table
// indexed by the number can stand for a dictionary of texts.
constexpr int kSmallIntLimit = 1024;
bool SmallCanonicalInt(std::string_view text, int& value);

// Shortest text that reads back as `value` ("3", "2.5", "1e+20").
std::string FormatNumber(double value);

// Text of `value` with at most `digits` significant digits, for display.
std::string FormatShort(double value, int digits = 6);

// Missing-value tokens: an empty field (blanks only) is always missing, "?" by default, plus
// any tokens the user adds.
class MissingTokens {
 public:
  MissingTokens();
  void Add(const std::string& token) { mTokens.push_back(token); }
  bool IsMissing(std::string_view field) const;

 private:
  std::vector<std::string> mTokens;
};

// The field as it must be written in a delimited file: quoted when it holds the delimiter, a
// quote or a line break, or has leading/trailing blanks.
std::string QuoteField(std::string_view field, char delimiter);

// Blanks (spaces and tabs) removed from both ends.
inline std::string_view TrimBlanks(std::string_view text) {
  std::size_t b = 0;
  std::size_t e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  return text.substr(b, e - b);
}

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_CSV_READER_H_
