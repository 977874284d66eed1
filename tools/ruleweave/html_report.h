// The model report of `--report FILE.html`: one self-contained page (inline styles and SVG, no
// scripts, fonts or links to fetch) with the data summary, the chosen model's rules and their
// figures, a cumulative gains chart, a lift chart and each rule's rate interval against the
// base rate. Holdout figures appear beside the training ones when the rows carry them.
#ifndef RULEWEAVE_TOOLS_HTML_REPORT_H_
#define RULEWEAVE_TOOLS_HTML_REPORT_H_

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "column_plan.h"
#include "report.h"

namespace ruleweave_cli {

// What the report says of the data the model was found (or measured) on.
struct DataSummary {
  struct Column {
    std::string name;
    std::string kind;  // "continuous", "nominal string", ...
    std::string role;  // "predictor", "target", "weight", "ignored" or "unused"
    std::int64_t missing = 0;
  };
  std::string file;
  std::int64_t rows = 0;
  std::vector<Column> columns;
};

// The summary of a planned table read from `file`.
DataSummary SummarizeData(const TablePlan& plan, const std::string& file);

// Text with the characters HTML gives a meaning (& < > " ') written as references.
std::string HtmlEscape(const std::string& text);

// Writes the page for `model` measured on the data `data` describes.
void WriteHtmlReport(std::ostream& out, const DataSummary& data, const ModelReport& model);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_HTML_REPORT_H_
