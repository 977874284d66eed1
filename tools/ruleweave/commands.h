// The commands of `ruleweave` (search, score, describe, demo). Each takes its arguments (those
// after the command's name) and the streams it writes to, and returns the exit status: the
// program and the tests run them alike.
#ifndef RULEWEAVE_TOOLS_COMMANDS_H_
#define RULEWEAVE_TOOLS_COMMANDS_H_

#include <cstddef>
#include <iosfwd>
#include <string>
#include <vector>

class QXQueryCancel;

namespace ruleweave_cli {

// Exit statuses of the program.
enum ExitStatus {
  kExitOk = 0,
  kExitBadInput = 1,      // bad input data or usage
  kExitLibraryError = 2,  // the library reported an error status, or the output failed
  kExitNoModel = 3,       // search: no rule beats the base rate, so there is no model
  kExitCancelled = 130,   // interrupted with Ctrl-C
};

// What a run knows of its surroundings besides its streams.
struct RunContext {
  QXQueryCancel* cancel = nullptr;  // asked during every long pass; none: never cancelled
  std::istream* in = nullptr;       // what the file "-" reads; none: std::cin
  bool errIsTerminal = false;       // progress is shown by default only on a terminal
  std::size_t outColumns = 0;       // width of the terminal on `out`; 0: not a terminal
};

// Results go to `out`; messages, warnings, progress and timings to `err`. A failure is reported
// on `err` as "ruleweave: ..." and ends the command with its exit status; output files are then
// not written. Output files are written before the results are printed; a standard output
// closed by its reader (a pipe into `head`) ends the printing quietly with status 0.
int RunSearch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const RunContext& context = RunContext());
int RunScore(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const RunContext& context = RunContext());
int RunDescribe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const RunContext& context = RunContext());
int RunDemo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const RunContext& context = RunContext());

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_COMMANDS_H_
