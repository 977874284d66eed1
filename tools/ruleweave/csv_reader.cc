// Streaming RFC 4180 reader (the shared field-text helpers are in field_text.cc).
#include "csv_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unordered_set>
#include <utility>

#include "data_source.h"

namespace ruleweave_cli {

namespace {

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

std::string FieldTooLong(std::size_t maxFieldBytes) {
  return "a field longer than " + std::to_string(maxFieldBytes) +
         " bytes (the limit; --max-field-bytes N raises it)";
}

std::string Ragged(std::size_t expected, std::size_t found) {
  return "ragged row: expected " + std::to_string(expected) + " fields as in the header, found " +
         std::to_string(found);
}

// How the delimiter is written on the command line.
std::string DelimiterOption(char delimiter) {
  if (delimiter == '\t') return "--delimiter tab";
  return std::string("--delimiter '") + delimiter + "'";
}

}  // namespace

InputError::InputError(const std::string& file, std::int64_t line, std::int64_t column,
                       const std::string& what)
    : std::runtime_error(file + (line > 0 ? ":" + std::to_string(line) : std::string()) +
                         (column > 0 ? ":" + std::to_string(column) : std::string()) + ": " + what),
      mFile(file),
      mLine(line),
      mColumn(column) {}

CsvReader::CsvReader(std::istream& in, std::string fileName, const CsvFormat& format)
    : mIn(in),
      mSource(dynamic_cast<const InputStream*>(&in)),
      mFileName(std::move(fileName)),
      mFormat(format),
      mDelimiter(format.delimiter),
      mBuffer(std::max<std::size_t>(format.bufferBytes, 8)) {
  // A small file needs no large buffer (a file that grows while read only takes more fills).
  if (mSource != nullptr && mSource->FileSize() > 0) {
    const auto fits = static_cast<std::size_t>(mSource->FileSize()) + 8;
    if (fits < mBuffer.size()) mBuffer.resize(fits);
  }
  if (mFormat.encoding == TextEncoding::kLatin1) {
    // Each Latin-1 byte becomes at most two bytes of UTF-8.
    mRaw.resize(mBuffer.size() / 2);
  }
}

CsvReader::CsvReader(std::istream& in, std::string fileName, char delimiter)
    : CsvReader(in, std::move(fileName), CsvFormat{delimiter}) {}

double CsvReader::Fraction() const {
  if (mSource == nullptr || mSource->FileSize() <= 0) return -1;
  return std::min(1.0, static_cast<double>(mSource->FileBytesRead()) /
                           static_cast<double>(mSource->FileSize()));
}

void CsvReader::ThrowBadText() const {
  throw InputError(mFileName, mLine, mBytesConsumed - mLineStart + 1,
                   "the text is not valid UTF-8; if the file is Latin-1 (ISO 8859-1), read it "
                   "with --encoding latin1");
}

void CsvReader::CheckFieldLength(std::size_t length, std::int64_t line, std::int64_t column) const {
  if (length > mFormat.maxFieldBytes) {
    throw InputError(mFileName, line, column, FieldTooLong(mFormat.maxFieldBytes));
  }
}

// Refills the buffer once everything in it was consumed. UTF-8 is checked here, chunk by chunk:
// the buffer ends before the first bad byte, and reaching that end raises the error, so the
// parser's line and column point at the byte itself. A sequence cut by the chunk's end is
// carried over to the next chunk.
bool CsvReader::Fill() {
  if (mBadText) ThrowBadText();
  if (mEof) return false;
  mPos = 0;
  mLen = 0;
  for (;;) {
    std::size_t got = 0;
    if (mFormat.encoding == TextEncoding::kLatin1) {
      mIn.read(mRaw.data(), static_cast<std::streamsize>(mRaw.size()));
      got = static_cast<std::size_t>(mIn.gcount());
      mLen = Latin1ToUtf8(std::string_view(mRaw.data(), got), mBuffer.data());
    } else {
      std::memcpy(mBuffer.data(), mCarried, mCarry);
      mIn.read(mBuffer.data() + mCarry, static_cast<std::streamsize>(mBuffer.size() - mCarry));
      got = static_cast<std::size_t>(mIn.gcount());
      mLen = mCarry + got;
    }
    if (got == 0) {
      if (mIn.bad() || (mSource != nullptr && !mSource->Failure().empty())) {
        throw InputError(
            mFileName, mLine, 0,
            mSource != nullptr && !mSource->Failure().empty() ? mSource->Failure() : "read error");
      }
      if (mCarry > 0) ThrowBadText();  // the file ends inside a sequence
      mLen = 0;
      mEof = true;
      return false;
    }
    if (!mStarted && mLen >= 2) {
      mStarted = true;
      const auto b0 = static_cast<unsigned char>(mBuffer[0]);
      const auto b1 = static_cast<unsigned char>(mBuffer[1]);
      if (mFormat.encoding == TextEncoding::kUtf8 &&
          ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF))) {
        throw InputError(mFileName, 1, 1,
                         "the file is UTF-16 (it starts with a UTF-16 byte-order mark); convert "
                         "it to UTF-8 first, e.g. with `iconv -f UTF-16 -t UTF-8`");
      }
    }
    if (mFormat.encoding == TextEncoding::kLatin1) return true;
    const Utf8Check check = CheckUtf8(std::string_view(mBuffer.data(), mLen));
    mCarry = 0;
    if (check.valid < mLen) {
      if (check.incomplete) {
        mCarry = mLen - check.valid;
        std::memcpy(mCarried, mBuffer.data() + check.valid, mCarry);
      } else {
        mBadText = true;
      }
      mLen = check.valid;
    }
    if (mLen > 0) return true;
    if (mBadText) ThrowBadText();
    // Only the start of a sequence so far: read on.
  }
}

int CsvReader::Peek() {
  if (mPos == mLen && !Fill()) return -1;
  return static_cast<unsigned char>(mBuffer[mPos]);
}

int CsvReader::Get() {
  if (mPos == mLen && !Fill()) return -1;
  ++mBytesConsumed;
  return static_cast<unsigned char>(mBuffer[mPos++]);
}

// A record that lies whole in the buffer on one line and holds no quote: taken as its text
// (without the line end), with nothing copied. False: take the general path.
bool CsvReader::TakeSimpleLine(std::string_view& line) {
  const char* begin = mBuffer.data() + mPos;
  const std::size_t available = mLen - mPos;
  const char* newline = static_cast<const char*>(std::memchr(begin, '\n', available));
  if (newline == nullptr) return false;
  const std::size_t length = static_cast<std::size_t>(newline - begin);
  if (std::memchr(begin, '"', length) != nullptr) return false;
  line = std::string_view(begin, length);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  mRowLine = mLine;
  ++mLine;
  mPos += length + 1;
  mBytesConsumed += static_cast<std::int64_t>(length) + 1;
  mLineStart = mBytesConsumed;
  return true;
}

void SplitLine(std::string_view line, const LineSplit& split, std::int64_t lineNumber,
               std::vector<std::string_view>& fields, std::vector<std::int64_t>* columns) {
  fields.clear();
  if (columns != nullptr) columns->clear();
  const char* const first = line.data();
  const char* const end = first + line.size();
  const char delimiter = split.delimiter;
  const char* start = first;
  auto field = [&](const char* stop) {
    const auto size = static_cast<std::size_t>(stop - start);
    if (columns != nullptr) columns->push_back(start - first + 1);
    if (size > split.maxFieldBytes) {
      throw InputError(*split.fileName, lineNumber, start - first + 1,
                       FieldTooLong(split.maxFieldBytes));
    }
    fields.emplace_back(start, size);
    start = stop + 1;
  };
  const char* p = first;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  // Eight bytes at a time: fields are short, so a library search per field costs more than
  // it saves. `hits` has the high bit of each byte that equals the delimiter (exactly: no carry
  // crosses a byte), lowest address first.
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  const std::uint64_t pattern = 0x0101010101010101ULL * static_cast<unsigned char>(delimiter);
  for (; end - p >= 8; p += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, p, 8);
    const std::uint64_t x = word ^ pattern;
    for (std::uint64_t hits = ~(((x & kLow7) + kLow7) | x | kLow7); hits != 0; hits &= hits - 1) {
      field(p + __builtin_ctzll(hits) / 8);
    }
  }
#endif
  for (; p != end; ++p) {
    if (*p == delimiter) field(p);
  }
  field(end);
  if (split.columns > 0 && fields.size() != split.columns) {
    throw InputError(*split.fileName, lineNumber, 0, Ragged(split.columns, fields.size()));
  }
}

bool CsvReader::ParseSimpleLine() {
  std::string_view line;
  if (!TakeSimpleLine(line)) return false;
  SplitLine(line, LineSplit{mDelimiter, mFormat.maxFieldBytes, 0, &mFileName}, mRowLine, mFields,
            &mFieldColumns);
  return true;
}

// One physical record: fields separated by the delimiter, ended by LF, CRLF or the end of input.
// In the general path field bytes are appended to mData (mEnds holds each field's end offset)
// and the views made at the end.
bool CsvReader::ParseRecord() {
  if (Peek() < 0) return false;
  return ParseSimpleLine() || ParseGeneralRecord();
}

bool CsvReader::ParseGeneralRecord() {
  mData.clear();
  mEnds.clear();
  mFieldColumns.clear();
  mRowLine = mLine;
  const char delim = mDelimiter;
  for (;;) {
    // Start of a field.
    const std::int64_t fieldLine = mLine;
    const std::int64_t fieldColumn = mBytesConsumed - mLineStart + 1;
    const std::size_t fieldStart = mData.size();
    mFieldColumns.push_back(fieldColumn);
    int c = Peek();
    if (c == '"') {
      const std::int64_t quoteLine = fieldLine;
      const std::int64_t quoteColumn = fieldColumn;
      Get();
      for (;;) {
        c = Get();
        if (c < 0) {
          throw InputError(mFileName, quoteLine, quoteColumn,
                           "unterminated quoted field (the quote opened here is never closed)");
        }
        if (c == '"') {
          if (Peek() == '"') {
            Get();
            mData.push_back('"');
            continue;
          }
          break;
        }
        if (c == '\n') {
          ++mLine;
          mLineStart = mBytesConsumed;
        }
        mData.push_back(static_cast<char>(c));
        if (mData.size() - fieldStart > mFormat.maxFieldBytes) {
          CheckFieldLength(mData.size() - fieldStart, fieldLine, fieldColumn);
        }
      }
      c = Peek();
      if (c == '\r') {
        Get();
        if (Peek() != '\n') {
          throw InputError(mFileName, mLine, mBytesConsumed - mLineStart,
                           "unexpected carriage return after a closing quote");
        }
        c = '\n';
      }
      if (c != delim && c != '\n' && c >= 0) {
        throw InputError(mFileName, mLine, mBytesConsumed - mLineStart + 1,
                         "unexpected character after the closing quote of a field");
      }
    } else {
      // Unquoted field: scan the buffer directly up to the next delimiter or line end.
      for (;;) {
        if (mPos == mLen && !Fill()) {
          c = -1;
          break;
        }
        const char* begin = mBuffer.data() + mPos;
        const char* end = mBuffer.data() + mLen;
        const char* p = begin;
        while (p != end && *p != delim && *p != '\n' && *p != '"') ++p;
        mData.append(begin, static_cast<std::size_t>(p - begin));
        mBytesConsumed += p - begin;
        mPos += static_cast<std::size_t>(p - begin);
        // One byte more is allowed while scanning: a carriage return before the line end is
        // no part of the field.
        if (mData.size() - fieldStart > mFormat.maxFieldBytes + 1) {
          CheckFieldLength(mData.size() - fieldStart, fieldLine, fieldColumn);
        }
        if (p == end) continue;
        c = static_cast<unsigned char>(*p);
        if (c == '"') {
          throw InputError(mFileName, mLine, mBytesConsumed - mLineStart + 1,
                           "quote character inside an unquoted field");
        }
        break;
      }
      if ((c == '\n' || c < 0) && mData.size() > fieldStart && mData.back() == '\r') {
        mData.pop_back();  // CRLF line end
      }
      CheckFieldLength(mData.size() - fieldStart, fieldLine, fieldColumn);
    }
    mEnds.push_back(mData.size());
    c = Get();
    if (c == delim) continue;
    if (c == '\n') {
      ++mLine;
      mLineStart = mBytesConsumed;
    }
    break;  // LF or end of input
  }
  mFields.resize(mEnds.size());
  std::size_t begin = 0;
  for (std::size_t i = 0; i < mEnds.size(); ++i) {
    mFields[i] = std::string_view(mData.data() + begin, mEnds[i] - begin);
    begin = mEnds[i];
  }
  return true;
}

void CsvReader::ReadHeader() {
  // A UTF-8 byte-order mark is not part of the first name. The buffer holds at least 8 bytes
  // (or the whole file), so the mark is never cut.
  if (Peek() == 0xEF) {
    if (mLen - mPos >= 3 && static_cast<unsigned char>(mBuffer[mPos + 1]) == 0xBB &&
        static_cast<unsigned char>(mBuffer[mPos + 2]) == 0xBF) {
      mPos += 3;
      mBytesConsumed += 3;
      mLineStart = 3;
    }
  }
  if (!ParseRecord()) throw InputError(mFileName, 0, 0, "the file is empty (no header row)");
  mHeader.clear();
  // With carriage returns alone ending the lines, the whole file reads as one header row.
  for (std::size_t i = 0; i < mFields.size(); ++i) {
    const std::size_t cr = mFields[i].find('\r');
    if (cr != std::string_view::npos) {
      throw InputError(mFileName, mRowLine, mFieldColumns[i] + static_cast<std::int64_t>(cr),
                       "carriage return inside the header: the file's lines seem to end with a "
                       "carriage return alone (old Mac style); convert them to LF or CRLF, e.g. "
                       "with `tr '\\r' '\\n'`");
    }
  }
  if (mFormat.checkDelimiter && mFields.size() == 1) {
    for (const char other : {';', '\t', '|'}) {
      if (other != mDelimiter && mFields[0].find(other) != std::string_view::npos) {
        throw InputError(
            mFileName, mRowLine, 0,
            "the header is one column, " + Quoted(mFields[0]) + ", that holds the delimiter '" +
                (other == '\t' ? "\\t" : std::string(1, other)) +
                "': the file seems to be written with it; read it with " + DelimiterOption(other));
      }
    }
  }
  std::unordered_set<std::string> seen;
  for (std::size_t i = 0; i < mFields.size(); ++i) {
    std::string name(mFields[i]);
    if (TrimBlanks(name).empty()) {
      throw InputError(mFileName, mRowLine, mFieldColumns[i],
                       "empty column name in the header (column " + std::to_string(i + 1) + ")");
    }
    if (!seen.insert(name).second) {
      throw InputError(mFileName, mRowLine, mFieldColumns[i],
                       "duplicate column name " + Quoted(name) + " in the header");
    }
    mHeader.push_back(std::move(name));
  }
}

bool CsvReader::NextRow() {
  std::string_view line;
  switch (NextRowOrLine(line)) {
    case RowForm::kEnd:
      return false;
    case RowForm::kLine:
      SplitLine(line, Split(), mRowLine, mFields, &mFieldColumns);
      return true;
    case RowForm::kFields:
      return true;
  }
  return false;
}

CsvReader::RowForm CsvReader::NextRowOrLine(std::string_view& line) {
  for (;;) {
    if (Peek() < 0) return RowForm::kEnd;
    if (TakeSimpleLine(line)) {
      // A line without any character is blank; skip it unless it could be a one-column row.
      if (line.empty() && mHeader.size() > 1) continue;
      ++mRowsRead;
      return RowForm::kLine;
    }
    if (!ParseGeneralRecord()) return RowForm::kEnd;
    if (mFields.size() == 1 && mFields[0].empty() && mHeader.size() > 1) continue;
    break;
  }
  if (mFields.size() != mHeader.size()) {
    throw InputError(mFileName, mRowLine, 0, Ragged(mHeader.size(), mFields.size()));
  }
  ++mRowsRead;
  return RowForm::kFields;
}

}  // namespace ruleweave_cli
