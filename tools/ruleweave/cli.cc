// The commands of `ruleweave` (search, score, describe, demo), their options and help texts.
#include "cli.h"

#include <getopt.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <ruleweave/ruleweave.h>

#include "column_plan.h"
#include "csv_reader.h"
#include "demo_data.h"
#include "pmml_fields.h"
#include "report.h"
#include "rule_text.h"
#include "table_loader.h"

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
    "  -h, --help      this text; `ruleweave COMMAND --help` explains a command\n"
    "  -V, --version   print the library's version\n"
    "\n"
    "Examples:\n"
    "  ruleweave demo\n"
    "  ruleweave search customers.csv --target responded --response yes --pmml rules.pmml\n"
    "  ruleweave score rules.pmml new_customers.csv --output scored.csv\n"
    "\n"
    "Exit status: 0 success, 1 bad input or usage, 2 library error, 130 interrupted.\n";

const char kColumnHelp[] =
    "Reading the file:\n"
    "  --delimiter C        field delimiter (default ','; 'tab' for a tab)\n"
    "  --na TOKEN           another text that means a missing value (repeatable; empty\n"
    "                       fields and '?' are always missing)\n"
    "  --continuous A,B     read these columns as numbers\n"
    "  --nominal A,B        read these columns as unordered categories\n"
    "  --ordinal A,B        read these columns as ordered categories\n"
    "  --levels COL=a|b|c   the order of an ordinal column's categories (repeatable)\n"
    "  --ignore A,B         leave these columns out\n"
    "  --weight COL         a frequency weight per row (rounded; 0 or less drops the row)\n"
    "Unlisted columns are continuous when every value is a number, else nominal.\n";

const char kSearchOptionsHelp[] =
    "Search:\n"
    "  --list-depth N       rules per list (default 5)\n"
    "  --list-width N       lists kept at each step (default 5)\n"
    "  --rule-depth N       conditions per rule (default 3)\n"
    "  --rule-width N       rules kept at each step (default 5)\n"
    "  --bins N             bins per continuous column (default 100)\n"
    "  --binning width|frequency   equal-width or equal-frequency bins (default width)\n"
    "  --confidence P       confidence of the condition tests (default 0.95)\n"
    "  --min-group N        smallest group a condition may select (default 1)\n"
    "  --growth F           segment growth factor, > 1 (default 2.0)\n"
    "  --decay N            group size decay (default 0)\n"
    "  --no-missing         conditions may not select missing values\n"
    "  --no-reuse           a rule tests each column at most once\n"
    "  --all-levels         report the lists of every step, not only the final ones\n"
    "  --down               look for low rates instead of high ones\n";

const char kOutputHelp[] =
    "Output:\n"
    "  --format table|csv|json   how results are printed (default table)\n"
    "  --quiet              no progress on standard error\n"
    "  --progress           progress even when standard error is not a terminal\n"
    "  --timings            report time and memory of reading, loading and searching on\n"
    "                       standard error\n";

const char kSearchHelp[] =
    "Usage: ruleweave search DATA.csv --target COL --response VALUE [OPTIONS]\n"
    "\n"
    "Loads DATA.csv, searches for decision lists whose rules select cases with a high rate of\n"
    "COL = VALUE, and prints every resulting model as a table: per rule its conditions,\n"
    "coverage, responses, rate with its 95% interval, lift over the base rate and the\n"
    "cumulative coverage and rate; then the remainder (cases no rule takes).\n"
    "\n"
    "  --target COL         the categorical column to explain (required)\n"
    "  --response VALUE     the category of COL that counts as a response (required)\n"
    "  --pmml FILE          write one model as PMML 3.0 to FILE\n"
    "  --model K            which model --pmml writes (default 1)\n"
    "\n";

const char kSearchExamples[] =
    "\n"
    "Examples:\n"
    "  ruleweave search bank.csv --target y --response yes\n"
    "  ruleweave search bank.csv --target y --response yes --ignore id --list-depth 3 \\\n"
    "      --pmml bank.pmml --format json\n";

const char kScoreHelp[] =
    "Usage: ruleweave score MODEL.pmml DATA.csv [OPTIONS]\n"
    "\n"
    "Reads a model written by `ruleweave search --pmml`, measures it on DATA.csv (each case\n"
    "goes to the first rule that covers it) and prints the same table as search. The file\n"
    "must hold every column the model uses, with numbers where the model has numbers;\n"
    "categories the model never saw simply match no rule.\n"
    "\n"
    "  --output FILE        write DATA.csv again with two more columns: the rule that took\n"
    "                       each row (L.R, list and rule from 1, or 'remainder') and that\n"
    "                       rule's response rate\n"
    "  --delimiter C        field delimiter (default ',')\n"
    "  --na TOKEN           another text that means a missing value (repeatable)\n"
    "  --weight COL         a frequency weight per row\n"
    "\n";

const char kScoreExamples[] =
    "\n"
    "Example:\n"
    "  ruleweave score bank.pmml bank_2025.csv --output bank_2025_scored.csv\n";

const char kDescribeHelp[] =
    "Usage: ruleweave describe DATA.csv [OPTIONS]\n"
    "\n"
    "Shows each column as search would read it: its kind, number of distinct values, missing\n"
    "values, the range of continuous columns and the categories (with counts) of categorical\n"
    "ones.\n"
    "\n"
    "  --target COL         show this column as the target\n"
    "  --max-categories N   categories listed per column (default 10)\n"
    "\n";

const char kDescribeExamples[] =
    "\n"
    "Example:\n"
    "  ruleweave describe bank.csv --ordinal education --ignore id\n";

const char kDemoHelp[] =
    "Usage: ruleweave demo [OPTIONS]\n"
    "\n"
    "Searches a built-in table of 4000 customers of a mail campaign (generated the same way\n"
    "every time) for the groups that responded best, and prints the result. It runs\n"
    "  ruleweave search demo.csv --target responded --response yes --ignore customer_id \\\n"
    "      --ordinal education --levels 'education=basic|secondary|higher' --bins 10 \\\n"
    "      --min-group 100\n"
    "\n"
    "  --write-csv FILE     write the demo table to FILE as well, to try other commands on\n"
    "  --customers N        size of the table (default 4000)\n"
    "  --pmml FILE, --model K, and the search and output options of `ruleweave search`\n"
    "\n"
    "Examples:\n"
    "  ruleweave demo\n"
    "  ruleweave demo --write-csv customers.csv --pmml demo.pmml\n";

// ---------------------------------------------------------------------------------------------
// Options.

struct Options {
  ColumnOptions columns;
  std::string response;
  bool haveResponse = false;
  DLParameters params;
  OutputFormat format = OutputFormat::kTable;
  bool quiet = false;
  bool timings = false;
  bool progressAlways = false;
  std::string pmmlPath;
  int modelIndex = 1;
  std::string outputPath;
  int maxCategories = 10;
  std::string demoCsvPath;
  int customers = 4000;
  std::vector<std::string> positional;
};

enum OptionId {
  kOptHelp = 'h',
  kOptDelimiter = 1000,
  kOptNa,
  kOptContinuous,
  kOptNominal,
  kOptOrdinal,
  kOptLevels,
  kOptIgnore,
  kOptWeight,
  kOptTarget,
  kOptResponse,
  kOptListDepth,
  kOptListWidth,
  kOptRuleDepth,
  kOptRuleWidth,
  kOptBins,
  kOptBinning,
  kOptConfidence,
  kOptMinGroup,
  kOptGrowth,
  kOptDecay,
  kOptNoMissing,
  kOptNoReuse,
  kOptAllLevels,
  kOptDown,
  kOptFormat,
  kOptQuiet,
  kOptPmml,
  kOptModel,
  kOptOutput,
  kOptMaxCategories,
  kOptWriteCsv,
  kOptCustomers,
  kOptTimings,
  kOptProgress,
};

const option kColumnOptions[] = {
    {"delimiter", required_argument, nullptr, kOptDelimiter},
    {"na", required_argument, nullptr, kOptNa},
    {"continuous", required_argument, nullptr, kOptContinuous},
    {"nominal", required_argument, nullptr, kOptNominal},
    {"ordinal", required_argument, nullptr, kOptOrdinal},
    {"levels", required_argument, nullptr, kOptLevels},
    {"ignore", required_argument, nullptr, kOptIgnore},
    {"weight", required_argument, nullptr, kOptWeight},
    {"target", required_argument, nullptr, kOptTarget},
};
const option kSearchOptions[] = {
    {"response", required_argument, nullptr, kOptResponse},
    {"list-depth", required_argument, nullptr, kOptListDepth},
    {"list-width", required_argument, nullptr, kOptListWidth},
    {"rule-depth", required_argument, nullptr, kOptRuleDepth},
    {"rule-width", required_argument, nullptr, kOptRuleWidth},
    {"bins", required_argument, nullptr, kOptBins},
    {"binning", required_argument, nullptr, kOptBinning},
    {"confidence", required_argument, nullptr, kOptConfidence},
    {"min-group", required_argument, nullptr, kOptMinGroup},
    {"growth", required_argument, nullptr, kOptGrowth},
    {"decay", required_argument, nullptr, kOptDecay},
    {"no-missing", no_argument, nullptr, kOptNoMissing},
    {"no-reuse", no_argument, nullptr, kOptNoReuse},
    {"all-levels", no_argument, nullptr, kOptAllLevels},
    {"down", no_argument, nullptr, kOptDown},
    {"pmml", required_argument, nullptr, kOptPmml},
    {"model", required_argument, nullptr, kOptModel},
};
const option kOutputOptions[] = {
    {"format", required_argument, nullptr, kOptFormat},
    {"quiet", no_argument, nullptr, kOptQuiet},
    {"timings", no_argument, nullptr, kOptTimings},
    {"progress", no_argument, nullptr, kOptProgress},
    {"help", no_argument, nullptr, kOptHelp},
};

std::vector<std::string> SplitList(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

void Append(std::vector<std::string>& to, const std::string& list) {
  for (auto& item : SplitList(list, ',')) to.push_back(item);
}

long WholeNumber(const char* option, const char* text, long min) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || value < min || value > 1000000000L) {
    throw UsageError(std::string("--") + option + ": expected a whole number of at least " +
                     std::to_string(min) + ", got \"" + text + "\"");
  }
  return value;
}

double RealNumber(const char* option, const char* text) {
  double value = 0;
  if (!ParseNumber(text, value)) {
    throw UsageError(std::string("--") + option + ": expected a number, got \"" + text + "\"");
  }
  return value;
}

// Parses the options of one command. `allowed` holds the option tables the command accepts.
Options ParseOptions(int argc, char** argv, const std::vector<std::vector<option>>& allowed,
                     bool& helpWanted) {
  std::vector<option> table;
  for (const auto& group : allowed) table.insert(table.end(), group.begin(), group.end());
  table.push_back({nullptr, 0, nullptr, 0});
  Options o;
  // The program's defaults; the library's own are one list level and one condition per rule.
  o.params.SetListDepth(5);
  o.params.SetListWidth(5);
  o.params.SetRuleDepth(3);
  o.params.SetRuleWidth(5);
  helpWanted = false;
  opterr = 0;
  optind = 1;
  const char* command = argv[0];
  for (;;) {
    int index = -1;
    const int id = getopt_long(argc, argv, ":h", table.data(), &index);
    if (id == -1) break;
    const char* name = index >= 0 ? table[static_cast<std::size_t>(index)].name : "";
    const char* arg = optarg;
    switch (id) {
      case kOptHelp:
        helpWanted = true;
        break;
      case ':':
        throw UsageError(std::string(argv[optind - 1]) + ": this option needs a value");
      case '?':
        throw UsageError(std::string("unknown option ") +
                         (optopt ? std::string("-") + static_cast<char>(optopt)
                                 : std::string(argv[optind - 1])) +
                         " for `ruleweave " + command + "`");
      case kOptDelimiter:
        if (std::strcmp(arg, "tab") == 0 || std::strcmp(arg, "\\t") == 0) arg = "\t";
        if (std::strlen(arg) != 1 || arg[0] == '"' || arg[0] == '\n' || arg[0] == '\r') {
          throw UsageError(
              "--delimiter: expected one character other than a quote or line "
              "break, got \"" +
              std::string(arg) + "\"");
        }
        o.columns.delimiter = arg[0];
        break;
      case kOptNa:
        o.columns.missing.Add(arg);
        break;
      case kOptContinuous:
        Append(o.columns.continuous, arg);
        break;
      case kOptNominal:
        Append(o.columns.nominal, arg);
        break;
      case kOptOrdinal:
        Append(o.columns.ordinal, arg);
        break;
      case kOptIgnore:
        Append(o.columns.ignore, arg);
        break;
      case kOptLevels: {
        const std::string text = arg;
        const std::size_t eq = text.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == text.size()) {
          throw UsageError("--levels: expected COLUMN=a|b|c, got \"" + text + "\"");
        }
        o.columns.levels[text.substr(0, eq)] = SplitList(text.substr(eq + 1), '|');
        break;
      }
      case kOptWeight:
        o.columns.weight = arg;
        break;
      case kOptTarget:
        o.columns.target = arg;
        break;
      case kOptResponse:
        o.response = arg;
        o.haveResponse = true;
        break;
      case kOptListDepth:
        o.params.SetListDepth(static_cast<int>(WholeNumber(name, arg, 1)));
        break;
      case kOptListWidth:
        o.params.SetListWidth(static_cast<int>(WholeNumber(name, arg, 1)));
        break;
      case kOptRuleDepth:
        o.params.SetRuleDepth(static_cast<int>(WholeNumber(name, arg, 1)));
        break;
      case kOptRuleWidth:
        o.params.SetRuleWidth(static_cast<int>(WholeNumber(name, arg, 1)));
        break;
      case kOptBins:
        o.params.SetNumOfBins(static_cast<int>(WholeNumber(name, arg, 2)));
        break;
      case kOptBinning:
        if (std::strcmp(arg, "width") == 0) {
          o.params.SetBinningType(DLConst::EqualWidth);
        } else if (std::strcmp(arg, "frequency") == 0) {
          o.params.SetBinningType(DLConst::EqualFrequency);
        } else {
          throw UsageError(std::string("--binning: expected width or frequency, got \"") + arg +
                           "\"");
        }
        break;
      case kOptConfidence:
        if (!o.params.SetConfLevel(RealNumber(name, arg))) {
          throw UsageError(std::string("--confidence: expected a number between 0 and 1, got \"") +
                           arg + "\"");
        }
        break;
      case kOptMinGroup:
        o.params.SetMinGroupSize(static_cast<int>(WholeNumber(name, arg, 1)));
        break;
      case kOptGrowth:
        if (!o.params.SetSegmentGrowthFactor(RealNumber(name, arg))) {
          throw UsageError(std::string("--growth: expected a number greater than 1, got \"") + arg +
                           "\"");
        }
        break;
      case kOptDecay:
        o.params.SetGroupDecay(static_cast<int>(WholeNumber(name, arg, 0)));
        break;
      case kOptNoMissing:
        o.params.AllowMissing(false);
        break;
      case kOptNoReuse:
        o.params.SetAttributeReusable(false);
        break;
      case kOptAllLevels:
        o.params.SetFinalResultsOnly(false);
        break;
      case kOptDown:
        o.params.SetSearchDirection(DLConst::Down);
        break;
      case kOptFormat:
        if (std::strcmp(arg, "table") == 0) {
          o.format = OutputFormat::kTable;
        } else if (std::strcmp(arg, "csv") == 0) {
          o.format = OutputFormat::kCsv;
        } else if (std::strcmp(arg, "json") == 0) {
          o.format = OutputFormat::kJson;
        } else {
          throw UsageError(std::string("--format: expected table, csv or json, got \"") + arg +
                           "\"");
        }
        break;
      case kOptQuiet:
        o.quiet = true;
        break;
      case kOptTimings:
        o.timings = true;
        break;
      case kOptProgress:
        o.progressAlways = true;
        break;
      case kOptPmml:
        o.pmmlPath = arg;
        break;
      case kOptModel:
        o.modelIndex = static_cast<int>(WholeNumber(name, arg, 1));
        break;
      case kOptOutput:
        o.outputPath = arg;
        break;
      case kOptMaxCategories:
        o.maxCategories = static_cast<int>(WholeNumber(name, arg, 0));
        break;
      case kOptWriteCsv:
        o.demoCsvPath = arg;
        break;
      case kOptCustomers:
        o.customers = static_cast<int>(WholeNumber(name, arg, 10));
        break;
      default:
        throw UsageError("unexpected option");
    }
  }
  for (int i = optind; i < argc; ++i) o.positional.push_back(argv[i]);
  return o;
}

// ---------------------------------------------------------------------------------------------
// Shared steps.

// Writes a file through a temporary name in the same directory, renamed only when everything
// was written, so a failure or an interrupt never leaves a partial file under `path`.
class AtomicFile {
 public:
  explicit AtomicFile(std::string path) : mPath(std::move(path)) {
    mTemp = mPath + ".tmp-" + std::to_string(getpid());
    mOut.open(mTemp, std::ios::binary | std::ios::trunc);
    if (!mOut) {
      throw InputError(mPath, 0, 0,
                       std::string("cannot create the output file: ") + std::strerror(errno));
    }
  }
  ~AtomicFile() {
    if (!mCommitted) {
      mOut.close();
      std::remove(mTemp.c_str());
    }
  }
  std::ostream& Stream() { return mOut; }
  void Commit() {
    mOut.flush();
    mOut.close();
    if (mOut.fail()) throw InputError(mPath, 0, 0, "writing the output file failed");
    if (std::rename(mTemp.c_str(), mPath.c_str()) != 0) {
      throw InputError(
          mPath, 0, 0,
          std::string("cannot move the output file in place: ") + std::strerror(errno));
    }
    mCommitted = true;
  }

 private:
  std::string mPath;
  std::string mTemp;
  std::ofstream mOut;
  bool mCommitted = false;
};

// Peak resident memory of the process so far in megabytes (Linux; -1 elsewhere).
double PeakMemoryMb() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
  }
  return -1;
}

// Bytes the loaded data set holds per case: 8 for a continuous column, 4 for the weight, 1 for
// a category code (4 with large categories).
double DataSetBytesPerCase(const TablePlan& plan) {
  double bytes = 0;
  for (const ColumnPlan& column : plan.columns) {
    if (column.kind == ColumnKind::kContinuous) {
      bytes += 8;
    } else if (column.kind == ColumnKind::kWeight) {
      bytes += 4;
    } else {
      bytes += plan.largeCategories ? 4 : 1;
    }
  }
  return bytes;
}

// Processor time the process has used so far (user and system), in seconds.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Warn(const std::string& text) { std::cerr << "ruleweave: warning: " << text << '\n'; }

// Distinct values kept per unlisted column during the first pass: enough to tell whether a
// text column needs large categories.
constexpr std::size_t kScanDistinctCap = 1024;

// First pass over a file: profiles and plans the columns.
LoadedTable PlanFile(const DataSource& source, const ColumnOptions& columns,
                     ConsoleProgress& progress, InterruptCancel& cancel) {
  std::unique_ptr<std::istream> in = source.Open();
  CsvReader reader(*in, source.Name(), columns.delimiter);
  reader.ReadHeader();
  CheckColumnOptions(reader.Header(), columns);
  progress.SetStage("reading " + source.Name());
  const std::string stage = "reading " + source.Name();
  auto profiles = ProfileColumns(reader, columns, kScanDistinctCap, [&](std::int64_t rows) {
    progress.Rows(stage, rows);
    return !cancel.IsCancelled();
  });
  progress.Done();
  LoadedTable table;
  table.header = reader.Header();
  table.plan = PlanTable(profiles, columns, source.Name());
  return table;
}

double OrNaN(double value) { return QXMV::IsMissing(value) ? std::nan("") : value; }

// The report of one model, measured on the data set it points to.
ModelReport BuildReport(const DLModel& model, int number, const DLVarList& vars, int missingCode) {
  ModelReport report;
  report.number = number;
  const DLList* first = model.GetList(0);
  if (first && first->GetDataQuery()) {
    report.target = first->GetDataQuery()->GetTargetName();
    report.response = first->GetDataQuery()->GetResponseVal();
  }
  // The lists are stages (each works on the previous one's remainder), so their measures and
  // the last remainder add up to the model's cases.
  double coverage = 0;
  double responses = 0;
  for (int l = 0; l < model.GetNumOfLists(); ++l) {
    coverage += model.GetList(l)->GetMeasure().GetCoverage();
    responses += model.GetList(l)->GetMeasure().GetResponse();
  }
  std::unique_ptr<DLMeasure> rest(model.GetRemainderMeasure());
  const DLMeasure remainder = rest ? *rest : DLMeasure();
  report.cases = coverage + remainder.GetCoverage();
  report.responses = responses + remainder.GetResponse();
  report.baseRate = report.cases > 0 ? report.responses / report.cases : std::nan("");

  auto row = [&](const DLMeasure& m) {
    RuleRow out;
    out.coverage = m.GetCoverage();
    out.responses = m.GetResponse();
    out.rate = OrNaN(m.GetProbability());
    out.lower = OrNaN(m.GetLowerProbabilityBoundary());
    out.upper = OrNaN(m.GetUpperProbabilityBoundary());
    out.lift = report.baseRate > 0 ? out.rate / report.baseRate : std::nan("");
    return out;
  };
  double cumCoverage = 0;
  double cumResponses = 0;
  const bool several = model.GetNumOfLists() > 1;
  for (int l = 0; l < model.GetNumOfLists(); ++l) {
    const DLList* list = model.GetList(l);
    for (int r = 0; r < list->GetNumOfRules(); ++r) {
      const DLRule* rule = list->GetRule(r);
      RuleRow out = row(rule->GetMeasure());
      out.id =
          several ? std::to_string(l + 1) + "." + std::to_string(r + 1) : std::to_string(r + 1);
      out.conditions = RuleText(*rule, vars, missingCode);
      cumCoverage += out.coverage;
      cumResponses += out.responses;
      out.cumulativeCoverage = cumCoverage;
      out.cumulativeRate = cumCoverage > 0 ? cumResponses / cumCoverage : std::nan("");
      report.rows.push_back(out);
    }
  }
  RuleRow last = row(remainder);
  last.id = "-";
  last.conditions = "remainder";
  last.remainder = true;
  report.rows.push_back(last);
  return report;
}

void CheckStatus(const QXDecision::QXStatus& status, const std::string& what) {
  if (status.GetErrorCode() == 1 && status.IsError()) throw Cancelled{};
  if (status.IsError()) throw LibraryError(what, status);
}

// The canonical text of the response value, checked against the target's categories.
std::string CheckResponse(const TablePlan& plan, const std::string& response) {
  const ColumnPlan& target = plan.columns[static_cast<std::size_t>(plan.targetIndex)];
  std::string known;
  const bool numeric =
      target.kind == ColumnKind::kNominalNumeric || target.kind == ColumnKind::kOrdinalNumeric;
  const std::size_t shown = std::min<std::size_t>(target.numCategories, 10);
  for (std::size_t i = 0; i < shown; ++i) {
    if (i) known += ", ";
    known += numeric ? FormatNumber(target.numericCategories[i]) : target.stringCategories[i];
  }
  if (target.numCategories > shown) known += ", ...";
  if (numeric) {
    double value = 0;
    if (ParseNumber(response, value)) {
      for (double v : target.numericCategories) {
        if (v == value) return FormatNumber(v);
      }
    }
  } else {
    for (const std::string& v : target.stringCategories) {
      if (v == response) return v;
    }
  }
  throw UsageError("--response: the value \"" + response + "\" does not occur in the target " +
                   "column \"" + target.name + "\" (" +
                   (known.empty() ? std::string("it has no values") : "its values: " + known) +
                   ")");
}

// Whether two models hold the same rules in the same order, list by list. Rules compare by
// their conditions, whatever the order of those within a rule: the beam can keep a list twice when
// its rules were grown through the same conditions in another order.
bool SameRules(const DLModel& a, const DLModel& b) {
  if (a.GetNumOfLists() != b.GetNumOfLists()) return false;
  for (int l = 0; l < a.GetNumOfLists(); ++l) {
    const DLList& la = *a.GetList(l);
    const DLList& lb = *b.GetList(l);
    if (la.GetNumOfRules() != lb.GetNumOfRules()) return false;
    for (int r = 0; r < la.GetNumOfRules(); ++r) {
      if (!(*la.GetRule(r) == *lb.GetRule(r))) return false;
    }
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// search and demo.

int SearchSource(const DataSource& source, Options& o) {
  if (o.columns.target.empty()) throw UsageError("search: --target COL is required");
  if (!o.haveResponse) throw UsageError("search: --response VALUE is required");
  InterruptCancel cancel;
  ConsoleProgress progress(!o.quiet, o.progressAlways);
  const auto start = std::chrono::steady_clock::now();

  LoadedTable table = PlanFile(source, o.columns, progress, cancel);
  for (const std::string& warning : table.plan.warnings) Warn(warning);
  const std::string response = CheckResponse(table.plan, o.response);
  const double readSeconds = Seconds(start);
  const double readCpu = CpuSeconds();
  table.vars = BuildVarList(table.plan);
  LoadData(source, o.columns, table, progress, cancel);
  const double loadCpu = CpuSeconds() - readCpu;
  const double loadedMb = PeakMemoryMb();

  // Every predictor in file order, then the weight: that is how the views see the weights.
  std::vector<std::string> predictors;
  for (const ColumnPlan& column : table.plan.columns) {
    if (column.role == ColumnRole::kPredictor) predictors.push_back(column.name);
  }
  if (predictors.empty()) {
    throw UsageError("search: no column is left to use as a predictor");
  }
  if (table.plan.weightIndex >= 0) {
    predictors.push_back(table.plan.columns[static_cast<std::size_t>(table.plan.weightIndex)].name);
  }
  DLDataQuery query(nullptr, predictors, o.columns.target, response);

  DLSettings settings;
  settings.UseLargeCategory(table.plan.largeCategories);
  std::unique_ptr<IDLAlgorithm> algorithm(DLFactory().CreateAlgorithm(settings));
  if (progress.Enabled()) o.params.SetProgressListener(&progress);
  o.params.SetCancelPointer(&cancel);
  progress.SetStage("searching");
  const auto searchStart = std::chrono::steady_clock::now();
  std::vector<DLModel*> raw;
  const QXDecision::QXStatus status = algorithm->Run(o.params, *table.data, query, raw, nullptr);
  std::vector<std::unique_ptr<DLModel>> models;
  std::size_t repeats = 0;
  for (DLModel* m : raw) {
    std::unique_ptr<DLModel> model(m);
    const bool seen = std::any_of(models.begin(), models.end(),
                                  [&](const auto& earlier) { return SameRules(*earlier, *model); });
    if (seen) {
      ++repeats;
    } else {
      models.push_back(std::move(model));
    }
  }
  o.params.SetProgressListener(nullptr);
  progress.Done();
  if (cancel.IsCancelled()) throw Cancelled{};
  CheckStatus(status, "the search failed");
  if (o.timings) {
    const double cases = table.data->GetNumOfCases();
    std::fprintf(stderr,
                 "timings: read and plan %.2f s (cpu %.2f s, %lld rows), load %.2f s (cpu %.2f s, "
                 "%.0f cases), search %.2f s (cpu %.2f s)\nmemory: data set %.1f MB, peak after "
                 "loading %.1f MB, peak after searching %.1f MB\n",
                 readSeconds, readCpu, static_cast<long long>(table.plan.rows), table.loadSeconds,
                 loadCpu, cases, Seconds(searchStart), CpuSeconds() - readCpu - loadCpu,
                 cases * DataSetBytesPerCase(table.plan) / (1024.0 * 1024.0), loadedMb,
                 PeakMemoryMb());
  }

  const int missingCode = table.data->GetMissingCategory();
  std::vector<ModelReport> reports;
  for (std::size_t i = 0; i < models.size(); ++i) {
    // Measure every model the same way score does: first hit over all cases.
    models[i]->ClearMeasure();
    models[i]->RefreshMeasure();
    reports.push_back(BuildReport(*models[i], static_cast<int>(i + 1), *table.vars, missingCode));
  }
  if (models.empty()) {
    std::cerr << "ruleweave: no rule beats the base rate significantly; no model was found\n";
  }
  if (repeats > 0 && !o.quiet) {
    std::cerr << "ruleweave: " << repeats
              << " model(s) repeating the rules of an earlier one (conditions in another order) "
                 "left out\n";
  }
  WriteReports(std::cout, reports, o.format);
  std::cout.flush();

  if (!o.pmmlPath.empty()) {
    if (o.modelIndex > static_cast<int>(models.size())) {
      throw UsageError("--model " + std::to_string(o.modelIndex) + ": the search found " +
                       std::to_string(models.size()) + " model(s); no PMML file was written");
    }
    std::ostringstream document;
    const QXDecision::QXStatus exported = algorithm->ExportModel(
        document, *models[static_cast<std::size_t>(o.modelIndex - 1)], *table.vars, nullptr);
    CheckStatus(exported, "writing the model as PMML failed");
    if (cancel.IsCancelled()) throw Cancelled{};
    AtomicFile file(o.pmmlPath);
    file.Stream() << document.str();
    file.Commit();
  }
  return kExitOk;
}

int RunSearch(int argc, char** argv) {
  bool help = false;
  Options o =
      ParseOptions(argc, argv,
                   {std::vector<option>(std::begin(kColumnOptions), std::end(kColumnOptions)),
                    std::vector<option>(std::begin(kSearchOptions), std::end(kSearchOptions)),
                    std::vector<option>(std::begin(kOutputOptions), std::end(kOutputOptions))},
                   help);
  if (help) {
    std::cout << kSearchHelp << kColumnHelp << '\n'
              << kSearchOptionsHelp << '\n'
              << kOutputHelp << kSearchExamples;
    return kExitOk;
  }
  if (o.positional.size() != 1) {
    throw UsageError(
        "search: expected one data file, e.g. `ruleweave search DATA.csv --target "
        "COL --response VALUE`");
  }
  return SearchSource(DataSource::File(o.positional[0]), o);
}

int RunDemo(int argc, char** argv) {
  bool help = false;
  const option demoOnly[] = {
      {"write-csv", required_argument, nullptr, kOptWriteCsv},
      {"customers", required_argument, nullptr, kOptCustomers},
  };
  // The demo's own defaults come first so that the user's options override them: coarser bins
  // and a smallest group of 100 customers keep the rules readable.
  std::vector<char*> args = {argv[0]};
  std::string defaults[] = {"--bins", "10", "--min-group", "100"};
  for (std::string& d : defaults) args.push_back(d.data());
  for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
  args.push_back(nullptr);
  Options o =
      ParseOptions(static_cast<int>(args.size()) - 1, args.data(),
                   {std::vector<option>(std::begin(kSearchOptions), std::end(kSearchOptions)),
                    std::vector<option>(std::begin(kOutputOptions), std::end(kOutputOptions)),
                    std::vector<option>(std::begin(demoOnly), std::end(demoOnly))},
                   help);
  if (help) {
    std::cout << kDemoHelp << '\n' << kSearchOptionsHelp << '\n' << kOutputHelp;
    return kExitOk;
  }
  if (!o.positional.empty()) throw UsageError("demo: takes no file argument");
  std::string text = GenerateDemoCsv(o.customers);
  if (!o.demoCsvPath.empty()) {
    AtomicFile file(o.demoCsvPath);
    file.Stream() << text;
    file.Commit();
  }
  o.columns.target = kDemoTarget;
  o.response = kDemoResponse;
  o.haveResponse = true;
  o.columns.ignore = {kDemoIgnore};
  o.columns.ordinal = {kDemoOrdinal};
  const std::string levels = kDemoLevels;
  const std::size_t eq = levels.find('=');
  o.columns.levels[levels.substr(0, eq)] = SplitList(levels.substr(eq + 1), '|');
  if (o.format == OutputFormat::kTable) {
    std::cout << "Demo: " << o.customers
              << " customers of a mail campaign; which groups responded best?\n"
              << "(ruleweave search demo.csv --target responded --response yes --ignore "
                 "customer_id --ordinal education --bins 10 --min-group 100)\n\n";
  }
  return SearchSource(DataSource::Text("demo.csv", std::move(text)), o);
}

// ---------------------------------------------------------------------------------------------
// score.

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InputError(path, 0, 0, "cannot open the file for reading");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The plan of a data file read for a model: the model's fields get the model's kind and its
// categories first (in the model's order, so ordinal codes keep their order); categories only
// the data hold come after them; other columns are left out.
TablePlan PlanForModel(const std::vector<PmmlField>& fields,
                       const std::vector<ColumnProfile>& profiles, const ColumnOptions& options,
                       const std::string& fileName, const std::string& modelName) {
  TablePlan plan;
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const ColumnProfile& p = profiles[i];
    plan.rows = p.missing + p.present;
    ColumnPlan column;
    column.name = p.name;
    column.missing = p.missing;
    column.present = p.present;
    const PmmlField* field = nullptr;
    for (const PmmlField& f : fields) {
      if (f.name == p.name && (f.used || f.predicted)) field = &f;
    }
    if (p.name == options.weight) {
      if (!p.allNumeric) {
        throw InputError(fileName, p.firstNonNumericLine, 0,
                         "weight column \"" + p.name + "\" holds the value \"" +
                             p.firstNonNumericText + "\", which is not a number");
      }
      column.kind = ColumnKind::kWeight;
      column.role = ColumnRole::kWeight;
      plan.weightIndex = static_cast<int>(i);
    } else if (field == nullptr) {
      column.kind = ColumnKind::kIgnored;
      column.role = ColumnRole::kUnused;
    } else {
      column.role = field->predicted ? ColumnRole::kTarget : ColumnRole::kPredictor;
      if (field->predicted) plan.targetIndex = static_cast<int>(i);
      const bool numeric = field->dataType != "string";
      if (numeric && !p.allNumeric) {
        throw InputError(fileName, p.firstNonNumericLine, 0,
                         "column \"" + p.name + "\" holds the value \"" + p.firstNonNumericText +
                             "\", but the model " + modelName + " reads it as numbers");
      }
      if (field->optype == "continuous") {
        column.kind = ColumnKind::kContinuous;
        column.min = p.present ? p.min : 0;
        column.max = p.present ? p.max : 0;
      } else {
        const bool ordinal = field->optype == "ordinal";
        if (numeric) {
          column.kind = ordinal ? ColumnKind::kOrdinalNumeric : ColumnKind::kNominalNumeric;
          column.integral = field->dataType == "integer";
          for (const std::string& v : field->values) {
            double number = 0;
            if (!ParseNumber(v, number)) {
              throw InputError(
                  modelName, 0, 0,
                  "field \"" + p.name + "\" has the category \"" + v + "\", which is not a number");
            }
            column.numericCategories.push_back(number);
          }
          for (const std::string& text : p.texts) {
            double number = 0;
            ParseNumber(text, number);
            if (std::find(column.numericCategories.begin(), column.numericCategories.end(),
                          number) == column.numericCategories.end()) {
              column.numericCategories.push_back(number);
            }
          }
          column.numCategories = column.numericCategories.size();
        } else {
          column.kind = ordinal ? ColumnKind::kOrdinalString : ColumnKind::kNominalString;
          column.stringCategories = field->values;
          for (const std::string& text : p.texts) {
            if (std::find(column.stringCategories.begin(), column.stringCategories.end(), text) ==
                column.stringCategories.end()) {
              column.stringCategories.push_back(text);
            }
          }
          column.numCategories = column.stringCategories.size();
        }
        if (column.numCategories > kMaxSmallCategories) plan.largeCategories = true;
      }
    }
    plan.columns.push_back(std::move(column));
  }
  return plan;
}

// Takes the model the importer made and returns one measured on `data`: the remainder rules the
// document carries (disabled rules without conditions at the end of a list) are dropped, since
// the remainder is what no rule takes.
std::unique_ptr<DLModel> MeasureOn(const DLModel& imported, const DLDataSet& data) {
  std::vector<DLList*> lists;
  imported.CopyLists(lists);
  for (DLList* list : lists) {
    while (list->GetNumOfRules() > 0) {
      const DLRule* last = list->GetRule(list->GetNumOfRules() - 1);
      if (!last->IsEmpty() || !last->GetDisableFlag()) break;
      list->RemoveRule(list->GetNumOfRules() - 1);
    }
    list->SetDataSet(data);
  }
  auto model = std::make_unique<DLModel>(data, lists);
  model->ClearMeasure();
  if (!model->RefreshMeasure()) {
    throw LibraryError("the model could not be measured on the data", QXDecision::QXStatus());
  }
  return model;
}

int RunScore(int argc, char** argv) {
  bool help = false;
  const option scoreOnly[] = {
      {"delimiter", required_argument, nullptr, kOptDelimiter},
      {"na", required_argument, nullptr, kOptNa},
      {"weight", required_argument, nullptr, kOptWeight},
      {"output", required_argument, nullptr, kOptOutput},
  };
  Options o =
      ParseOptions(argc, argv,
                   {std::vector<option>(std::begin(scoreOnly), std::end(scoreOnly)),
                    std::vector<option>(std::begin(kOutputOptions), std::end(kOutputOptions))},
                   help);
  if (help) {
    std::cout << kScoreHelp << kOutputHelp << kScoreExamples;
    return kExitOk;
  }
  if (o.positional.size() != 2) {
    throw UsageError(
        "score: expected a model and a data file, e.g. `ruleweave score MODEL.pmml "
        "DATA.csv`");
  }
  const std::string modelPath = o.positional[0];
  const DataSource source = DataSource::File(o.positional[1]);
  InterruptCancel cancel;
  ConsoleProgress progress(!o.quiet, o.progressAlways);

  const std::string document = ReadWholeFile(modelPath);
  std::vector<PmmlField> fields;
  try {
    fields = ReadPmmlFields(document);
  } catch (const std::runtime_error& error) {
    throw InputError(modelPath, 0, 0, error.what());
  }

  // First pass: the model's categorical fields keep all their values.
  std::unique_ptr<std::istream> in = source.Open();
  CsvReader reader(*in, source.Name(), o.columns.delimiter);
  reader.ReadHeader();
  for (const PmmlField& field : fields) {
    if (!(field.used || field.predicted)) continue;
    if (std::find(reader.Header().begin(), reader.Header().end(), field.name) ==
        reader.Header().end()) {
      throw InputError(
          source.Name(), 1, 0,
          "the column \"" + field.name + "\" used by the model " + modelPath + " is missing");
    }
    if (field.optype != "continuous") o.columns.nominal.push_back(field.name);
  }
  if (!o.columns.weight.empty()) CheckColumnOptions(reader.Header(), o.columns);
  const std::string stage = "reading " + source.Name();
  auto profiles = ProfileColumns(reader, o.columns, kScanDistinctCap, [&](std::int64_t rows) {
    progress.Rows(stage, rows);
    return !cancel.IsCancelled();
  });
  progress.Done();
  LoadedTable table;
  table.header = reader.Header();
  table.plan = PlanForModel(fields, profiles, o.columns, source.Name(), modelPath);
  if (table.plan.targetIndex < 0) {
    throw InputError(modelPath, 0, 0, "the model names no predicted (target) field");
  }
  table.vars = BuildVarList(table.plan);
  LoadData(source, o.columns, table, progress, cancel);

  DLSettings settings;
  settings.UseLargeCategory(table.plan.largeCategories);
  std::unique_ptr<IDLAlgorithm> algorithm(DLFactory().CreateAlgorithm(settings));
  DLModel* raw = nullptr;
  const QXDecision::QXStatus status = algorithm->ImportModel(document.c_str(), *table.vars, &raw);
  std::unique_ptr<DLModel> imported(raw);
  CheckStatus(status, "reading the model " + modelPath + " failed");
  if (!imported) throw LibraryError("reading the model " + modelPath + " failed", status);
  std::unique_ptr<DLModel> model = MeasureOn(*imported, *table.data);

  const int missingCode = table.data->GetMissingCategory();
  WriteReports(std::cout, {BuildReport(*model, 1, *table.vars, missingCode)}, o.format);
  std::cout.flush();

  if (!o.outputPath.empty()) {
    // Which rule took each case: rules' coverage sets are disjoint under first hit.
    const int cases = table.data->GetNumOfCases();
    std::vector<std::pair<std::string, double>> rules;
    std::vector<int> takenBy(static_cast<std::size_t>(cases), -1);
    std::vector<int> ids;
    for (int l = 0; l < model->GetNumOfLists(); ++l) {
      const DLList* list = model->GetList(l);
      for (int r = 0; r < list->GetNumOfRules(); ++r) {
        const DLRule* rule = list->GetRule(r);
        const int slot = static_cast<int>(rules.size());
        rules.emplace_back(std::to_string(l + 1) + "." + std::to_string(r + 1),
                           rule->GetMeasure().GetProbability());
        if (rule->GetCoverage() == nullptr) continue;
        rule->GetCoverage()->GetElementIDs(ids);
        for (int id : ids) {
          if (id >= 0 && id < cases && takenBy[static_cast<std::size_t>(id)] < 0) {
            takenBy[static_cast<std::size_t>(id)] = slot;
          }
        }
      }
    }
    std::unique_ptr<DLMeasure> rest(model->GetRemainderMeasure());
    const double restRate = rest ? rest->GetProbability() : QXMV::Missing();
    auto rateText = [](double p) { return QXMV::IsMissing(p) ? std::string() : FormatNumber(p); };

    std::unique_ptr<std::istream> again = source.Open();
    CsvReader rows(*again, source.Name(), o.columns.delimiter);
    rows.ReadHeader();
    RowCoder coder(table.plan, *table.vars, o.columns);
    AtomicFile file(o.outputPath);
    std::ostream& out = file.Stream();
    const char d = o.columns.delimiter;
    std::string ruleName = "rule";
    std::string rateName = "rule_rate";
    while (std::find(table.header.begin(), table.header.end(), ruleName) != table.header.end()) {
      ruleName = "_" + ruleName;
    }
    while (std::find(table.header.begin(), table.header.end(), rateName) != table.header.end()) {
      rateName = "_" + rateName;
    }
    for (const std::string& name : table.header) out << QuoteField(name, d) << d;
    out << ruleName << d << rateName << '\n';
    int caseIndex = 0;
    while (rows.NextRow()) {
      if (rows.RowsRead() % 4096 == 0 && cancel.IsCancelled()) throw Cancelled{};
      for (const std::string_view field : rows.Fields()) out << QuoteField(field, d) << d;
      if (!coder.Kept(rows)) {
        out << d << '\n';  // not a case: its weight is missing or not positive
        continue;
      }
      const int slot = caseIndex < cases ? takenBy[static_cast<std::size_t>(caseIndex)] : -1;
      ++caseIndex;
      if (slot >= 0) {
        out << rules[static_cast<std::size_t>(slot)].first << d
            << rateText(rules[static_cast<std::size_t>(slot)].second) << '\n';
      } else {
        out << "remainder" << d << rateText(restRate) << '\n';
      }
    }
    if (cancel.IsCancelled()) throw Cancelled{};
    file.Commit();
  }
  return kExitOk;
}

// ---------------------------------------------------------------------------------------------
// describe.

int RunDescribe(int argc, char** argv) {
  bool help = false;
  const option describeOnly[] = {
      {"max-categories", required_argument, nullptr, kOptMaxCategories},
  };
  Options o =
      ParseOptions(argc, argv,
                   {std::vector<option>(std::begin(kColumnOptions), std::end(kColumnOptions)),
                    std::vector<option>(std::begin(kOutputOptions), std::end(kOutputOptions)),
                    std::vector<option>(std::begin(describeOnly), std::end(describeOnly))},
                   help);
  if (help) {
    std::cout << kDescribeHelp << kColumnHelp << '\n' << kOutputHelp << kDescribeExamples;
    return kExitOk;
  }
  if (o.positional.size() != 1) {
    throw UsageError("describe: expected one data file, e.g. `ruleweave describe DATA.csv`");
  }
  const DataSource source = DataSource::File(o.positional[0]);
  InterruptCancel cancel;
  ConsoleProgress progress(!o.quiet, o.progressAlways);
  std::unique_ptr<std::istream> in = source.Open();
  CsvReader reader(*in, source.Name(), o.columns.delimiter);
  reader.ReadHeader();
  CheckColumnOptions(reader.Header(), o.columns);
  const std::string stage = "reading " + source.Name();
  // Counting distinct values exactly up to a generous limit.
  constexpr std::size_t kDescribeCap = 100000;
  auto profiles = ProfileColumns(reader, o.columns, kDescribeCap, [&](std::int64_t rows) {
    progress.Rows(stage, rows);
    return !cancel.IsCancelled();
  });
  progress.Done();
  const TablePlan plan = PlanTable(profiles, o.columns, source.Name());

  auto roleText = [&](const ColumnPlan& c) -> std::string {
    switch (c.role) {
      case ColumnRole::kTarget:
        return "target";
      case ColumnRole::kWeight:
        return "weight";
      case ColumnRole::kPredictor:
        return "predictor";
      case ColumnRole::kUnused:
        return c.kind == ColumnKind::kIgnored ? "ignored" : "unused";
    }
    return "";
  };
  auto distinctText = [&](std::size_t i) {
    const ColumnPlan& c = plan.columns[i];
    const ColumnProfile& p = profiles[i];
    const bool categorical =
        c.kind == ColumnKind::kNominalNumeric || c.kind == ColumnKind::kOrdinalNumeric ||
        c.kind == ColumnKind::kNominalString || c.kind == ColumnKind::kOrdinalString;
    if (categorical && c.categoriesKnown) return std::to_string(c.numCategories);
    if (p.capped) return "more than " + std::to_string(p.texts.size());
    if (c.kind == ColumnKind::kContinuous || c.kind == ColumnKind::kWeight) {
      // Distinct numbers, not texts ("1" and "1.0" are one value).
      std::vector<double> values;
      for (const std::string& t : p.texts) {
        double v = 0;
        if (ParseNumber(t, v)) values.push_back(v);
      }
      std::sort(values.begin(), values.end());
      values.erase(std::unique(values.begin(), values.end()), values.end());
      return std::to_string(values.size());
    }
    return std::to_string(p.texts.size());
  };

  if (o.format == OutputFormat::kTable) {
    std::cout << source.Name() << ": " << plan.rows << " rows, " << plan.columns.size()
              << " columns" << (plan.largeCategories ? " (large categories on)" : "") << "\n\n";
  } else if (o.format == OutputFormat::kCsv) {
    std::cout << "column,kind,role,distinct,missing,min,max,categories\n";
  } else {
    std::cout << "{\"file\": " << JsonString(source.Name()) << ", \"rows\": " << plan.rows
              << ", \"columns\": [";
  }
  for (std::size_t i = 0; i < plan.columns.size(); ++i) {
    const ColumnPlan& c = plan.columns[i];
    const bool numericCats =
        c.kind == ColumnKind::kNominalNumeric || c.kind == ColumnKind::kOrdinalNumeric;
    const bool categorical =
        numericCats || c.kind == ColumnKind::kNominalString || c.kind == ColumnKind::kOrdinalString;
    std::vector<std::pair<std::string, std::int64_t>> cats;
    if (categorical && c.categoriesKnown) {
      for (std::size_t k = 0; k < c.numCategories; ++k) {
        cats.emplace_back(
            numericCats ? FormatNumber(c.numericCategories[k]) : c.stringCategories[k],
            c.categoryCounts[k]);
      }
    }
    const bool hasRange =
        (c.kind == ColumnKind::kContinuous || c.kind == ColumnKind::kWeight) && c.present > 0;
    std::string catText;
    const std::size_t limit = static_cast<std::size_t>(o.maxCategories);
    for (std::size_t k = 0; k < cats.size() && k < limit; ++k) {
      if (k) catText += ", ";
      catText += cats[k].first + " (" + std::to_string(cats[k].second) + ")";
    }
    if (cats.size() > limit) catText += ", ... " + std::to_string(cats.size() - limit) + " more";
    if (o.format == OutputFormat::kTable) {
      std::cout << c.name << ": " << KindName(c.kind) << ", " << roleText(c) << ", "
                << distinctText(i) << " distinct, " << c.missing << " missing";
      if (hasRange) {
        std::cout << ", range [" << FormatShort(c.min, 10) << ", " << FormatShort(c.max, 10) << "]";
      }
      std::cout << '\n';
      if (!catText.empty()) std::cout << "    " << catText << '\n';
    } else if (o.format == OutputFormat::kCsv) {
      std::cout << QuoteField(c.name, ',') << ',' << QuoteField(KindName(c.kind), ',') << ','
                << roleText(c) << ',' << QuoteField(distinctText(i), ',') << ',' << c.missing << ','
                << (hasRange ? FormatNumber(c.min) : "") << ','
                << (hasRange ? FormatNumber(c.max) : "") << ',' << QuoteField(catText, ',') << '\n';
    } else {
      std::cout << (i ? ",\n  " : "\n  ") << "{\"name\": " << JsonString(c.name)
                << ", \"kind\": " << JsonString(KindName(c.kind))
                << ", \"role\": " << JsonString(roleText(c))
                << ", \"distinct\": " << JsonString(distinctText(i))
                << ", \"missing\": " << c.missing;
      if (hasRange) {
        std::cout << ", \"min\": " << FormatNumber(c.min) << ", \"max\": " << FormatNumber(c.max);
      }
      if (categorical && c.categoriesKnown) {
        std::cout << ", \"categories\": [";
        for (std::size_t k = 0; k < cats.size() && k < limit; ++k) {
          std::cout << (k ? ", " : "") << "{\"value\": " << JsonString(cats[k].first)
                    << ", \"count\": " << cats[k].second << '}';
        }
        std::cout << ']';
      }
      std::cout << '}';
    }
  }
  if (o.format == OutputFormat::kJson) std::cout << "\n]}\n";
  for (const std::string& warning : plan.warnings) Warn(warning);
  return kExitOk;
}

}  // namespace

int Main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << kGeneralHelp;
    return kExitBadInput;
  }
  const std::string command = argv[1];
  // Exceptions end here: each kind of failure has its message form and exit status.
  try {
    if (command == "-h" || command == "--help" || command == "help") {
      std::cout << kGeneralHelp;
      return kExitOk;
    }
    if (command == "-V" || command == "--version") {
      DLSettings settings;
      std::unique_ptr<IDLAlgorithm> algorithm(DLFactory().CreateAlgorithm(settings));
      std::cout << algorithm->GetVersion() << '\n';
      return kExitOk;
    }
    if (command == "search") return RunSearch(argc - 1, argv + 1);
    if (command == "score") return RunScore(argc - 1, argv + 1);
    if (command == "describe") return RunDescribe(argc - 1, argv + 1);
    if (command == "demo") return RunDemo(argc - 1, argv + 1);
    std::cerr << "ruleweave: unknown command \"" << command << "\"\n"
              << "Try `ruleweave --help`.\n";
    return kExitBadInput;
  } catch (const Cancelled&) {
    std::cerr << "\nruleweave: interrupted; nothing was written\n";
    return kExitCancelled;
  } catch (const UsageError& error) {
    std::cerr << "ruleweave: " << error.what() << "\nTry `ruleweave " << command << " --help`.\n";
    return kExitBadInput;
  } catch (const InputError& error) {
    std::cerr << "ruleweave: " << error.what() << '\n';
    return kExitBadInput;
  } catch (const LibraryError& error) {
    const QXDecision::QXStatus& status = error.Status();
    std::cerr << "ruleweave: " << error.what();
    if (!status.IsOK()) {
      std::cerr << ": library status " << status.GetErrorCode() << " ("
                << StatusMeaning(status.GetErrorCode()) << ")";
    }
    std::cerr << '\n';
    return kExitLibraryError;
  } catch (const QXDecision::IDLException& error) {
    std::cerr << "ruleweave: the library refused the data: " << error.GetMessage() << '\n';
    return kExitLibraryError;
  } catch (const std::bad_alloc&) {
    std::cerr << "ruleweave: out of memory\n";
    return kExitLibraryError;
  } catch (const std::exception& error) {
    std::cerr << "ruleweave: unexpected failure: " << error.what() << '\n';
    return kExitLibraryError;
  }
}

}  // namespace ruleweave_cli
