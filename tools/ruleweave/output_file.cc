// Writing output files through a temporary name.
#include "output_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "csv_reader.h"

namespace ruleweave_cli {

AtomicFile::AtomicFile(std::string path) : mPath(std::move(path)) {
  mTemp = mPath + ".tmp-" + std::to_string(getpid());
  mOut.open(mTemp, std::ios::binary | std::ios::trunc);
  if (!mOut) {
    throw InputError(mPath, 0, 0,
                     std::string("cannot create the output file: ") + std::strerror(errno));
  }
}

AtomicFile::~AtomicFile() {
  if (!mCommitted) {
    mOut.close();
    std::remove(mTemp.c_str());
  }
}

void AtomicFile::Commit() {
  mOut.flush();
  mOut.close();
  if (mOut.fail()) throw InputError(mPath, 0, 0, "writing the output file failed");
  if (std::rename(mTemp.c_str(), mPath.c_str()) != 0) {
    throw InputError(mPath, 0, 0,
                     std::string("cannot move the output file in place: ") + std::strerror(errno));
  }
  mCommitted = true;
}

namespace {

// `path` with its directory made canonical ("./a/../m.pmml" and "m.pmml" read alike); `path`
// itself when the directory does not exist.
std::string CanonicalPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  char resolved[PATH_MAX];
  if (realpath(dir.c_str(), resolved) == nullptr) return path;
  return std::string(resolved) + "/" + name;
}

}  // namespace

bool SamePath(const std::string& a, const std::string& b) {
  struct stat sa {};
  struct stat sb {};
  const bool aExists = stat(a.c_str(), &sa) == 0;
  const bool bExists = stat(b.c_str(), &sb) == 0;
  if (aExists && bExists) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  if (aExists != bExists) return false;
  return CanonicalPath(a) == CanonicalPath(b);
}

OutputSet::OutputSet(std::vector<std::string> inputs) : mInputs(std::move(inputs)) {}

void OutputSet::Refuse(const std::string& option, const std::string& path) {
  for (const std::string& input : mInputs) {
    if (input != "-" && SamePath(input, path)) {
      throw InputError(path, 0, 0,
                       "--" + option + " names the input file " + input +
                           "; writing it would destroy the input: choose another name");
    }
  }
  for (const std::string& output : mOutputs) {
    if (SamePath(output, path)) {
      throw InputError(path, 0, 0,
                       "--" + option + " names the file another output is written to (" + output +
                           "): choose another name");
    }
  }
  mOutputs.push_back(path);
}

AtomicFile* OutputSet::Open(const std::string& option, const std::string& path) {
  if (path.empty()) return nullptr;
  Refuse(option, path);
  mFiles.push_back(std::make_unique<AtomicFile>(path));
  return mFiles.back().get();
}

void OutputSet::Check(const std::string& option, const std::string& path) {
  if (path.empty()) return;
  Refuse(option, path);
  AtomicFile probe(path);  // removed again when it goes out of scope uncommitted
}

void OutputSet::CommitAll() {
  for (const auto& file : mFiles) file->Commit();
}

void WriteFileAtomically(const std::string& path, const std::string& text) {
  AtomicFile file(path);
  file.Stream() << text;
  file.Commit();
}

}  // namespace ruleweave_cli
