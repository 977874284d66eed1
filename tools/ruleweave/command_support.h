// What the commands share: the guard that turns a failure into a message and an exit status,
// the streams and cancel object of a run, its progress line, the first pass over a file, and
// the checks of library statuses.
#ifndef RULEWEAVE_TOOLS_COMMAND_SUPPORT_H_
#define RULEWEAVE_TOOLS_COMMAND_SUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include <ruleweave/ruleweave.h>

#include "column_plan.h"
#include "commands.h"
#include "csv_reader.h"
#include "options.h"
#include "table_loader.h"

namespace ruleweave_cli {

// The streams and cancel object of one run; all borrowed.
struct CommandIo {
  std::ostream& out;
  std::ostream& err;
  std::istream& in;
  QXQueryCancel& cancel;
  bool errIsTerminal;
  std::size_t outColumns;  // see RunContext
};

// Runs `body` and returns its exit status. What it throws ends here, each kind of failure with
// its message on `err` and its exit status: Cancelled 130; UsageError 1, with a pointer to
// `ruleweave COMMAND --help`; InputError 1; LibraryError and the library's exceptions 2.
// A body that returns with `out` failed ends with 0 when the reader closed it (EPIPE: printing
// simply stops there), else with a message and 2.
int RunCommand(const std::string& command, std::ostream& out, std::ostream& err,
               const RunContext& context, const std::function<int(CommandIo& io)>& body);

// Whether the progress line is shown: not with --quiet; with --progress, or on a terminal.
bool ShowProgress(const OutputOptions& output, const CommandIo& io);

// "ruleweave: warning: TEXT" on `err`.
void Warn(std::ostream& err, const std::string& text);

// The plan's warnings, each as Warn writes it; of warnings that differ only in the column they
// name (`column "NAME" ...`), the first `shown` are written and then one line says how many
// more columns are like them.
void WarnAll(std::ostream& err, const std::vector<std::string>& warnings, std::size_t shown = 3);

// Throws Cancelled for the library's cancel status, LibraryError("WHAT") for another error.
void CheckStatus(const QXDecision::QXStatus& status, const std::string& what);

// The library reads model documents of at most this size.
constexpr std::uintmax_t kMaxModelBytes = std::uintmax_t{64} << 20;

// The whole file as text. Throws InputError when it cannot be read or has more than `maxBytes`
// bytes (checked before reading).
std::string ReadWholeFile(const std::string& path, std::uintmax_t maxBytes = kMaxModelBytes);

// Distinct values kept per unlisted column during the first pass: enough to tell whether a
// text column needs large categories.
constexpr std::size_t kScanDistinctCap = 1024;

// The first pass over `reader` (its header read): profiles the columns, showing the rows read
// and stopping with Cancelled when `cancel` says so.
std::vector<ColumnProfile> ProfileFile(CsvReader& reader, const ColumnOptions& columns,
                                       std::size_t distinctCap, ConsoleProgress& progress,
                                       QXQueryCancel& cancel);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_COMMAND_SUPPORT_H_
