// The commands' shared steps: failures to messages and exit statuses, progress, first pass.
#include "command_support.h"

#include <fstream>
#include <iostream>
#include <new>
#include <ostream>
#include <sstream>

#include "status_meaning.h"

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
  CommandIo io{out, err, context.in ? *context.in : std::cin,
               context.cancel ? *context.cancel : never, context.errIsTerminal};
  // Exceptions end here: each kind of failure has its message form and exit status.
  try {
    return body(io);
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
          << StatusMeaning(status.GetErrorCode()) << ")";
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

void CheckStatus(const QXDecision::QXStatus& status, const std::string& what) {
  if (status.GetErrorCode() == 1 && status.IsError()) throw Cancelled{};
  if (status.IsError()) throw LibraryError(what, status);
}

std::string ReadWholeFile(const std::string& path) {
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
  auto profiles = ProfileColumns(reader, columns, distinctCap, [&](std::int64_t rows) {
    progress.Rows(stage, rows, reader.Fraction());
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
