// `ruleweave search`: decision lists for one response value of a target column of a file.
#include "search_command.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <ostream>
#include <sstream>

#include "model_report.h"
#include "output_file.h"
#include "resource_usage.h"

namespace ruleweave_cli {

namespace {

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
    "\n"
    "DATA.csv may be '-' (standard input) or gzip-compressed. Exit status 3 when no rule beats\n"
    "the base rate: there is no model, and no PMML file is written.\n"
    "\n";

const char kSearchExamples[] =
    "\n"
    "Examples:\n"
    "  ruleweave search bank.csv --target y --response yes\n"
    "  ruleweave search bank.csv --target y --response yes --ignore id --list-depth 3 \\\n"
    "      --pmml bank.pmml --format json\n";

// First pass over a file: profiles and plans the columns.
LoadedTable PlanFile(const DataSource& source, const ColumnOptions& columns,
                     ConsoleProgress& progress, QXQueryCancel& cancel) {
  std::unique_ptr<InputStream> in = source.Open();
  CsvReader reader(*in, source.Name(), ReadFormat(columns));
  reader.ReadHeader();
  CheckColumnOptions(reader.Header(), columns);
  const auto profiles = ProfileFile(reader, columns, kScanDistinctCap, progress, cancel);
  LoadedTable table;
  table.header = reader.Header();
  table.plan = PlanTable(profiles, columns, source.Name());
  return table;
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

// The query of a search for `response`: every predictor in file order, then the weight (that
// is how the views see the weights).
DLDataQuery SearchQuery(const TablePlan& plan, const ColumnOptions& columns,
                        const std::string& response) {
  std::vector<std::string> predictors;
  for (const ColumnPlan& column : plan.columns) {
    if (column.role == ColumnRole::kPredictor) predictors.push_back(column.name);
  }
  if (predictors.empty()) {
    throw UsageError("search: no column is left to use as a predictor");
  }
  if (plan.weightIndex >= 0) {
    predictors.push_back(plan.columns[static_cast<std::size_t>(plan.weightIndex)].name);
  }
  return DLDataQuery(nullptr, predictors, columns.target, response);
}

}  // namespace

int SearchData(const DataSource& source, const ColumnOptions& columns, SearchOptions& search,
               const OutputOptions& output, CommandIo& io) {
  if (columns.target.empty()) throw UsageError("search: --target COL is required");
  if (!search.haveResponse) throw UsageError("search: --response VALUE is required");
  ConsoleProgress progress(io.err, ShowProgress(output, io), io.errIsTerminal);
  const auto start = std::chrono::steady_clock::now();
  SearchTimings timings;

  LoadedTable table = PlanFile(source, columns, progress, io.cancel);
  WarnAll(io.err, table.plan.warnings);
  const std::string response = CheckResponse(table.plan, search.response);
  timings.readSeconds = SecondsSince(start);
  timings.readCpu = CpuSeconds();
  timings.rows = table.plan.rows;
  table.vars = BuildVarList(table.plan);
  LoadData(source, columns, table, progress, io.cancel);
  timings.loadSeconds = table.loadSeconds;
  timings.loadCpu = CpuSeconds() - timings.readCpu;
  timings.peakAfterLoadMb = PeakMemoryMb();
  DLDataQuery query = SearchQuery(table.plan, columns, response);

  DLSettings settings;
  settings.UseLargeCategory(table.plan.largeCategories);
  std::unique_ptr<IDLAlgorithm> algorithm(DLFactory().CreateAlgorithm(settings));
  if (progress.Enabled()) search.params.SetProgressListener(&progress);
  search.params.SetCancelPointer(&io.cancel);
  progress.SetStage("searching");
  const auto searchStart = std::chrono::steady_clock::now();
  std::vector<DLModel*> raw;
  const QXDecision::QXStatus status =
      algorithm->Run(search.params, *table.data, query, raw, nullptr);
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
  search.params.SetProgressListener(nullptr);
  search.params.SetCancelPointer(nullptr);
  progress.Done();
  if (io.cancel.IsCancelled()) throw Cancelled{};
  CheckStatus(status, "the search failed");
  if (output.timings) {
    timings.cases = table.data->GetNumOfCases();
    timings.searchSeconds = SecondsSince(searchStart);
    timings.searchCpu = CpuSeconds() - timings.readCpu - timings.loadCpu;
    timings.dataSetMb = timings.cases * DataSetBytesPerCase(table.plan) / (1024.0 * 1024.0);
    timings.peakAfterSearchMb = PeakMemoryMb();
    WriteTimings(io.err, timings);
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
    io.err << "ruleweave: no rule beats the base rate significantly; no model was found"
           << (search.pmmlPath.empty() ? "" : ", so no PMML file was written") << '\n';
  }
  if (repeats > 0 && !output.quiet) {
    io.err << "ruleweave: " << repeats
           << " model(s) repeating the rules of an earlier one (conditions in another order) "
              "left out\n";
  }
  WriteReports(io.out, reports, output.format);
  io.out.flush();
  if (models.empty()) return kExitNoModel;

  if (!search.pmmlPath.empty()) {
    if (search.modelIndex > static_cast<int>(models.size())) {
      throw UsageError("--model " + std::to_string(search.modelIndex) + ": the search found " +
                       std::to_string(models.size()) + " model(s); no PMML file was written");
    }
    std::ostringstream document;
    const QXDecision::QXStatus exported = algorithm->ExportModel(
        document, *models[static_cast<std::size_t>(search.modelIndex - 1)], *table.vars, nullptr);
    CheckStatus(exported, "writing the model as PMML failed");
    if (io.cancel.IsCancelled()) throw Cancelled{};
    WriteFileAtomically(search.pmmlPath, document.str());
  }
  return kExitOk;
}

int RunSearch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const RunContext& context) {
  return RunCommand("search", out, err, context, [&](CommandIo& io) -> int {
    ColumnOptions columns;
    SearchOptions search;
    OutputOptions output;
    const ParsedArgs parsed = ParseArgs(
        args,
        Join({ColumnOptionTable(columns), SearchOptionTable(search), OutputOptionTable(output)}),
        "search");
    if (parsed.help) {
      io.out << kSearchHelp << kColumnHelp << '\n'
             << kSearchOptionsHelp << '\n'
             << kOutputHelp << kSearchExamples;
      return kExitOk;
    }
    if (parsed.positional.size() != 1) {
      throw UsageError(
          "search: expected one data file, e.g. `ruleweave search DATA.csv --target "
          "COL --response VALUE`");
    }
    return SearchData(DataSource::Argument(parsed.positional[0], io.in), columns, search, output,
                      io);
  });
}

}  // namespace ruleweave_cli
