// Output files written whole or not at all: under a temporary name in the same directory, renamed
// into place only when everything was written.
#ifndef RULEWEAVE_TOOLS_OUTPUT_FILE_H_
#define RULEWEAVE_TOOLS_OUTPUT_FILE_H_

#include <fstream>
#include <string>

namespace ruleweave_cli {

// Opens `path`.tmp-PID for writing; Commit() renames it to `path`. Destroyed without a commit
// (an error or an interrupt), it removes the temporary file, so `path` is never left half
// written and an existing file there stays as it was. Throws InputError naming `path` when the
// file cannot be created, written or moved.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  std::ostream& Stream() { return mOut; }
  void Commit();

 private:
  std::string mPath;
  std::string mTemp;
  std::ofstream mOut;
  bool mCommitted = false;
};

// Writes `text` to `path` through an AtomicFile.
void WriteFileAtomically(const std::string& path, const std::string& text);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_OUTPUT_FILE_H_
