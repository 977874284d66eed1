// Parsing a command's arguments, and the options of each family with their help texts.
#include "options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace ruleweave_cli {

std::string ColumnHelp() {
  char text[2048];
  std::snprintf(
      text, sizeof text,
      "Reading the file ('-' is standard input; gzip-compressed files are read as such):\n"
      "  --delimiter C        field delimiter (default ','; 'tab' for a tab)\n"
      "  --na TOKEN           another text that means a missing value (repeatable; empty\n"
      "                       fields and '?' are always missing); --na COL=TOKEN: in COL only\n"
      "  --encoding utf8|latin1   the file's text encoding (default utf8; latin1 is converted)\n"
      "  --max-field-bytes N  longest field accepted (default %zu)\n"
      "  --continuous A,B     read these columns as numbers\n"
      "  --nominal A,B        read these columns as unordered categories\n"
      "  --ordinal A,B        read these columns as ordered categories\n"
      "  --levels COL=a|b|c   the order of an ordinal column's categories (repeatable)\n"
      "  --ignore A,B         leave these columns out\n"
      "  --weight COL         a frequency weight per row, rounded to a whole number; rows whose\n"
      "                       weight is missing, 0 or less, or 2^31 or more are left out\n"
      "Unlisted columns are continuous when every value is a number, else nominal; a column\n"
      "of whole numbers with at most as many distinct values as bins (--bins, default %d)\n"
      "is read as ordered categories.\n",
      kDefaultMaxFieldBytes, kDefaults.bins);
  return text;
}

std::string SearchOptionsHelp() {
  const ProgramDefaults& d = kDefaults;
  const DLParameters library;  // growth and decay keep the library's defaults
  char text[4096];
  std::snprintf(
      text, sizeof text,
      "Search:\n"
      "  --list-depth N       rules per list (default %d)\n"
      "  --list-width N       lists kept at each step (default %d)\n"
      "  --rule-depth N       conditions per rule (default %d)\n"
      "  --rule-width N       rules kept at each step (default %d)\n"
      "  --bins N             bins per continuous column, 2 to %ld (default %d); a column of\n"
      "                       whole numbers with at most N distinct values is read as\n"
      "                       ordered categories instead\n"
      "  --binning width|frequency   equal-width or equal-frequency bins (default %s)\n"
      "  --confidence P       confidence of the condition tests (default %g)\n"
      "  --min-group N|P%%     smallest group a condition may select: N cases, or P%% of the\n"
      "                       weighted cases but at least %d (default %g%%)\n"
      "  --growth F           segment growth factor, > 1 (default %.1f)\n"
      "  --decay N            group size decay (default %d)\n"
      "  --no-missing         conditions may not select missing values\n"
      "  --no-reuse           a rule tests each column at most once\n"
      "  --all-levels         report the lists of every step, not only the final ones\n"
      "  --down               look for low rates instead of high ones\n"
      "  --threads N          threads of reading and searching, the same models for every N\n"
      "                       (default %d: one per core)\n"
      "\n"
      "Checking and choosing models:\n"
      "  --holdout P          keep a share P (0 < P < 1) of the rows out of the search,\n"
      "                       drawn at random within each target value, and measure every\n"
      "                       rule on them too; rules whose holdout interval does not clear\n"
      "                       the training base rate are flagged\n"
      "  --seed S             seed of the holdout draw (default %llu)\n"
      "  --models N|all       how many models to print, best first (default %d)\n"
      "  --model best|K       which model --pmml writes: the best, or the K-th best\n"
      "                       (default best)\n"
      "Models are ranked by the AUC of each model as a ranking: every case is scored with the\n"
      "training rate of the rule that takes it (the remainder's rate when none does), on the\n"
      "holdout rows when there are any, else on the training rows.\n",
      d.listDepth, d.listWidth, d.ruleDepth, d.ruleWidth, kMaxBins, d.bins,
      d.binning == DLConst::EqualFrequency ? "frequency" : "width", d.confidence, d.minGroupFloor,
      100 * d.minGroupShare, library.GetSegmentGrowthFactor(), library.GetGroupDecay(), d.threads,
      static_cast<unsigned long long>(d.seed), d.shownModels);
  return text;
}

const char kOutputHelp[] =
    "Output:\n"
    "  --format table|csv|json   how results are printed (default table)\n"
    "  --quiet              no progress on standard error\n"
    "  --progress           progress even when standard error is not a terminal\n";

const char kModelOutputHelp[] =
    "  --width N            fit tables into N columns (default: the terminal's width, or 100\n"
    "                       when standard output is not a terminal; 0: no limit)\n"
    "  --sql FILE           write the chosen model as an SQL CASE expression to FILE\n"
    "  --report FILE        write the chosen model as a self-contained HTML page to FILE\n";

const char kTimingsHelp[] =
    "  --timings            report time and memory of reading, loading and searching on\n"
    "                       standard error\n";

namespace {

OptionDef Switch(const char* name, std::function<void()> apply) {
  return {name, 0, false, [apply = std::move(apply)](const std::string&) { apply(); }};
}

OptionDef Value(const char* name, std::function<void(const std::string&)> apply) {
  return {name, 0, true, std::move(apply)};
}

OptionDef Whole(const char* name, long min, std::function<void(int)> apply,
                long max = kMaxWholeNumber, const char* why = nullptr) {
  return {name, 0, true, [name, min, apply = std::move(apply), max, why](const std::string& text) {
            apply(WholeNumber(name, text, min, max, why));
          }};
}

double RealNumber(const std::string& option, const std::string& text) {
  double value = 0;
  if (!ParseNumber(text, value)) {
    throw UsageError("--" + option + ": expected a number, got \"" + text + "\"");
  }
  return value;
}

void Append(std::vector<std::string>& to, const std::string& list) {
  for (auto& item : SplitList(list, ',')) to.push_back(item);
}

// The option `name` names: itself, or the one option it is a prefix of; null when none or
// several.
const OptionDef* Find(const OptionTable& table, const std::string& name) {
  const OptionDef* prefixOf = nullptr;
  int prefixes = 0;
  for (const OptionDef& def : table) {
    if (def.name == name) return &def;
    if (!name.empty() && def.name.compare(0, name.size(), name) == 0) {
      prefixOf = &def;
      ++prefixes;
    }
  }
  return prefixes == 1 ? prefixOf : nullptr;
}

}  // namespace

std::vector<std::string> SplitList(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) {
    if (!part.empty()) parts.push_back(part);
  }
  return parts;
}

int WholeNumber(const std::string& option, const std::string& text, long min, long max,
                const char* why) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || value < min) {
    throw UsageError("--" + option + ": expected a whole number of at least " +
                     std::to_string(min) + ", got \"" + text + "\"");
  }
  if (errno == ERANGE || value > max) {
    throw UsageError("--" + option + ": " + text + " is too large (at most " + std::to_string(max) +
                     (why != nullptr ? std::string(": ") + why : "") + ")");
  }
  return static_cast<int>(value);
}

ParsedArgs ParseArgs(const std::vector<std::string>& args, const OptionTable& table,
                     const std::string& command) {
  ParsedArgs parsed;
  OptionTable all = table;
  all.push_back({"help", 'h', false, [&parsed](const std::string&) { parsed.help = true; }});
  auto unknown = [&](const std::string& text) {
    return UsageError("unknown option " + text + " for `ruleweave " + command + "`");
  };
  bool onlyPositional = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (onlyPositional || arg.size() < 2 || arg[0] != '-') {
      parsed.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyPositional = true;
      continue;
    }
    if (arg[1] == '-') {
      const std::size_t eq = arg.find('=');
      const std::string name = arg.substr(2, eq == std::string::npos ? std::string::npos : eq - 2);
      const OptionDef* def = Find(all, name);
      if (def == nullptr) throw unknown(arg);
      if (!def->takesValue) {
        if (eq != std::string::npos)
          throw UsageError("--" + def->name + ": this option takes no value");
        def->apply("");
      } else if (eq != std::string::npos) {
        def->apply(arg.substr(eq + 1));
      } else if (i + 1 < args.size()) {
        def->apply(args[++i]);
      } else {
        throw UsageError(arg + ": this option needs a value");
      }
      continue;
    }
    // One or more one-letter options: `-h`, `-hx`; a value is the rest of the argument or the
    // next one.
    for (std::size_t k = 1; k < arg.size(); ++k) {
      const OptionDef* def = nullptr;
      for (const OptionDef& s : all) {
        if (s.letter != 0 && s.letter == arg[k]) def = &s;
      }
      if (def == nullptr) throw unknown(std::string("-") + arg[k]);
      if (!def->takesValue) {
        def->apply("");
        continue;
      }
      if (k + 1 < arg.size()) {
        def->apply(arg.substr(k + 1));
      } else if (i + 1 < args.size()) {
        def->apply(args[++i]);
      } else {
        throw UsageError(std::string("-") + arg[k] + ": this option needs a value");
      }
      break;
    }
  }
  return parsed;
}

OptionTable Join(std::initializer_list<OptionTable> tables) {
  OptionTable all;
  for (const OptionTable& table : tables) all.insert(all.end(), table.begin(), table.end());
  return all;
}

OptionTable Only(const OptionTable& table, std::initializer_list<const char*> names) {
  OptionTable some;
  for (const char* name : names) {
    for (const OptionDef& def : table) {
      if (def.name == name) some.push_back(def);
    }
  }
  return some;
}

OptionTable ColumnOptionTable(ColumnOptions& c) {
  return {
      Value("delimiter",
            [&c](const std::string& value) {
              const std::string text = value == "tab" || value == "\\t" ? "\t" : value;
              if (text.size() != 1 || text[0] == '"' || text[0] == '\n' || text[0] == '\r') {
                throw UsageError(
                    "--delimiter: expected one character other than a quote or line break, "
                    "got \"" +
                    text + "\"");
              }
              c.delimiter = text[0];
              c.delimiterGiven = true;
            }),
      Value("na",
            [&c](const std::string& value) {
              const std::size_t eq = value.find('=');
              if (eq != std::string::npos && eq > 0) {
                c.missing.AddForColumn(value.substr(0, eq), value.substr(eq + 1));
              } else {
                c.missing.Add(value);
              }
            }),
      Value("encoding",
            [&c](const std::string& value) {
              if (value == "utf8" || value == "utf-8") {
                c.encoding = TextEncoding::kUtf8;
              } else if (value == "latin1" || value == "latin-1") {
                c.encoding = TextEncoding::kLatin1;
              } else {
                throw UsageError("--encoding: expected utf8 or latin1, got \"" + value + "\"");
              }
            }),
      Whole("max-field-bytes", 1, [&c](int n) { c.maxFieldBytes = static_cast<std::size_t>(n); }),
      Value("continuous", [&c](const std::string& value) { Append(c.continuous, value); }),
      Value("nominal", [&c](const std::string& value) { Append(c.nominal, value); }),
      Value("ordinal", [&c](const std::string& value) { Append(c.ordinal, value); }),
      Value("levels",
            [&c](const std::string& text) {
              const std::size_t eq = text.find('=');
              if (eq == std::string::npos || eq == 0 || eq + 1 == text.size()) {
                throw UsageError("--levels: expected COLUMN=a|b|c, got \"" + text + "\"");
              }
              c.levels[text.substr(0, eq)] = SplitList(text.substr(eq + 1), '|');
            }),
      Value("ignore", [&c](const std::string& value) { Append(c.ignore, value); }),
      Value("weight", [&c](const std::string& value) { c.weight = value; }),
      Value("target", [&c](const std::string& value) { c.target = value; }),
  };
}

SearchOptions::SearchOptions() {
  params.SetListDepth(kDefaults.listDepth);
  params.SetListWidth(kDefaults.listWidth);
  params.SetRuleDepth(kDefaults.ruleDepth);
  params.SetRuleWidth(kDefaults.ruleWidth);
  params.SetNumOfBins(kDefaults.bins);
  params.SetBinningType(kDefaults.binning);
  params.SetConfLevel(kDefaults.confidence);
  params.SetNumThreads(kDefaults.threads);
}

int MinGroup::Resolve(double weightedCases) const {
  if (!isShare) return count;
  const double cases = std::ceil(share * weightedCases);
  return cases < kDefaults.minGroupFloor ? kDefaults.minGroupFloor
                                         : static_cast<int>(std::min(cases, 1e9));
}

MinGroup ParseMinGroup(const std::string& text) {
  MinGroup group;
  if (!text.empty() && text.back() == '%') {
    double percent = 0;
    if (!ParseNumber(text.substr(0, text.size() - 1), percent) || !(percent > 0) || percent > 100) {
      throw UsageError("--min-group: expected a share above 0% and at most 100%, got \"" + text +
                       "\"");
    }
    group.share = percent / 100;
    return group;
  }
  group.isShare = false;
  group.count = WholeNumber("min-group", text, 1);
  return group;
}

OptionTable SearchOptionTable(SearchOptions& s) {
  DLParameters& p = s.params;
  return {
      Value("response",
            [&s](const std::string& value) {
              s.response = value;
              s.haveResponse = true;
            }),
      Whole("list-depth", 1, [&p](int n) { p.SetListDepth(n); }),
      Whole("list-width", 1, [&p](int n) { p.SetListWidth(n); }),
      Whole("rule-depth", 1, [&p](int n) { p.SetRuleDepth(n); }),
      Whole("rule-width", 1, [&p](int n) { p.SetRuleWidth(n); }),
      Whole(
          "bins", 2, [&p](int n) { p.SetNumOfBins(n); }, kMaxBins,
          "a data set stores bin codes in one byte, and 255 marks a missing value"),
      Value("binning",
            [&p](const std::string& value) {
              if (value == "width") {
                p.SetBinningType(DLConst::EqualWidth);
              } else if (value == "frequency") {
                p.SetBinningType(DLConst::EqualFrequency);
              } else {
                throw UsageError("--binning: expected width or frequency, got \"" + value + "\"");
              }
            }),
      Value("confidence",
            [&p](const std::string& value) {
              if (!p.SetConfLevel(RealNumber("confidence", value))) {
                throw UsageError("--confidence: expected a number between 0 and 1, got \"" + value +
                                 "\"");
              }
            }),
      Value("min-group", [&s](const std::string& value) { s.minGroup = ParseMinGroup(value); }),
      Value("growth",
            [&p](const std::string& value) {
              if (!p.SetSegmentGrowthFactor(RealNumber("growth", value))) {
                throw UsageError("--growth: expected a number greater than 1, got \"" + value +
                                 "\"");
              }
            }),
      Whole("decay", 0, [&p](int n) { p.SetGroupDecay(n); }),
      Switch("no-missing", [&p] { p.AllowMissing(false); }),
      Switch("no-reuse", [&p] { p.SetAttributeReusable(false); }),
      Switch("all-levels", [&p] { p.SetFinalResultsOnly(false); }),
      Switch("down", [&p] { p.SetSearchDirection(DLConst::Down); }),
      Whole("threads", 0, [&p](int n) { p.SetNumThreads(n); }),
      Value("pmml", [&s](const std::string& value) { s.pmmlPath = value; }),
      Value("model",
            [&s](const std::string& value) {
              s.modelIndex = value == "best" ? 0 : WholeNumber("model", value, 1);
            }),
      Value("models",
            [&s](const std::string& value) {
              s.shownModels = value == "all" ? 0 : WholeNumber("models", value, 1);
            }),
      Value("holdout",
            [&s](const std::string& value) {
              const double share = RealNumber("holdout", value);
              if (!(share > 0 && share < 1)) {
                throw UsageError("--holdout: expected a share between 0 and 1, got \"" + value +
                                 "\"");
              }
              s.holdout = share;
            }),
      Value("seed",
            [&s](const std::string& value) {
              char* end = nullptr;
              errno = 0;
              const unsigned long long seed = std::strtoull(value.c_str(), &end, 10);
              if (errno != 0 || value.empty() || value[0] == '-' || *end != '\0') {
                throw UsageError("--seed: expected a whole number of at least 0, got \"" + value +
                                 "\"");
              }
              s.seed = seed;
            }),
  };
}

OptionTable OutputOptionTable(OutputOptions& o) {
  return {
      Value("format",
            [&o](const std::string& value) {
              if (value == "table") {
                o.format = OutputFormat::kTable;
              } else if (value == "csv") {
                o.format = OutputFormat::kCsv;
              } else if (value == "json") {
                o.format = OutputFormat::kJson;
              } else {
                throw UsageError("--format: expected table, csv or json, got \"" + value + "\"");
              }
            }),
      Switch("quiet", [&o] { o.quiet = true; }),
      Switch("progress", [&o] { o.progressAlways = true; }),
  };
}

OptionTable ModelOutputOptionTable(OutputOptions& o) {
  return {
      Whole("width", 0, [&o](int n) { o.width = n; }),
      Value("sql", [&o](const std::string& value) { o.sqlPath = value; }),
      Value("report", [&o](const std::string& value) { o.reportPath = value; }),
  };
}

OptionTable TimingsOptionTable(OutputOptions& o) {
  return {Switch("timings", [&o] { o.timings = true; })};
}

}  // namespace ruleweave_cli
