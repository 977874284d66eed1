// `ruleweave`: search, score and describe delimited files with the decision-list library.
// The process's edge: the real streams, the terminal checks, Ctrl-C and a closed pipe.
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "cli.h"
#include "table_loader.h"
#include "terminal_width.h"

int main(int argc, char** argv) {
  // A reader that closes standard output early (`| head`) must not kill the program before its
  // output files are in place: writes then fail with EPIPE, which the commands look for.
  std::signal(SIGPIPE, SIG_IGN);
  ruleweave_cli::InterruptCancel cancel;  // installs the SIGINT handler
  ruleweave_cli::RunContext context;
  context.cancel = &cancel;
  context.errIsTerminal = isatty(STDERR_FILENO) == 1;
  context.outColumns = ruleweave_cli::TerminalColumns(STDOUT_FILENO);
  const std::vector<std::string> args(argv + 1, argv + argc);
  return ruleweave_cli::Main(args, std::cout, std::cerr, context);
}
