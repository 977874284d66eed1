// Parsing a command's arguments, and the options of each family with their help texts.
#include "options.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace ruleweave_cli {

const char kColumnHelp[] =
    "Reading the file:\n"
    "  --delimiter C        field delimiter (default ','; 'tab' for a tab)\n"
    "  --na TOKEN           another text that means a missing value (repeatable; empty\n"
    "                       fields and '?' are always missing); --na COL=TOKEN: in COL only\n"
    "  --encoding utf8|latin1   the file's text encoding (default utf8; latin1 is converted)\n"
    "  --max-field-bytes N  longest field accepted (default 1048576)\n"
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
    "  --bins N             bins per continuous column, 2 to 255 (default 100)\n"
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

namespace {

OptionSpec Switch(const char* name, std::function<void()> apply) {
  return {name, 0, false, [apply = std::move(apply)](const std::string&) { apply(); }};
}

OptionSpec Value(const char* name, std::function<void(const std::string&)> apply) {
  return {name, 0, true, std::move(apply)};
}

OptionSpec Whole(const char* name, long min, std::function<void(int)> apply,
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
const OptionSpec* Find(const OptionTable& table, const std::string& name) {
  const OptionSpec* prefixOf = nullptr;
  int prefixes = 0;
  for (const OptionSpec& spec : table) {
    if (spec.name == name) return &spec;
    if (!name.empty() && spec.name.compare(0, name.size(), name) == 0) {
      prefixOf = &spec;
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
      const OptionSpec* spec = Find(all, name);
      if (spec == nullptr) throw unknown(arg);
      if (!spec->takesValue) {
        if (eq != std::string::npos)
          throw UsageError("--" + spec->name + ": this option takes no value");
        spec->apply("");
      } else if (eq != std::string::npos) {
        spec->apply(arg.substr(eq + 1));
      } else if (i + 1 < args.size()) {
        spec->apply(args[++i]);
      } else {
        throw UsageError(arg + ": this option needs a value");
      }
      continue;
    }
    // One or more one-letter options: `-h`, `-hx`; a value is the rest of the argument or the
    // next one.
    for (std::size_t k = 1; k < arg.size(); ++k) {
      const OptionSpec* spec = nullptr;
      for (const OptionSpec& s : all) {
        if (s.letter != 0 && s.letter == arg[k]) spec = &s;
      }
      if (spec == nullptr) throw unknown(std::string("-") + arg[k]);
      if (!spec->takesValue) {
        spec->apply("");
        continue;
      }
      if (k + 1 < arg.size()) {
        spec->apply(arg.substr(k + 1));
      } else if (i + 1 < args.size()) {
        spec->apply(args[++i]);
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
    for (const OptionSpec& spec : table) {
      if (spec.name == name) some.push_back(spec);
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
  // The program's defaults; the library's own are one list level and one condition per rule.
  params.SetListDepth(5);
  params.SetListWidth(5);
  params.SetRuleDepth(3);
  params.SetRuleWidth(5);
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
      Whole("min-group", 1, [&p](int n) { p.SetMinGroupSize(n); }),
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
      Value("pmml", [&s](const std::string& value) { s.pmmlPath = value; }),
      Whole("model", 1, [&s](int n) { s.modelIndex = n; }),
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
      Switch("timings", [&o] { o.timings = true; }),
      Switch("progress", [&o] { o.progressAlways = true; }),
  };
}

}  // namespace ruleweave_cli
