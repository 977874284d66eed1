// Opening data files: plain and gzip-compressed files, standard input spooled to a temporary
// file, and text in memory.
#include "data_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "csv_reader.h"

namespace ruleweave_cli {

namespace {

constexpr std::size_t kBufferBytes = 1 << 16;

// A source read in chunks through Read(): the buffering and the large reads that go straight
// to the caller's memory, shared by plain and compressed files.
class ChunkBuffer : public SourceBuffer {
 public:
  ChunkBuffer() : mBuffer(kBufferBytes) {}

 protected:
  int_type underflow() override {
    const std::streamsize n = Read(mBuffer.data(), static_cast<std::streamsize>(mBuffer.size()));
    if (n <= 0) return traits_type::eof();
    setg(mBuffer.data(), mBuffer.data(), mBuffer.data() + n);
    return traits_type::to_int_type(mBuffer[0]);
  }
  // Large reads go straight to the caller's memory.
  std::streamsize xsgetn(char* out, std::streamsize count) override {
    std::streamsize done = 0;
    const std::streamsize buffered = std::min<std::streamsize>(egptr() - gptr(), count);
    if (buffered > 0) {
      std::memcpy(out, gptr(), static_cast<std::size_t>(buffered));
      gbump(static_cast<int>(buffered));
      done = buffered;
    }
    while (done < count) {
      const std::streamsize n = Read(out + done, count - done);
      if (n <= 0) break;
      done += n;
    }
    return done;
  }

  // Up to `count` bytes into `out`: how many, 0 at the end, negative on failure (mFailure set).
  virtual std::streamsize Read(char* out, std::streamsize count) = 0;

 private:
  std::vector<char> mBuffer;
};

// Reads a plain file through its descriptor, which it owns.
class FileBuffer : public ChunkBuffer {
 public:
  explicit FileBuffer(int fd) : mFd(fd) {}
  ~FileBuffer() override { ::close(mFd); }
  std::int64_t FileBytesRead() const override { return mRead; }

 protected:
  std::streamsize Read(char* out, std::streamsize count) override {
    for (;;) {
      const ssize_t n = ::read(mFd, out, static_cast<std::size_t>(count));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) mFailure = std::string("read error (") + std::strerror(errno) + ")";
      if (n > 0) mRead += n;
      return n;
    }
  }

 private:
  int mFd;
  std::int64_t mRead = 0;
};

// Reads a gzip-compressed file (several members one after the other, as `cat a.gz b.gz` makes,
// read as one) through zlib.
class GzipBuffer : public ChunkBuffer {
 public:
  explicit GzipBuffer(gzFile file) : mFile(file) {}
  ~GzipBuffer() override { gzclose(mFile); }
  std::int64_t FileBytesRead() const override { return gzoffset(mFile); }

 protected:
  std::streamsize Read(char* out, std::streamsize count) override {
    if (!mFailure.empty()) return -1;
    const unsigned ask = static_cast<unsigned>(std::min<std::streamsize>(count, 1 << 30));
    const int n = gzread(mFile, out, ask);
    int code = Z_OK;
    const char* message = gzerror(mFile, &code);
    // A file cut short ends with Z_BUF_ERROR rather than a clean end.
    if (n < 0 || (code != Z_OK && code != Z_STREAM_END)) {
      mFailure = std::string("the gzip-compressed data cannot be read (") +
                 (message != nullptr && *message != '\0' ? message : "corrupt data") + ")";
      return -1;
    }
    return n;
  }

 private:
  gzFile mFile;
};

// Text held in memory, shared with its source.
class TextBuffer : public SourceBuffer {
 public:
  explicit TextBuffer(std::shared_ptr<const std::string> text) : mText(std::move(text)) {
    char* begin = const_cast<char*>(mText->data());  // the get area is only read
    setg(begin, begin, begin + mText->size());
  }
  std::int64_t FileBytesRead() const override { return gptr() - eback(); }

 private:
  std::shared_ptr<const std::string> mText;
};

// The name of a compression format other than gzip that `head` starts with, or null.
const char* OtherCompression(const unsigned char* head, std::size_t n) {
  auto starts = [&](std::initializer_list<unsigned char> magic) {
    if (n < magic.size()) return false;
    std::size_t i = 0;
    for (const unsigned char m : magic) {
      if (head[i++] != m) return false;
    }
    return true;
  };
  if (starts({'B', 'Z', 'h'})) return "bzip2";
  if (starts({0xFD, '7', 'z', 'X', 'Z', 0x00})) return "xz";
  if (starts({0x28, 0xB5, 0x2F, 0xFD})) return "zstd";
  if (starts({'P', 'K', 0x03, 0x04})) return "zip";
  return nullptr;
}

}  // namespace

// Standard input copied to a temporary file, removed when this object goes.
class SpooledInput {
 public:
  explicit SpooledInput(std::istream& in) {
    std::string pattern = (std::filesystem::temp_directory_path() / "ruleweave-stdin-XXXXXX");
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
      throw InputError(
          "standard input", 0, 0,
          std::string("cannot create a temporary file to hold it (") + std::strerror(errno) + ")");
    }
    mPath = name.data();
    std::vector<char> chunk(kBufferBytes);
    bool ok = true;
    while (ok && in) {
      in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
      const std::size_t got = static_cast<std::size_t>(in.gcount());
      for (std::size_t done = 0; ok && done < got;) {
        const ssize_t n = ::write(fd, chunk.data() + done, got - done);
        if (n < 0 && errno == EINTR) continue;
        ok = n > 0;
        if (ok) done += static_cast<std::size_t>(n);
      }
    }
    const int writeErrno = errno;
    ::close(fd);
    if (!ok || in.bad()) {
      ::unlink(mPath.c_str());
      throw InputError("standard input", 0, 0,
                       ok ? std::string("read error")
                          : std::string("cannot copy it to a temporary file (") +
                                std::strerror(writeErrno) + ")");
    }
  }
  ~SpooledInput() { ::unlink(mPath.c_str()); }
  SpooledInput(const SpooledInput&) = delete;
  SpooledInput& operator=(const SpooledInput&) = delete;
  const std::string& Path() const { return mPath; }

 private:
  std::string mPath;
};

InputStream::InputStream(std::unique_ptr<SourceBuffer> buffer, std::int64_t fileSize)
    : std::istream(buffer.get()), mBuffer(std::move(buffer)), mFileSize(fileSize) {}

DataSource DataSource::File(const std::string& path) {
  DataSource source;
  source.mName = path;
  source.mPath = path;
  return source;
}

DataSource DataSource::Text(const std::string& name, std::string text) {
  DataSource source;
  source.mName = name;
  source.mText = std::make_shared<const std::string>(std::move(text));
  return source;
}

DataSource DataSource::Argument(const std::string& arg, std::istream& standardInput) {
  DataSource source;
  if (arg == "-") {
    source.mName = "standard input";
    source.mSpool = std::make_shared<const SpooledInput>(standardInput);
  } else {
    // A pipe given by name (`<(command)`) can be read only once: it is copied like standard
    // input.
    struct stat info {};
    if (::stat(arg.c_str(), &info) != 0 || !S_ISFIFO(info.st_mode)) return File(arg);
    std::ifstream pipe(arg, std::ios::binary);
    if (!pipe) return File(arg);  // Open reports why
    source.mName = arg;
    source.mSpool = std::make_shared<const SpooledInput>(pipe);
  }
  source.mPath = source.mSpool->Path();
  return source;
}

std::unique_ptr<InputStream> DataSource::Open() const {
  if (mText) {
    return std::make_unique<InputStream>(std::make_unique<TextBuffer>(mText),
                                         static_cast<std::int64_t>(mText->size()));
  }
  const int fd = ::open(mPath.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    throw InputError(
        mName, 0, 0,
        std::string("cannot open the file for reading (") + std::strerror(errno) + ")");
  }
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    ::close(fd);
    throw InputError(mName, 0, 0, "is a directory, not a data file");
  }
  const std::int64_t size = S_ISREG(info.st_mode) ? static_cast<std::int64_t>(info.st_size) : 0;
  // The first bytes tell a compressed file, whatever its name.
  unsigned char head[8] = {};
  const ssize_t got = S_ISREG(info.st_mode) ? ::pread(fd, head, sizeof head, 0) : 0;
  const std::size_t n = got > 0 ? static_cast<std::size_t>(got) : 0;
  const bool gzipName = mName.size() > 3 && mName.compare(mName.size() - 3, 3, ".gz") == 0;
  if ((n >= 2 && head[0] == 0x1F && head[1] == 0x8B) || gzipName) {
    gzFile file = gzdopen(fd, "rb");
    if (file == nullptr) {
      ::close(fd);
      throw InputError(mName, 0, 0, "cannot open the file for reading (out of memory)");
    }
    gzbuffer(file, 1 << 17);
    return std::make_unique<InputStream>(std::make_unique<GzipBuffer>(file), size);
  }
  if (const char* format = OtherCompression(head, n)) {
    ::close(fd);
    throw InputError(mName, 0, 0,
                     std::string("the file is compressed with ") + format +
                         ", which is not read directly (only gzip is): decompress it first");
  }
  return std::make_unique<InputStream>(std::make_unique<FileBuffer>(fd), size);
}

}  // namespace ruleweave_cli
