// What `ruleweave describe` shows of a file: one description per column, written as an aligned
// text listing, as CSV or as JSON (the same facts in each).
#ifndef RULEWEAVE_TOOLS_DESCRIBE_REPORT_H_
#define RULEWEAVE_TOOLS_DESCRIBE_REPORT_H_

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "report.h"

namespace ruleweave_cli {

struct ColumnDescription {
  std::string name;
  std::string kind;      // "continuous", "nominal string", ...
  std::string role;      // "predictor", "target", "weight", "unused" or "ignored"
  std::string distinct;  // a count, or "more than N" when counting stopped
  std::int64_t missing = 0;
  bool allMissing = false;  // rows, but no value in any of them
  bool hasRange = false;    // a numeric column with a value: min and max hold
  double min = 0;
  double max = 0;
  bool hasCategories = false;  // a categorical column whose categories are known
  std::vector<std::pair<std::string, std::int64_t>> categories;  // in code order, with counts
};

struct TableDescription {
  std::string file;
  std::int64_t rows = 0;
  bool largeCategories = false;
  std::vector<ColumnDescription> columns;
};

// Writes `table`, listing at most `maxCategories` categories per column (the text forms say how
// many more there are). The aligned text shortens names and values longer than a line's worth
// of characters, ending them with "…".
void WriteDescription(std::ostream& out, const TableDescription& table, OutputFormat format,
                      std::size_t maxCategories);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_DESCRIBE_REPORT_H_
