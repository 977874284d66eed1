// Where a table's rows come from: a file (read through zlib when it is gzip-compressed), the
// program's standard input (kept in a temporary file, since commands read their data twice), or
// text held in memory. Every pass opens a fresh stream that knows how far through the file it
// is, for progress.
#ifndef RULEWEAVE_TOOLS_DATA_SOURCE_H_
#define RULEWEAVE_TOOLS_DATA_SOURCE_H_

#include <cstdint>
#include <istream>
#include <memory>
#include <streambuf>
#include <string>

namespace ruleweave_cli {

// A stream buffer over the bytes of one data file that counts the file's bytes read so far
// (compressed bytes for a compressed file) and keeps the reason of a failed read.
class SourceBuffer : public std::streambuf {
 public:
  virtual std::int64_t FileBytesRead() const = 0;
  // Empty while reading has not failed.
  const std::string& Failure() const { return mFailure; }

 protected:
  std::string mFailure;
};

// The stream one pass reads. Owns its buffer.
class InputStream : public std::istream {
 public:
  InputStream(std::unique_ptr<SourceBuffer> buffer, std::int64_t fileSize);
  // Bytes of the file read so far and its size (0 when unknown): together, the fraction done.
  std::int64_t FileBytesRead() const { return mBuffer->FileBytesRead(); }
  std::int64_t FileSize() const { return mFileSize; }
  // Why reading failed; empty while it has not.
  const std::string& Failure() const { return mBuffer->Failure(); }

 private:
  std::unique_ptr<SourceBuffer> mBuffer;
  std::int64_t mFileSize;
};

class SpooledInput;

// A data file, standard input or text in memory. Copies share the same spooled input, which is
// removed when the last copy goes.
class DataSource {
 public:
  static DataSource File(const std::string& path);
  static DataSource Text(const std::string& name, std::string text);
  // `arg` as given on the command line: "-" reads `standardInput`, copied at once to a temporary
  // file removed with the last copy of the source (so it can be read twice); a named pipe is
  // copied the same way; anything else names a file.
  static DataSource Argument(const std::string& arg, std::istream& standardInput);

  const std::string& Name() const { return mName; }
  // The file read (standard input's temporary copy for "-"); empty for text in memory.
  const std::string& Path() const { return mPath; }
  // A fresh stream at the start of the data. Throws InputError when the file cannot be opened,
  // is a directory, or is compressed in a format other than gzip.
  std::unique_ptr<InputStream> Open() const;

 private:
  std::string mName;
  std::string mPath;
  std::shared_ptr<const std::string> mText;    // in-memory data
  std::shared_ptr<const SpooledInput> mSpool;  // standard input's copy
};

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_DATA_SOURCE_H_
