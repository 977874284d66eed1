// The commands' shared steps: failures to messages and exit statuses, progress, first pass.
#include "command_support.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <ostream>
#include <sstream>
#include <unordered_map>

namespace ruleweave_cli {

namespace {

// Stands in for a run without a cancel object.
class NeverCancel : public QXQueryCancel {
 public:
  bool IsCancelled() override { return false; }
};

}  // namespace

int RunCommand(const std::string& command, std::ostream& out, std::ostream& err,
               const RunContext& context, const std::function<int(CommandIo& io)>& body) {
  NeverCancel never;
  CommandIo io{out,
               err,
               context.in ? *context.in : std::cin,
               context.cancel ? *context.cancel : never,
               context.errIsTerminal,
               context.outColumns};
  // Exceptions end here: each kind of failure has its message form and exit status.
  try {
    const int status = body(io);
    out.flush();
    if (out.fail()) {
      // Output files are written by now. A reader that stopped reading (`| head`) is the end
      // of printing, not a failure; anything else (a full disk) loses results and is one.
      const int error = errno;
      if (error == EPIPE) return status;
      err << "ruleweave: writing the results to standard output failed: " << std::strerror(error)
          << '\n';
      return kExitLibraryError;
    }
    return status;
  } catch (const Cancelled&) {
    err << "\nruleweave: interrupted; nothing was written\n";
    return kExitCancelled;
  } catch (const UsageError& error) {
    err << "ruleweave: " << error.what() << "\nTry `ruleweave " << command << " --help`.\n";
    return kExitBadInput;
  } catch (const InputError& error) {
    err << "ruleweave: " << error.what() << '\n';
    return kExitBadInput;
  } catch (const LibraryError& error) {
    const QXDecision::QXStatus& status = error.Status();
    err << "ruleweave: " << error.what();
    if (!status.IsOK()) {
      err << ": library status " << status.GetErrorCode() << " ("
          << QXDecision::QXStatus::GetDescription(status.GetErrorCode()) << ")";
    }
    err << '\n';
    return kExitLibraryError;
  } catch (const QXDecision::IDLException& error) {
    err << "ruleweave: the library refused the data: " << error.GetMessage() << '\n';
    return kExitLibraryError;
  } catch (const std::bad_alloc&) {
    err << "ruleweave: out of memory\n";
    return kExitLibraryError;
  } catch (const std::exception& error) {
    err << "ruleweave: unexpected failure: " << error.what() << '\n';
    return kExitLibraryError;
  }
}

bool ShowProgress(const OutputOptions& output, const CommandIo& io) {
  return !output.quiet && (output.progressAlways || io.errIsTerminal);
}

void Warn(std::ostream& err, const std::string& text) {
  err << "ruleweave: warning: " << text << '\n';
}

namespace {

// The warning without the column it names: `column "NAME" rest` gives ` rest` (with NAME also
// taken out of the rest, where the warning repeats it); other warnings stay whole.
std::string WithoutColumn(const std::string& warning) {
  const std::string start = "column \"";
  if (warning.compare(0, start.size(), start) != 0) return warning;
  const std::size_t end = warning.find("\" ", start.size());
  if (end == std::string::npos) return warning;
  const std::string name = warning.substr(start.size(), end - start.size());
  std::string rest = warning.substr(end + 1);
  for (std::size_t at = rest.find(name); !name.empty() && at != std::string::npos;
       at = rest.find(name, at)) {
    rest.erase(at, name.size());
  }
  return rest;
}

}  // namespace

void WarnAll(std::ostream& err, const std::vector<std::string>& warnings, std::size_t shown) {
  std::unordered_map<std::string, std::size_t> kinds;  // kind -> its number
  std::vector<std::size_t> seen;                       // per kind, warnings met
  std::vector<std::size_t> last;                       // per kind, index of its last warning
  std::vector<std::size_t> kindOf;
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    const std::size_t k = kinds.emplace(WithoutColumn(warnings[i]), kinds.size()).first->second;
    if (k == seen.size()) {
      seen.push_back(0);
      last.push_back(0);
    }
    ++seen[k];
    last[k] = i;
    kindOf.push_back(k);
  }
  std::vector<std::size_t> written(kinds.size(), 0);
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    const std::size_t k = kindOf[i];
    // A kind with just one warning more than `shown` writes that one too.
    const bool all = seen[k] <= shown + 1;
    if (all || written[k] < shown) {
      Warn(err, warnings[i]);
      ++written[k];
    } else if (i == last[k]) {
      Warn(err, "... and " + std::to_string(seen[k] - shown) + " more columns like this");
    }
  }
}

void CheckStatus(const QXDecision::QXStatus& status, const std::string& what) {
  if (status.GetErrorCode() == 1 && status.IsError()) throw Cancelled{};
  if (status.IsError()) throw LibraryError(what, status);
}

std::string ReadWholeFile(const std::string& path, std::uintmax_t maxBytes) {
  // The size is checked before reading, so an oversized file costs no memory.
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw InputError(path, 0, 0, "is a directory, not a file");
  }
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > maxBytes) {
    throw InputError(path, 0, 0,
                     "the file has " + std::to_string(size) + " bytes, more than the " +
                         std::to_string(maxBytes) + " a model document may have");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InputError(path, 0, 0, "cannot open the file for reading");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<ColumnProfile> ProfileFile(CsvReader& reader, const ColumnOptions& columns,
                                       std::size_t distinctCap, ConsoleProgress& progress,
                                       QXQueryCancel& cancel) {
  const std::string stage = "reading " + reader.FileName();
  progress.SetStage(stage);
  auto profiles =
      ProfileColumns(reader, columns, distinctCap, [&](std::int64_t rows, double fraction) {
        progress.Rows(stage, rows, fraction);
        return !cancel.IsCancelled();
      });
  progress.Done();
  // Plans made from no rows say little (every column unused, no response value): say why.
  if (reader.RowsRead() == 0) {
    throw InputError(reader.FileName(), 0, 0, "the file has a header but no data rows");
  }
  return profiles;
}

}  // namespace ruleweave_cli
