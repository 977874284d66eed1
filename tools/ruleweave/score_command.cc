// `ruleweave score`: a saved model measured on a data file, and optionally the scored file.
#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>

#include "command_support.h"
#include "commands.h"
#include "model_files.h"
#include "model_report.h"
#include "pmml_fields.h"
#include "scored_file.h"
#include "terminal_width.h"

namespace ruleweave_cli {

namespace {

const char kScoreHelp[] =
    "Usage: ruleweave score MODEL.pmml DATA.csv [OPTIONS]\n"
    "\n"
    "Reads a model written by `ruleweave search --pmml`, measures it on DATA.csv (each case\n"
    "goes to the first rule that covers it) and prints the same table as search, with each\n"
    "rule's rate on the model's training data beside it (train.rate). The file must hold\n"
    "every column the model uses, with numbers where the model has numbers; categories the\n"
    "model never saw simply match no rule. The target column may be absent (rows to\n"
    "predict): the table then shows each rule's coverage of the file only. Rows whose\n"
    "target is missing are left out of the figures but still get their rule.\n"
    "\n"
    "  --output FILE        write DATA.csv again with three more columns: rule, the rule that\n"
    "                       took the row (R1.3: list 1, rule 3; or 'remainder'), its\n"
    "                       conditions (rule_conditions), and its response rate on the\n"
    "                       model's training data (rule_rate), as the model file records it\n"
    "  --delimiter C        field delimiter (default ',')\n"
    "  --na TOKEN           another text that means a missing value (repeatable);\n"
    "                       --na COL=TOKEN: in COL only\n"
    "  --encoding utf8|latin1   the data's text encoding (default utf8)\n"
    "  --max-field-bytes N  longest field accepted (default 1048576)\n"
    "  --weight COL         a frequency weight per row\n"
    "\n";

const char kScoreExamples[] =
    "\n"
    "Example:\n"
    "  ruleweave score bank.pmml bank_2025.csv --output bank_2025_scored.csv\n";

// Sets the training rate of every row of `report` (rules in order, then the remainder) from the
// figures the model file records per rule; false when they do not match the model's rules (the
// rates are then NaN).
bool AddTrainingRates(ModelReport& report, const DLModel& model,
                      const std::vector<std::vector<PmmlRuleRecord>>& records) {
  for (RuleRow& row : report.rows) row.trainingRate = std::nan("");
  report.hasTrainingRate = true;
  if (records.empty() || records.size() != static_cast<std::size_t>(model.GetNumOfLists())) {
    return false;
  }
  auto rate = [](const PmmlRuleRecord& r) {
    return r.coverage > 0 ? r.responses / r.coverage : std::nan("");
  };
  std::size_t row = 0;
  for (int l = 0; l < model.GetNumOfLists(); ++l) {
    const std::vector<PmmlRuleRecord>& rules = records[static_cast<std::size_t>(l)];
    const std::size_t n = static_cast<std::size_t>(model.GetList(l)->GetNumOfRules());
    // Each rule set ends with its list's remainder rule.
    if (rules.size() != n + 1) return false;
    for (std::size_t r = 0; r < n && row < report.rows.size(); ++r) {
      report.rows[row++].trainingRate = rate(rules[r]);
    }
  }
  // The model's remainder is what the last list leaves.
  report.rows.back().trainingRate = rate(records.back().back());
  return true;
}

// Without the target in the file, only the rules' coverage of it is known.
void ForgetResponses(ModelReport& report) {
  const double none = std::nan("");
  report.responses = report.baseRate = none;
  report.hasSummary = false;
  for (RuleRow& row : report.rows) {
    row.responses = row.rate = row.lower = row.upper = row.lift = row.cumulativeRate = none;
  }
}

// Reads `source` for the model with `fields` and plans its columns: the model's predictors must
// be there; its categorical fields keep all their values, whatever the data hold. A file without
// the target gets it as an absent column (every row missing), so the model still reads.
LoadedTable PlanForScoring(const DataSource& source, const std::vector<PmmlField>& fields,
                           const std::string& modelPath, ColumnOptions& columns,
                           ConsoleProgress& progress, QXQueryCancel& cancel) {
  std::unique_ptr<InputStream> in = source.Open();
  CsvReader reader(*in, source.Name(), ReadFormat(columns));
  reader.ReadHeader();
  const std::vector<std::string>& header = reader.Header();
  for (const PmmlField& field : fields) {
    if (!(field.used || field.predicted)) continue;
    const bool present = std::find(header.begin(), header.end(), field.name) != header.end();
    if (!present && !field.predicted) {
      throw InputError(
          source.Name(), 1, 0,
          "the column \"" + field.name + "\" used by the model " + modelPath + " is missing");
    }
    if (present && field.optype != "continuous") columns.nominal.push_back(field.name);
  }
  if (!columns.weight.empty() || !columns.missing.Columns().empty()) {
    CheckColumnOptions(header, columns);
  }
  const auto profiles = ProfileFile(reader, columns, kScanDistinctCap, progress, cancel);
  LoadedTable table;
  table.header = header;
  table.plan = PlanForModel(fields, profiles, columns, source.Name(), modelPath);
  if (table.plan.targetIndex < 0) AddAbsentTarget(fields, table.plan);
  if (table.plan.targetIndex < 0) {
    throw InputError(modelPath, 0, 0, "the model names no predicted (target) field");
  }
  table.vars = BuildVarList(table.plan);
  return table;
}

}  // namespace

int RunScore(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
             const RunContext& context) {
  return RunCommand("score", out, err, context, [&](CommandIo& io) -> int {
    ColumnOptions columns;
    OutputOptions output;
    std::string outputPath;
    const OptionTable table =
        Join({Only(ColumnOptionTable(columns),
                   {"delimiter", "na", "encoding", "max-field-bytes", "weight"}),
              {{"output", 0, true, [&](const std::string& value) { outputPath = value; }}},
              OutputOptionTable(output),
              ModelOutputOptionTable(output)});
    const ParsedArgs parsed = ParseArgs(args, table, "score");
    if (parsed.help) {
      io.out << kScoreHelp << kOutputHelp << kModelOutputHelp << kScoreExamples;
      return kExitOk;
    }
    if (parsed.positional.size() != 2) {
      throw UsageError(
          "score: expected a model and a data file, e.g. `ruleweave score MODEL.pmml "
          "DATA.csv`");
    }
    const std::string modelPath = parsed.positional[0];
    const DataSource source = DataSource::Argument(parsed.positional[1], io.in);
    // Output files are checked before anything is read: a bad path fails at once.
    OutputSet files({modelPath, source.Path()});
    files.Check("output", outputPath);
    const ModelFiles modelFiles = OpenModelFiles(files, output);
    ConsoleProgress progress(io.err, ShowProgress(output, io), io.errIsTerminal);

    const std::string document = ReadWholeFile(modelPath);
    std::vector<PmmlField> fields;
    try {
      fields = ReadPmmlFields(document);
    } catch (const std::runtime_error& error) {
      throw InputError(modelPath, 0, 0, error.what());
    }
    std::vector<std::vector<PmmlRuleRecord>> records;
    try {
      records = ReadPmmlRuleRecords(document);
    } catch (const std::runtime_error& error) {
      throw InputError(modelPath, 0, 0, error.what());
    }
    // Every row is loaded for the rules it goes to; the figures leave out rows whose target is
    // missing, so those need a second data set when there are any.
    LoadedTable data = PlanForScoring(source, fields, modelPath, columns, progress, io.cancel);
    const ColumnPlan& target = data.plan.columns[static_cast<std::size_t>(data.plan.targetIndex)];
    const bool targetAbsent = target.absent;
    LoadFilter everyRow;
    everyRow.rowCases = !outputPath.empty();
    LoadData(source, columns, data, progress, io.cancel, everyRow);
    LoadedTable labelled;
    if (!targetAbsent && target.missing > 0) {
      labelled.header = data.header;
      labelled.plan = data.plan;
      LoadFilter filter;
      filter.dropMissingTarget = true;
      LoadData(source, columns, labelled, progress, io.cancel, filter, data.vars.get());
    }
    if (!output.quiet) {
      const std::string weights = WeightNote(data.leftOut);
      if (!weights.empty()) io.err << "ruleweave: " << weights << '\n';
      if (targetAbsent) {
        io.err << "ruleweave: " << source.Name() << " has no column \"" << target.name
               << "\"; rules and training rates only\n";
      } else if (labelled.leftOut.targetMissing > 0) {
        io.err << "ruleweave: " << labelled.leftOut.targetMissing
               << " row(s) with a missing target left out of the figures\n";
      }
    }

    DLSettings settings;
    settings.UseLargeCategory(data.plan.largeCategories);
    std::unique_ptr<IDLAlgorithm> algorithm(DLFactory().CreateAlgorithm(settings));
    DLModel* raw = nullptr;
    const QXDecision::QXStatus status = algorithm->ImportModel(document.c_str(), *data.vars, &raw);
    std::unique_ptr<DLModel> imported(raw);
    CheckStatus(status, "reading the model " + modelPath + " failed");
    if (!imported) throw LibraryError("reading the model " + modelPath + " failed", status);
    const std::unique_ptr<DLModel> model = MeasureOn(*imported, *data.data);
    const std::unique_ptr<DLModel> measured =
        labelled.data ? MeasureOn(*imported, *labelled.data) : nullptr;

    const int missingCode = data.data->GetMissingCategory();
    ModelReport report = BuildReport(measured ? *measured : *model, 1, *data.vars, missingCode);
    if (!AddTrainingRates(report, *model, records)) {
      Warn(io.err, "the model " + modelPath +
                       " does not record its rules' training figures; rule_rate is left empty");
    }
    report.targetMissingRows = static_cast<double>(labelled.leftOut.targetMissing);
    if (targetAbsent) ForgetResponses(report);
    // The files first: a reader closing standard output early must not cost them.
    if (!outputPath.empty()) {
      WriteScoredFile(outputPath, source, data, columns,
                      AssignCases(*model, data.data->GetNumOfCases(), report), io.cancel);
    }
    WriteModelFiles(modelFiles, report, SummarizeData(data.plan, source.Name()));
    files.CommitAll();
    WriteReports(io.out, {report}, output.format, TableWidth(output.width, io.outColumns));
    return kExitOk;
  });
}

}  // namespace ruleweave_cli
