// The files `search` and `score` write of the chosen model besides PMML: the SQL expression of
// --sql and the HTML page of --report.
#ifndef RULEWEAVE_TOOLS_MODEL_FILES_H_
#define RULEWEAVE_TOOLS_MODEL_FILES_H_

#include "html_report.h"
#include "options.h"
#include "output_file.h"
#include "report.h"

namespace ruleweave_cli {

// The opened (temporary) files; null for one not asked for. Owned by the OutputSet.
struct ModelFiles {
  AtomicFile* sql = nullptr;
  AtomicFile* report = nullptr;
  bool Any() const { return sql != nullptr || report != nullptr; }
};

// Opens the files `output` asks for in `files` (checked there against the inputs).
ModelFiles OpenModelFiles(OutputSet& files, const OutputOptions& output);

// Writes `model` into each opened file; `data` summarises the data it was measured on.
void WriteModelFiles(const ModelFiles& files, const ModelReport& model, const DataSummary& data);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_MODEL_FILES_H_
