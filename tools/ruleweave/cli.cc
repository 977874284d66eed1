// `ruleweave COMMAND ...`: finds the command and runs it; the general help and the version.
#include "cli.h"

#include <memory>
#include <ostream>

#include <ruleweave/ruleweave.h>

#include "command_support.h"

namespace ruleweave_cli {

namespace {

const char kGeneralHelp[] =
    "Usage: ruleweave COMMAND [OPTIONS] ...\n"
    "\n"
    "Finds decision lists (ordered rules that pick out groups with a high or low rate of one\n"
    "target category) in a CSV file, and scores such rules on new data.\n"
    "\n"
    "Commands:\n"
    "  search DATA.csv --target COL --response VALUE   search for rules and print them\n"
    "  score MODEL.pmml DATA.csv                       measure a saved model on data\n"
    "  describe DATA.csv                               show how each column would be read\n"
    "  demo                                            search a built-in sample table\n"
    "\n"
    "Options:\n"
    "  -h, --help      this text; `ruleweave COMMAND --help` (or `ruleweave help COMMAND`)\n"
    "                  explains a command\n"
    "  -V, --version   print the library's version\n"
    "\n"
    "Examples:\n"
    "  ruleweave demo\n"
    "  ruleweave search customers.csv --target responded --response yes --pmml rules.pmml\n"
    "  ruleweave score rules.pmml new_customers.csv --output scored.csv\n"
    "\n"
    "Exit status: 0 success, 1 bad input or usage, 2 library error or failed output, 3 no\n"
    "model found (search, demo), 130 interrupted.\n";

using Command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&,
                        const RunContext&);

struct CommandEntry {
  const char* name;
  Command run;
};

const CommandEntry kCommands[] = {
    {"search", RunSearch},
    {"score", RunScore},
    {"describe", RunDescribe},
    {"demo", RunDemo},
};

Command Find(const std::string& name) {
  for (const CommandEntry& entry : kCommands) {
    if (name == entry.name) return entry.run;
  }
  return nullptr;
}

int UnknownCommand(const std::string& name, std::ostream& err) {
  err << "ruleweave: unknown command \"" << name << "\"\n"
      << "Try `ruleweave --help`.\n";
  return kExitBadInput;
}

}  // namespace

int Main(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
         const RunContext& context) {
  if (args.empty()) {
    err << kGeneralHelp;
    return kExitBadInput;
  }
  const std::string& first = args[0];
  if (first == "-h" || first == "--help" || (first == "help" && args.size() == 1)) {
    out << kGeneralHelp;
    return kExitOk;
  }
  if (first == "help") {
    const Command command = Find(args[1]);
    if (command == nullptr) return UnknownCommand(args[1], err);
    return command({"--help"}, out, err, context);
  }
  if (first == "-V" || first == "--version") {
    return RunCommand("", out, err, context, [](CommandIo& io) -> int {
      DLSettings settings;
      std::unique_ptr<IDLAlgorithm> algorithm(DLFactory().CreateAlgorithm(settings));
      io.out << algorithm->GetVersion() << '\n';
      return kExitOk;
    });
  }
  const Command command = Find(first);
  if (command == nullptr) return UnknownCommand(first, err);
  return command(std::vector<std::string>(args.begin() + 1, args.end()), out, err, context);
}

}  // namespace ruleweave_cli
