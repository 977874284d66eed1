// The command line of one command: a table-driven long-option parser (no global state, so
// commands parse alike in the program and in tests) and the option tables of each family of
// options (reading the file, searching, output), each filling its own struct.
#ifndef RULEWEAVE_TOOLS_OPTIONS_H_
#define RULEWEAVE_TOOLS_OPTIONS_H_

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include <ruleweave/ruleweave.h>

#include "column_plan.h"
#include "defaults.h"
#include "report.h"

namespace ruleweave_cli {

// One option: `--name`, optionally also `-letter`. An option that takes a value gets it from
// `--name=VALUE` or from the next argument (whatever that argument looks like). `apply` stores
// the value in an options struct and throws UsageError when the value does not fit.
struct OptionDef {
  std::string name;  // without the dashes
  char letter = 0;   // one-letter alias, 0 for none
  bool takesValue = false;
  std::function<void(const std::string& value)> apply;
};
using OptionTable = std::vector<OptionDef>;

struct ParsedArgs {
  std::vector<std::string> positional;  // in order; "-" is one of them (standard input)
  bool help = false;                    // -h or --help was given
};

// Parses the arguments of `ruleweave COMMAND` (the command name not included) against `table`;
// -h/--help is always known. Options and positional arguments may come in any order; after
// `--` every argument is positional. A long option may be shortened to any prefix that names
// one option only. Throws UsageError for an unknown option, a missing value or a value given to
// a switch; options are applied in order, so the first bad one is reported.
ParsedArgs ParseArgs(const std::vector<std::string>& args, const OptionTable& table,
                     const std::string& command);

// The entries of the tables, in order.
OptionTable Join(std::initializer_list<OptionTable> tables);
// The entries of `table` with the given names only.
OptionTable Only(const OptionTable& table, std::initializer_list<const char*> names);

// Non-empty parts of `text` between separators.
std::vector<std::string> SplitList(const std::string& text, char separator);

// How results are printed and what goes to standard error besides them.
struct OutputOptions {
  OutputFormat format = OutputFormat::kTable;
  bool quiet = false;           // no progress, no notes
  bool timings = false;         // time and memory of each stage
  bool progressAlways = false;  // progress even when standard error is not a terminal
  long width = -1;              // --width: table width (0: no limit); -1: the terminal's
  std::string sqlPath;          // --sql: the chosen model as an SQL expression
  std::string reportPath;       // --report: the chosen model as an HTML page
};

// The smallest group a condition may select: a number of cases, or a share of the weighted
// cases that never goes below the floor.
struct MinGroup {
  bool isShare = true;
  double share = kDefaults.minGroupShare;
  int count = 0;
  // The number of cases for a table of `weightedCases` cases.
  int Resolve(double weightedCases) const;
};

// Reads "N" (a whole number of at least 1) or "P%" (0 < P <= 100). Throws UsageError.
MinGroup ParseMinGroup(const std::string& text);

// What to search for and with which parameters, and which models to show and save.
struct SearchOptions {
  SearchOptions();  // sets the program's defaults (kDefaults)
  DLParameters params;
  MinGroup minGroup;
  std::string response;
  bool haveResponse = false;
  std::string pmmlPath;
  int modelIndex = 0;                       // the K-th model shown, from 1; 0: the best one
  int shownModels = kDefaults.shownModels;  // 0: all
  double holdout = 0;                       // share of the rows kept out of the search; 0: none
  std::uint64_t seed = kDefaults.seed;
};

// --delimiter --na --continuous --nominal --ordinal --levels --ignore --weight --target
OptionTable ColumnOptionTable(ColumnOptions& columns);
// --response, the search parameters, --pmml --model
OptionTable SearchOptionTable(SearchOptions& search);
// --format --quiet --progress
OptionTable OutputOptionTable(OutputOptions& output);
// --width --sql --report, for the commands that print models
OptionTable ModelOutputOptionTable(OutputOptions& output);
// --timings, for the commands that time a search
OptionTable TimingsOptionTable(OutputOptions& output);

// Whole-number options accept at most this, unless they say less.
constexpr long kMaxWholeNumber = 1000000000L;
// The most bins a continuous column may get: the data set stores bin codes in one byte and
// keeps the code 255 for a missing value.
constexpr long kMaxBins = 255;

// A whole number option value from `min` to `max`; refusals of a value too large name the
// range and `why` (when given) says where the limit comes from.
int WholeNumber(const std::string& option, const std::string& text, long min,
                long max = kMaxWholeNumber, const char* why = nullptr);

// Help texts of the option families, for the commands' --help.
std::string ColumnHelp();
std::string SearchOptionsHelp();
extern const char kOutputHelp[];
extern const char kModelOutputHelp[];
extern const char kTimingsHelp[];

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_OPTIONS_H_
