// The command-line program's entry point: parses the command line and runs one command.
#ifndef RULEWEAVE_TOOLS_CLI_H_
#define RULEWEAVE_TOOLS_CLI_H_

namespace ruleweave_cli {

// Exit statuses of the program.
enum ExitStatus {
  kExitOk = 0,
  kExitBadInput = 1,      // bad input data or usage
  kExitLibraryError = 2,  // the library reported an error status
  kExitCancelled = 130,   // interrupted with Ctrl-C
};

// Runs `ruleweave` with the given arguments and returns the exit status. Results go to standard
// output, messages and progress to standard error.
int Main(int argc, char** argv);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_CLI_H_
