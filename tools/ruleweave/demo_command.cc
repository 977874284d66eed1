// `ruleweave demo`: a search of the built-in sample table of a mail campaign.
#include <ostream>

#include "demo_data.h"
#include "output_file.h"
#include "search_command.h"

namespace ruleweave_cli {

namespace {

const char kDemoHelp[] =
    "Usage: ruleweave demo [OPTIONS]\n"
    "\n"
    "Searches a built-in table of 4000 customers of a mail campaign (generated the same way\n"
    "every time) for the groups that responded best, and prints the result. It runs\n"
    "  ruleweave search demo.csv --target responded --response yes --ignore customer_id \\\n"
    "      --ordinal education --levels 'education=basic|secondary|higher'\n"
    "\n"
    "  --write-csv FILE     write the demo table to FILE as well, to try other commands on\n"
    "  --customers N        size of the table (default 4000)\n"
    "  --pmml FILE, and the search and output options of `ruleweave search`\n"
    "\n"
    "Examples:\n"
    "  ruleweave demo\n"
    "  ruleweave demo --write-csv customers.csv --pmml demo.pmml\n"
    "  ruleweave demo --holdout 0.3 --models all\n";

}  // namespace

int RunDemo(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
            const RunContext& context) {
  return RunCommand("demo", out, err, context, [&](CommandIo& io) -> int {
    SearchOptions search;
    OutputOptions output;
    std::string csvPath;
    int customers = 4000;
    const OptionTable demoOnly = {
        {"write-csv", 0, true, [&](const std::string& value) { csvPath = value; }},
        {"customers", 0, true,
         [&](const std::string& value) { customers = WholeNumber("customers", value, 10); }},
    };
    const ParsedArgs parsed =
        ParseArgs(args,
                  Join({SearchOptionTable(search), OutputOptionTable(output),
                        ModelOutputOptionTable(output), TimingsOptionTable(output), demoOnly}),
                  "demo");
    if (parsed.help) {
      io.out << kDemoHelp << '\n'
             << SearchOptionsHelp() << '\n'
             << kOutputHelp << kModelOutputHelp << kTimingsHelp;
      return kExitOk;
    }
    if (!parsed.positional.empty()) throw UsageError("demo: takes no file argument");
    std::string text = GenerateDemoCsv(customers);
    if (!csvPath.empty()) WriteFileAtomically(csvPath, text);

    ColumnOptions columns;
    columns.target = kDemoTarget;
    search.response = kDemoResponse;
    search.haveResponse = true;
    columns.ignore = {kDemoIgnore};
    columns.ordinal = {kDemoOrdinal};
    const std::string levels = kDemoLevels;
    const std::size_t eq = levels.find('=');
    columns.levels[levels.substr(0, eq)] = SplitList(levels.substr(eq + 1), '|');
    if (output.format == OutputFormat::kTable) {
      io.out << "Demo: " << customers
             << " customers of a mail campaign; which groups responded best?\n"
             << "(ruleweave search demo.csv --target responded --response yes --ignore "
                "customer_id --ordinal education)\n\n";
    }
    return SearchData(DataSource::Text("demo.csv", std::move(text)), columns, search, output, io);
  });
}

}  // namespace ruleweave_cli
