// Writing output files through a temporary name.
#include "output_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

void WriteFileAtomically(const std::string& path, const std::string& text) {
  AtomicFile file(path);
  file.Stream() << text;
  file.Commit();
}

}  // namespace ruleweave_cli
