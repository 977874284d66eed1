// `ruleweave search`: decision lists for one response value of a target column of a file.
#include "search_command.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <ostream>

#include "holdout_split.h"
#include "model_files.h"
#include "model_report.h"
#include "output_file.h"
#include "resource_usage.h"
#include "terminal_width.h"

namespace ruleweave_cli {

namespace {

const char kSearchHelp[] =
    "Usage: ruleweave search DATA.csv --target COL --response VALUE [OPTIONS]\n"
    "\n"
    "Loads DATA.csv, searches for decision lists whose rules select cases with a high rate of\n"
    "COL = VALUE, and prints the best models as tables: per rule its conditions, coverage,\n"
    "responses, rate with its 95% interval, lift over the base rate and the cumulative\n"
    "coverage and rate; then the remainder (cases no rule takes). Rows whose COL is missing\n"
    "are left out of the search and of every figure.\n"
    "\n"
    "  --target COL         the categorical column to explain (required)\n"
    "  --response VALUE     the category of COL that counts as a response (required)\n"
    "  --pmml FILE          write one model as PMML 3.0 to FILE (see --model)\n"
    "\n"
    "DATA.csv may be '-' (standard input) or gzip-compressed. Exit status 3 when no rule beats\n"
    "the base rate: there is no model, and no output file is written.\n"
    "\n";

const char kSearchExamples[] =
    "\n"
    "Examples:\n"
    "  ruleweave search bank.csv --target y --response yes\n"
    "  ruleweave search bank.csv --target y --response yes --ignore id --list-depth 3 \\\n"
    "      --pmml bank.pmml --format json\n"
    "  ruleweave search bank.csv --target y --response yes --holdout 0.3 --models all\n";

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

// The predictors of a search: every column used as one, in file order.
std::vector<std::string> Predictors(const TablePlan& plan) {
  std::vector<std::string> predictors;
  for (const ColumnPlan& column : plan.columns) {
    if (column.role == ColumnRole::kPredictor) predictors.push_back(column.name);
  }
  return predictors;
}

// The query of a search for `response` over `predictors`, then the weight (that is how the
// views see the weights).
DLDataQuery SearchQuery(const TablePlan& plan, std::vector<std::string> predictors,
                        const ColumnOptions& columns, const std::string& response) {
  if (predictors.empty()) {
    throw UsageError("search: no column is left to use as a predictor");
  }
  if (plan.weightIndex >= 0) {
    predictors.push_back(plan.columns[static_cast<std::size_t>(plan.weightIndex)].name);
  }
  return DLDataQuery(nullptr, predictors, columns.target, response);
}

// The library's status for a continuous column it cannot cut into bins.
constexpr long kBinningFailed = 110040;

// The continuous predictors that a search of that one column refuses with kBinningFailed (a
// search one rule deep and one list long: the binning happens while it is set up).
std::vector<std::string> UnbinnableColumns(IDLAlgorithm& algorithm, const DLParameters& params,
                                           const DLDataSet& data, const TablePlan& plan,
                                           const std::vector<std::string>& predictors,
                                           const ColumnOptions& columns,
                                           const std::string& response) {
  DLParameters probe = params;
  probe.SetListDepth(1);
  probe.SetListWidth(1);
  probe.SetRuleDepth(1);
  probe.SetRuleWidth(1);
  probe.SetProgressListener(nullptr);
  std::vector<std::string> refused;
  for (const ColumnPlan& column : plan.columns) {
    if (column.kind != ColumnKind::kContinuous ||
        std::find(predictors.begin(), predictors.end(), column.name) == predictors.end()) {
      continue;
    }
    DLDataQuery query = SearchQuery(plan, {column.name}, columns, response);
    std::vector<DLModel*> found;
    const QXDecision::QXStatus status = algorithm.Run(probe, data, query, found, nullptr);
    for (DLModel* model : found) delete model;
    if (status.GetErrorCode() == kBinningFailed && status.IsError()) {
      refused.push_back(column.name);
    }
    if (status.GetErrorCode() == 1 && status.IsError()) throw Cancelled{};
  }
  return refused;
}

}  // namespace

int SearchData(const DataSource& source, const ColumnOptions& given, SearchOptions& search,
               const OutputOptions& output, CommandIo& io) {
  if (given.target.empty()) throw UsageError("search: --target COL is required");
  if (!search.haveResponse) throw UsageError("search: --response VALUE is required");
  // Output files are checked and opened before anything is read: a bad path fails at once.
  // The input as a file, if it is one (standard input's is its temporary copy).
  OutputSet files(source.Path().empty() ? std::vector<std::string>{}
                                        : std::vector<std::string>{source.Path()});
  AtomicFile* pmmlFile = files.Open("pmml", search.pmmlPath);
  const ModelFiles modelFiles = OpenModelFiles(files, output);
  ColumnOptions columns = given;
  columns.fewValues = search.params.GetNumOfBins();
  // Reading takes as many threads as the search (0: one per core).
  columns.readThreads = search.params.GetNumThreads();
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

  // Rows without a target value say nothing about the response: they are left out of the
  // search and of every measure. With a holdout, each pass draws the same rows, class by class.
  const std::vector<std::int64_t>& classCounts =
      table.plan.columns[static_cast<std::size_t>(table.plan.targetIndex)].categoryCounts;
  HoldoutSplit trainingDraw(classCounts, search.holdout, search.seed);
  LoadFilter training;
  training.dropMissingTarget = true;
  if (search.holdout > 0) {
    training.take = [&trainingDraw](int code) { return !trainingDraw.HoldOut(code); };
  }
  LoadData(source, columns, table, progress, io.cancel, training);
  LeftOutRows leftOut = table.leftOut;
  LoadedTable holdout;
  if (search.holdout > 0) {
    HoldoutSplit holdoutDraw(classCounts, search.holdout, search.seed);
    LoadFilter held;
    held.dropMissingTarget = true;
    held.take = [&holdoutDraw](int code) { return holdoutDraw.HoldOut(code); };
    holdout.header = table.header;
    holdout.plan = table.plan;
    LoadData(source, columns, holdout, progress, io.cancel, held, table.vars.get());
    LeftOutRows heldOut = holdout.leftOut;
    heldOut.targetMissing = 0;  // both passes skip the same rows without a target
    leftOut += heldOut;
  }
  if (!output.quiet) {
    const std::string weights = WeightNote(leftOut);
    if (!weights.empty()) io.err << "ruleweave: " << weights << '\n';
    if (leftOut.targetMissing > 0) {
      io.err << "ruleweave: " << leftOut.targetMissing
             << " row(s) with a missing target left out\n";
    }
  }
  timings.loadSeconds = table.loadSeconds + holdout.loadSeconds;
  timings.loadCpu = CpuSeconds() - timings.readCpu;
  timings.peakAfterLoadMb = PeakMemoryMb();
  search.params.SetMinGroupSize(search.minGroup.Resolve(table.weightedCases));

  std::vector<std::string> predictors = Predictors(table.plan);
  DLSettings settings;
  settings.UseLargeCategory(table.plan.largeCategories);
  std::unique_ptr<IDLAlgorithm> algorithm(DLFactory().CreateAlgorithm(settings));
  if (progress.Enabled()) search.params.SetProgressListener(&progress);
  search.params.SetCancelPointer(&io.cancel);
  progress.SetStage("searching");
  const auto searchStart = std::chrono::steady_clock::now();
  std::vector<DLModel*> raw;
  DLDataQuery query = SearchQuery(table.plan, predictors, columns, response);
  QXDecision::QXStatus status = algorithm->Run(search.params, *table.data, query, raw, nullptr);
  if (status.GetErrorCode() == kBinningFailed && status.IsError()) {
    // A continuous column the binning cannot split ends the whole search; find such columns
    // with a one-column search each, leave them out and search again.
    const std::vector<std::string> refused = UnbinnableColumns(
        *algorithm, search.params, *table.data, table.plan, predictors, columns, response);
    if (!refused.empty()) {
      for (const std::string& name : refused) {
        Warn(io.err, "column \"" + name + "\" cannot be cut into " +
                         std::to_string(search.params.GetNumOfBins()) +
                         " bins; it is not used as a predictor");
        predictors.erase(std::find(predictors.begin(), predictors.end(), name));
      }
      query = SearchQuery(table.plan, predictors, columns, response);
      status = algorithm->Run(search.params, *table.data, query, raw, nullptr);
    }
  }
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

  // Measure every model the same way score does (first hit over all cases), on the training
  // rows and, apart, on the holdout rows; then rank the models.
  const int missingCode = table.data->GetMissingCategory();
  std::vector<ModelReport> reports;
  for (std::size_t i = 0; i < models.size(); ++i) {
    models[i]->ClearMeasure();
    models[i]->RefreshMeasure();
    ModelReport report = BuildReport(*models[i], 0, *table.vars, missingCode);
    if (holdout.data) {
      const std::unique_ptr<DLModel> held = MeasureOn(*models[i], *holdout.data);
      AddHoldout(report, BuildReport(*held, 0, *table.vars, missingCode),
                 search.params.GetSearchDirection());
    }
    report.hasAuc = true;
    report.aucOnHoldout = holdout.data != nullptr;
    report.auc = RankingAuc(GroupsOf(report, report.aucOnHoldout));
    report.targetMissingRows = static_cast<double>(leftOut.targetMissing);
    reports.push_back(std::move(report));
  }
  std::vector<std::size_t> order(models.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  // Best AUC first; ties (and models without an AUC) keep the search's order.
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const double x = reports[a].auc;
    const double y = reports[b].auc;
    return !std::isnan(x) && (std::isnan(y) || x > y);
  });
  std::vector<ModelReport> shown;
  const std::size_t showCount =
      search.shownModels == 0
          ? order.size()
          : std::min(order.size(), static_cast<std::size_t>(search.shownModels));
  for (std::size_t rank = 0; rank < showCount; ++rank) {
    shown.push_back(reports[order[rank]]);
    shown.back().number = static_cast<int>(rank + 1);
  }
  if (models.empty()) {
    // No model, so nothing to choose: no --model message, and the set drops its files.
    const char* notWritten = pmmlFile == nullptr
                                 ? (modelFiles.Any() ? ", so no file was written" : "")
                             : modelFiles.Any() ? ", so no PMML file nor any other file was written"
                                                : ", so no PMML file was written";
    io.err << "ruleweave: no rule beats the base rate significantly; no model was found"
           << notWritten << '\n';
    WriteReports(io.out, shown, output.format, TableWidth(output.width, io.outColumns));
    return kExitNoModel;
  }
  if (!output.quiet) {
    if (repeats > 0) {
      io.err << "ruleweave: " << repeats
             << " model(s) repeating the rules of an earlier one (conditions in another order) "
                "left out\n";
    }
    if (showCount < models.size()) {
      io.err << "ruleweave: the best " << showCount << " of " << models.size()
             << " models shown (--models all shows every one)\n";
    }
  }
  // The files first: a reader closing standard output early must not cost them.
  if (pmmlFile != nullptr || modelFiles.Any()) {
    const std::size_t rank =
        search.modelIndex == 0 ? 1 : static_cast<std::size_t>(search.modelIndex);
    if (rank > models.size()) {
      throw UsageError("--model " + std::to_string(search.modelIndex) + ": the search found " +
                       std::to_string(models.size()) + " model(s); no file was written");
    }
    const std::size_t chosen = order[rank - 1];
    if (pmmlFile != nullptr) {
      const QXDecision::QXStatus exported =
          algorithm->ExportModel(pmmlFile->Stream(), *models[chosen], *table.vars, nullptr);
      CheckStatus(exported, "writing the model as PMML failed");
    }
    ModelReport ranked = reports[chosen];
    ranked.number = static_cast<int>(rank);
    WriteModelFiles(modelFiles, ranked, SummarizeData(table.plan, source.Name()));
    if (io.cancel.IsCancelled()) throw Cancelled{};
    files.CommitAll();
  }
  WriteReports(io.out, shown, output.format, TableWidth(output.width, io.outColumns));
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
        Join({ColumnOptionTable(columns), SearchOptionTable(search), OutputOptionTable(output),
              ModelOutputOptionTable(output), TimingsOptionTable(output)}),
        "search");
    if (parsed.help) {
      io.out << kSearchHelp << ColumnHelp() << '\n'
             << SearchOptionsHelp() << '\n'
             << kOutputHelp << kModelOutputHelp << kTimingsHelp << kSearchExamples;
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
