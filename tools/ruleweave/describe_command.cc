// `ruleweave describe`: how each column of a file would be read.
#include <algorithm>
#include <memory>
#include <ostream>

#include "command_support.h"
#include "commands.h"
#include "describe_report.h"

namespace ruleweave_cli {

namespace {

const char kDescribeHelp[] =
    "Usage: ruleweave describe DATA.csv [OPTIONS]\n"
    "\n"
    "Shows each column as search would read it: its kind, number of distinct values, missing\n"
    "values, the range of continuous columns and the categories (with counts) of categorical\n"
    "ones. DATA.csv may be '-' (standard input) or gzip-compressed.\n"
    "\n"
    "  --target COL         show this column as the target\n"
    "  --max-categories N   categories listed per column (default 10)\n"
    "\n";

const char kDescribeExamples[] =
    "\n"
    "Example:\n"
    "  ruleweave describe bank.csv --ordinal education --ignore id\n";

// Distinct values are counted exactly up to a generous limit.
constexpr std::size_t kDescribeCap = 100000;

std::string RoleText(const ColumnPlan& c) {
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
}

std::string DistinctText(const ColumnPlan& c, const ColumnProfile& p) {
  if (IsCategorical(c.kind) && c.categoriesKnown) return std::to_string(c.numCategories);
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
}

ColumnDescription Describe(const ColumnPlan& c, const ColumnProfile& p) {
  ColumnDescription d;
  d.name = c.name;
  d.kind = KindName(c.kind);
  d.role = RoleText(c);
  d.distinct = DistinctText(c, p);
  d.missing = c.missing;
  d.allMissing = c.present == 0 && c.missing > 0;
  d.hasRange =
      (c.kind == ColumnKind::kContinuous || c.kind == ColumnKind::kWeight) && c.present > 0;
  d.min = c.min;
  d.max = c.max;
  d.hasCategories = IsCategorical(c.kind) && c.categoriesKnown;
  if (d.hasCategories) {
    const bool numeric =
        c.kind == ColumnKind::kNominalNumeric || c.kind == ColumnKind::kOrdinalNumeric;
    for (std::size_t k = 0; k < c.numCategories; ++k) {
      d.categories.emplace_back(
          numeric ? FormatNumber(c.numericCategories[k]) : c.stringCategories[k],
          c.categoryCounts[k]);
    }
  }
  return d;
}

}  // namespace

int RunDescribe(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                const RunContext& context) {
  return RunCommand("describe", out, err, context, [&](CommandIo& io) -> int {
    ColumnOptions columns;
    OutputOptions output;
    int maxCategories = 10;
    const ParsedArgs parsed = ParseArgs(args,
                                        Join({ColumnOptionTable(columns),
                                              OutputOptionTable(output),
                                              {{"max-categories", 0, true,
                                                [&](const std::string& value) {
                                                  maxCategories =
                                                      WholeNumber("max-categories", value, 0);
                                                }}}}),
                                        "describe");
    if (parsed.help) {
      io.out << kDescribeHelp << ColumnHelp() << '\n' << kOutputHelp << kDescribeExamples;
      return kExitOk;
    }
    if (parsed.positional.size() != 1) {
      throw UsageError("describe: expected one data file, e.g. `ruleweave describe DATA.csv`");
    }
    const DataSource source = DataSource::Argument(parsed.positional[0], io.in);
    ConsoleProgress progress(io.err, ShowProgress(output, io), io.errIsTerminal);
    std::unique_ptr<InputStream> in = source.Open();
    CsvReader reader(*in, source.Name(), ReadFormat(columns));
    reader.ReadHeader();
    CheckColumnOptions(reader.Header(), columns);
    const auto profiles = ProfileFile(reader, columns, kDescribeCap, progress, io.cancel);
    const TablePlan plan = PlanTable(profiles, columns, source.Name());

    TableDescription table;
    table.file = source.Name();
    table.rows = plan.rows;
    table.largeCategories = plan.largeCategories;
    for (std::size_t i = 0; i < plan.columns.size(); ++i) {
      table.columns.push_back(Describe(plan.columns[i], profiles[i]));
    }
    WriteDescription(io.out, table, output.format, static_cast<std::size_t>(maxCategories));
    WarnAll(io.err, plan.warnings);
    return kExitOk;
  });
}

}  // namespace ruleweave_cli
