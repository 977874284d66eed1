// The command-line program's dispatcher: the general help and version, and one command run
// with the rest of the arguments.
#ifndef RULEWEAVE_TOOLS_CLI_H_
#define RULEWEAVE_TOOLS_CLI_H_

#include <iosfwd>
#include <string>
#include <vector>

#include "commands.h"

namespace ruleweave_cli {

// Runs `ruleweave ARGS...` (the program's name not included) and returns the exit status.
// `ruleweave help COMMAND` is `ruleweave COMMAND --help`. Results go to `out`, messages and
// progress to `err`.
int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
         const RunContext& context = RunContext());

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_CLI_H_
