// CsvReader: a streaming RFC 4180 reader for the command-line program, and the small text
// helpers (number parsing, missing tokens, quoting) that every command shares.
#ifndef RULEWEAVE_TOOLS_CSV_READER_H_
#define RULEWEAVE_TOOLS_CSV_READER_H_

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text_encoding.h"

namespace ruleweave_cli {

class InputStream;

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

// The longest field read unless told otherwise: far beyond any real value, small enough that
// a file without line breaks (or an unclosed quote) cannot take all memory.
constexpr std::size_t kDefaultMaxFieldBytes = std::size_t{1} << 20;

// How a delimited file is written, and the reader's limits.
struct CsvFormat {
  char delimiter = ',';
  // Refuse a one-column header that holds another common delimiter (';', tab, '|'): the file
  // was almost certainly written with that one. Off when the user chose the delimiter.
  bool checkDelimiter = true;
  TextEncoding encoding = TextEncoding::kUtf8;
  std::size_t maxFieldBytes = kDefaultMaxFieldBytes;
  // Bytes read from the stream at a time (at least 8); small sizes serve tests and fuzzing.
  std::size_t bufferBytes = std::size_t{1} << 20;
};

// How a line of a file splits into fields: the delimiter, the longest field, the number of
// fields a row must have (0: any) and the file's name for messages.
struct LineSplit {
  char delimiter = ',';
  std::size_t maxFieldBytes = kDefaultMaxFieldBytes;
  std::size_t columns = 0;
  const std::string* fileName = nullptr;
};

// Reads delimited text row by row: fields may be double-quoted ("" stands for a quote) and may
// then hold delimiters and line breaks; rows end with LF or CRLF; a UTF-8 byte-order mark at the
// start is skipped; a line with no characters at all is skipped unless the file has one column.
// Text must be UTF-8 (or is converted from Latin-1 when the format says so).
// The fields of the current row stay valid until the next call of NextRow. The stream is
// borrowed and must outlive the reader.
class CsvReader {
 public:
  CsvReader(std::istream& in, std::string fileName, const CsvFormat& format);
  CsvReader(std::istream& in, std::string fileName, char delimiter = ',');

  // Reads the header row: refuses an empty file, an empty column name and a repeated one, a
  // file whose lines end with a carriage return alone, and (see CsvFormat) a one-column header
  // that holds another common delimiter. Must be the first call.
  void ReadHeader();
  const std::vector<std::string>& Header() const { return mHeader; }

  // Reads the next data row into Fields(); false at the end of the input. Throws InputError on
  // an unterminated quote, text after a closing quote, a quote inside an unquoted field, a
  // row whose number of fields differs from the header's (ragged row), a field longer than the
  // format's limit, bytes that are not UTF-8, or a failed read.
  bool NextRow();
  const std::vector<std::string_view>& Fields() const { return mFields; }

  // NextRow that leaves the splitting of most rows to the caller (another thread, say): a row
  // that lies on one line with no quote comes back as its text (kLine: `line`, without the line
  // end, valid until the next call) to be split with SplitLine, which makes the checks NextRow
  // would; any other row is read into Fields() (kFields). kEnd at the end of the input.
  enum class RowForm { kEnd, kLine, kFields };
  RowForm NextRowOrLine(std::string_view& line);

  // Physical line (from 1) on which the current row starts; rows read so far (header excluded).
  std::int64_t RowLine() const { return mRowLine; }
  std::int64_t RowsRead() const { return mRowsRead; }
  const std::string& FileName() const { return mFileName; }
  // How SplitLine must split this file's lines (valid while the reader is).
  LineSplit Split() const {
    return LineSplit{mDelimiter, mFormat.maxFieldBytes, mHeader.size(), &mFileName};
  }
  // Bytes consumed so far, for progress.
  std::int64_t BytesRead() const { return mBytesConsumed; }
  // The fraction of the file read so far, when the stream is an InputStream that knows the
  // file's size; else -1.
  double Fraction() const;

 private:
  // Parses one physical record into mFields; false at end of input.
  bool ParseRecord();
  // The general path of ParseRecord (quotes, a record across the buffer's end); input remains.
  bool ParseGeneralRecord();
  bool TakeSimpleLine(std::string_view& line);
  bool ParseSimpleLine();
  bool Fill();
  int Peek();
  int Get();

  void ThrowBadText() const;
  void CheckFieldLength(std::size_t length, std::int64_t line, std::int64_t column) const;

  std::istream& mIn;
  const InputStream* mSource;  // mIn as an InputStream, or null
  std::string mFileName;
  CsvFormat mFormat;
  char mDelimiter;
  std::vector<char> mBuffer;
  std::vector<char> mRaw;  // Latin-1 bytes before conversion
  std::size_t mCarry = 0;  // bytes of a UTF-8 sequence cut at the end of the buffer
  char mCarried[4] = {};
  bool mBadText = false;  // the byte after the buffer's end is not UTF-8
  bool mStarted = false;
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

// Splits a line with no quote (`lineNumber` in the file) at the delimiter into `fields`, and
// into `columns` (if not null) the column where each field starts. Throws InputError for a field
// longer than the limit or a row with another number of fields.
void SplitLine(std::string_view line, const LineSplit& split, std::int64_t lineNumber,
               std::vector<std::string_view>& fields, std::vector<std::int64_t>* columns = nullptr);

// Blanks (spaces and tabs) removed from both ends.
inline std::string_view TrimBlanks(std::string_view text) {
  std::size_t b = 0;
  std::size_t e = text.size();
  while (b < e && (text[b] == ' ' || text[b] == '\t')) ++b;
  while (e > b && (text[e - 1] == ' ' || text[e - 1] == '\t')) --e;
  return text.substr(b, e - b);
}

namespace internal {

inline constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Plain decimals ("-12.345") with at most 15 significant digits and 22 decimals: the digits
// form an exact integer and the power of ten is exact, so one division yields the correctly
// rounded value, the same as from_chars, several times faster. False: take the slow path.
inline bool FastDecimal(std::string_view t, double& value) {
  const char* p = t.data();
  const char* const end = p + t.size();
  const bool negative = p != end && *p == '-';
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

}  // namespace internal

// ParseNumber's general path: blanks, a leading '+', scientific notation.
bool ParseNumberSlow(std::string_view text, double& value);

// Parses a whole field as a finite number (surrounding blanks and a leading '+' allowed; no
// infinities, NaN or hexadecimal). Locale-independent. Plain decimals take an inline path.
inline bool ParseNumber(std::string_view text, double& value) {
  return (!text.empty() && internal::FastDecimal(text, value)) || ParseNumberSlow(text, value);
}

// Whole numbers 0 .. kSmallIntLimit-1 written without sign, blanks or leading zeros: the texts
// that category codes usually are. Each such text is the only text of its number, so a table
// indexed by the number can stand for a dictionary of texts.
constexpr int kSmallIntLimit = 1024;
inline bool SmallCanonicalInt(std::string_view text, int& value) {
  const std::size_t n = text.size();
  if (n == 0 || n > 4 || (text[0] == '0' && n > 1)) return false;
  int v = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v >= kSmallIntLimit) return false;
  value = v;
  return true;
}

// Shortest text that reads back as `value` ("3", "2.5", "1e+20").
std::string FormatNumber(double value);

// Text of `value` with at most `digits` significant digits, for display.
std::string FormatShort(double value, int digits = 6);

// Missing-value tokens: an empty field (blanks only) is always missing, "?" by default, plus
// any tokens the user adds, for every column or for one column only.
class MissingTokens {
 public:
  MissingTokens();
  void Add(const std::string& token);
  void AddForColumn(const std::string& column, const std::string& token) {
    mColumnTokens.emplace_back(column, token);
  }
  // Whether `field` is missing by the tokens for every column. Most fields are told apart by
  // their first and last bytes alone.
  bool IsMissing(std::string_view field) const {
    if (field.empty()) return true;
    const char last = field.back();
    if (!mMayStart[static_cast<unsigned char>(field.front())] && last != ' ' && last != '\t') {
      return false;
    }
    return IsMissingSlow(field);
  }
  // The tokens that hold in `column`: those for every column and its own.
  MissingTokens ForColumn(const std::string& column) const;
  // The columns that have tokens of their own.
  std::vector<std::string> Columns() const;

 private:
  bool IsMissingSlow(std::string_view field) const;

  std::vector<std::string> mTokens;
  std::vector<std::pair<std::string, std::string>> mColumnTokens;  // column, token
  std::bitset<256> mMayStart;  // first bytes of the tokens, and the blanks
};

// The field as it must be written in a delimited file: quoted when it holds the delimiter, a
// quote or a line break, has leading/trailing blanks, or starts with a byte-order mark (which
// a reader would take for the file's own).
std::string QuoteField(std::string_view field, char delimiter);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_CSV_READER_H_
