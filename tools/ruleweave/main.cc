// `ruleweave`: search, score and describe delimited files with the decision-list library.
// The process's edge: the real streams, the terminal check and Ctrl-C.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "cli.h"
#include "table_loader.h"

int main(int argc, char** argv) {
  ruleweave_cli::InterruptCancel cancel;  // installs the SIGINT handler
  ruleweave_cli::RunContext context;
  context.cancel = &cancel;
  context.errIsTerminal = isatty(STDERR_FILENO) == 1;
  const std::vector<std::string> args(argv + 1, argv + argc);
  return ruleweave_cli::Main(args, std::cout, std::cerr, context);
}
