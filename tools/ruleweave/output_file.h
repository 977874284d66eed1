// Output files written whole or not at all: under a temporary name in the same directory, renamed
// into place only when everything was written; and the check that a run's output files are
// none of its inputs (nor one another) and can be created, made before any input is read.
#ifndef RULEWEAVE_TOOLS_OUTPUT_FILE_H_
#define RULEWEAVE_TOOLS_OUTPUT_FILE_H_

#include <fstream>
#include <memory>
#include <string>
#include <vector>

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

// Whether `a` and `b` name the same file: the same device and inode when both exist (hard and
// symbolic links included), else the same canonical directory and name.
bool SamePath(const std::string& a, const std::string& b);

// The output files of one run. Each is checked when added, before the run reads anything, and
// the files are moved into place together by CommitAll(); destroyed before that, the set
// removes every temporary file, so no output is left half written.
class OutputSet {
 public:
  // `inputs`: the files the run reads ("-", standard input, is not a file).
  explicit OutputSet(std::vector<std::string> inputs);

  // Opens the temporary file of `path`, given with the option --`option`; null for an empty
  // path (the output was not asked for). Throws InputError when `path` is one of the inputs or
  // an output already added, or when it cannot be created.
  AtomicFile* Open(const std::string& option, const std::string& path);

  // Checks `path` as Open() does (creating and removing a temporary file) for an output written
  // by other means later.
  void Check(const std::string& option, const std::string& path);

  // Moves every opened file into place. Throws InputError naming a file that fails.
  void CommitAll();

 private:
  void Refuse(const std::string& option, const std::string& path);

  std::vector<std::string> mInputs;
  std::vector<std::string> mOutputs;
  std::vector<std::unique_ptr<AtomicFile>> mFiles;
};

// Writes `text` to `path` through an AtomicFile.
void WriteFileAtomically(const std::string& path, const std::string& text);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_OUTPUT_FILE_H_
