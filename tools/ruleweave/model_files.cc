// Writing the SQL and HTML forms of a model.
#include "model_files.h"

#include "sql_writer.h"

namespace ruleweave_cli {

ModelFiles OpenModelFiles(OutputSet& files, const OutputOptions& output) {
  ModelFiles opened;
  opened.sql = files.Open("sql", output.sqlPath);
  opened.report = files.Open("report", output.reportPath);
  return opened;
}

void WriteModelFiles(const ModelFiles& files, const ModelReport& model, const DataSummary& data) {
  if (files.sql != nullptr) WriteSql(files.sql->Stream(), model);
  if (files.report != nullptr) WriteHtmlReport(files.report->Stream(), data, model);
}

}  // namespace ruleweave_cli
