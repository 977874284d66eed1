// `ruleweave score`: a saved model measured on a data file, and optionally the scored file.
#include <algorithm>
#include <memory>
#include <ostream>

#include "command_support.h"
#include "commands.h"
#include "model_report.h"
#include "pmml_fields.h"
#include "scored_file.h"

namespace ruleweave_cli {

namespace {

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

// Reads and loads `source` for the model with `fields`: the model's columns must be there; its
// categorical fields keep all their values, whatever the data hold.
LoadedTable LoadForModel(const DataSource& source, const std::vector<PmmlField>& fields,
                         const std::string& modelPath, ColumnOptions& columns,
                         ConsoleProgress& progress, QXQueryCancel& cancel) {
  std::unique_ptr<InputStream> in = source.Open();
  CsvReader reader(*in, source.Name(), ReadFormat(columns));
  reader.ReadHeader();
  for (const PmmlField& field : fields) {
    if (!(field.used || field.predicted)) continue;
    if (std::find(reader.Header().begin(), reader.Header().end(), field.name) ==
        reader.Header().end()) {
      throw InputError(
          source.Name(), 1, 0,
          "the column \"" + field.name + "\" used by the model " + modelPath + " is missing");
    }
    if (field.optype != "continuous") columns.nominal.push_back(field.name);
  }
  if (!columns.weight.empty() || !columns.missing.Columns().empty()) {
    CheckColumnOptions(reader.Header(), columns);
  }
  const auto profiles = ProfileFile(reader, columns, kScanDistinctCap, progress, cancel);
  LoadedTable table;
  table.header = reader.Header();
  table.plan = PlanForModel(fields, profiles, columns, source.Name(), modelPath);
  if (table.plan.targetIndex < 0) {
    throw InputError(modelPath, 0, 0, "the model names no predicted (target) field");
  }
  table.vars = BuildVarList(table.plan);
  LoadData(source, columns, table, progress, cancel);
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
              OutputOptionTable(output)});
    const ParsedArgs parsed = ParseArgs(args, table, "score");
    if (parsed.help) {
      io.out << kScoreHelp << kOutputHelp << kScoreExamples;
      return kExitOk;
    }
    if (parsed.positional.size() != 2) {
      throw UsageError(
          "score: expected a model and a data file, e.g. `ruleweave score MODEL.pmml "
          "DATA.csv`");
    }
    const std::string modelPath = parsed.positional[0];
    const DataSource source = DataSource::Argument(parsed.positional[1], io.in);
    ConsoleProgress progress(io.err, ShowProgress(output, io), io.errIsTerminal);

    const std::string document = ReadWholeFile(modelPath);
    std::vector<PmmlField> fields;
    try {
      fields = ReadPmmlFields(document);
    } catch (const std::runtime_error& error) {
      throw InputError(modelPath, 0, 0, error.what());
    }
    LoadedTable data = LoadForModel(source, fields, modelPath, columns, progress, io.cancel);

    DLSettings settings;
    settings.UseLargeCategory(data.plan.largeCategories);
    std::unique_ptr<IDLAlgorithm> algorithm(DLFactory().CreateAlgorithm(settings));
    DLModel* raw = nullptr;
    const QXDecision::QXStatus status = algorithm->ImportModel(document.c_str(), *data.vars, &raw);
    std::unique_ptr<DLModel> imported(raw);
    CheckStatus(status, "reading the model " + modelPath + " failed");
    if (!imported) throw LibraryError("reading the model " + modelPath + " failed", status);
    std::unique_ptr<DLModel> model = MeasureOn(*imported, *data.data);

    const int missingCode = data.data->GetMissingCategory();
    WriteReports(io.out, {BuildReport(*model, 1, *data.vars, missingCode)}, output.format);
    io.out.flush();
    if (!outputPath.empty()) {
      WriteScoredFile(outputPath, source, data, columns,
                      AssignCases(*model, data.data->GetNumOfCases()), io.cancel);
    }
    return kExitOk;
  });
}

}  // namespace ruleweave_cli
