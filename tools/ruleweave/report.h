// The result tables the program prints: one per model, a row per rule and one for the
// remainder, written as an aligned text table, as CSV or as JSON (the same fields in each).
#ifndef RULEWEAVE_TOOLS_REPORT_H_
#define RULEWEAVE_TOOLS_REPORT_H_

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace ruleweave_cli {

enum class OutputFormat { kTable, kCsv, kJson };

// One condition of a rule in structured form, for JSON, SQL and the report. Categorical
// conditions are resolved to the categories they select (a "not in" set or an ordinal range
// becomes the list of its members), so they read the same whatever form the library chose.
struct Condition {
  enum class Kind {
    kRange,       // a continuous column within bounds; a missing value never satisfies it
    kIn,          // one of `values` (or `numbers`), or missing when `missing` says so
    kNotIn,       // a continuous column not one of `numbers`; missing values satisfy it
    kMissing,     // the value is missing
    kNotMissing,  // any value but a missing one
  };
  std::string column;
  Kind kind = Kind::kRange;
  std::string text;       // in words, numbers to 6 significant digits (the table's form)
  std::string exactText;  // in words, numbers at full precision (CSV and JSON)
  // kRange: an end that does not exist (no bound) has hasLow / hasHigh false.
  bool hasLow = false;
  bool hasHigh = false;
  double low = 0;
  double high = 0;
  bool lowClosed = false;   // low itself is in the range
  bool highClosed = false;  // high itself is in the range
  // kIn / kNotIn: numeric categories (or continuous values) in `numbers`, text ones in `values`.
  bool numeric = false;
  std::vector<double> numbers;
  std::vector<std::string> values;
  bool missing = false;  // whether a missing value satisfies the condition
};

// Figures of a rule (or the remainder) measured on a second set of cases (a holdout sample).
// The writers show them only when a model's rows carry them.
struct HoldoutFigures {
  double coverage = 0;
  double responses = 0;
  double rate = 0;  // NaN when nothing was covered, as the other figures
  double lower = 0;
  double upper = 0;
  double lift = 0;  // holdout rate / holdout base rate
  // A rule whose holdout interval does not clear the training base rate (never the remainder).
  bool weak = false;
};

// One rule (or the remainder) of a model. A rate, bound or lift that does not exist (nothing
// covered) is NaN and printed as "-" (null in JSON).
struct RuleRow {
  std::string id;                        // "1", "2" ... or "L.R" when the model has several lists
  std::string conditions;                // plain words; "remainder" for the remainder row
  std::vector<Condition> conditionList;  // the same conditions structured (none: all cases)
  bool remainder = false;
  double coverage = 0;
  double responses = 0;
  double rate = 0;
  double lower = 0;  // 95% interval of the rate
  double upper = 0;
  double lift = 0;  // rate / base rate
  double cumulativeCoverage = 0;
  double cumulativeRate = 0;
  std::optional<HoldoutFigures> holdout;  // measured again on the holdout rows
  // The rate the model file records for the rule on its training data
  // (ModelReport::hasTrainingRate).
  double trainingRate = 0;
};

struct ModelReport {
  int number = 0;
  std::string target;
  std::string response;
  double cases = 0;  // cases (or summed weights) the model was measured on
  double responses = 0;
  double baseRate = 0;
  std::vector<RuleRow> rows;  // rules in order, then the remainder
  // The holdout sample's cases (coverage), responses and base rate (rate), when the rows carry
  // holdout figures; the lists' rate and the remainder's on those rows beside them.
  std::optional<HoldoutFigures> holdout;
  double holdoutListRate = 0;
  double holdoutRemainderRate = 0;
  // What the lists take of the cases and responses, their rate and the remainder's rate.
  bool hasSummary = false;
  double listShare = 0;
  double responseShare = 0;
  double listRate = 0;
  double remainderRate = 0;
  // The AUC the models are ranked by, and on which rows it was measured.
  bool hasAuc = false;
  double auc = 0;
  bool aucOnHoldout = false;
  bool hasTrainingRate = false;
  double targetMissingRows = 0;  // rows left out because their target is missing
};

// Writes the models in `format`. A text table is fitted into `width` columns (0: no limit): a
// long conditions cell is wrapped onto continuation lines, between conditions first and then
// inside a set of values, while the figures keep their columns.
void WriteReports(std::ostream& out, const std::vector<ModelReport>& models, OutputFormat format,
                  std::size_t width = 0);

// Lines of at most `width` characters (UTF-8 characters, at least 8) holding the conditions
// joined by " and ": a line breaks between conditions where it can ("and" starts the next
// line), inside a value set after ", " where a condition is longer than a line, and anywhere
// in a word longer than that. Continuation lines are indented two spaces.
std::vector<std::string> WrapConditions(const std::vector<std::string>& conditions,
                                        std::size_t width);

// The machine-readable writers (report_data.cc): one CSV row per rule, and one JSON document
// with numbers as numbers and each condition as an object.
void WriteCsvReports(std::ostream& out, const std::vector<ModelReport>& models);
void WriteJsonReports(std::ostream& out, const std::vector<ModelReport>& models);

// A number for CSV/JSON: full precision, `none` when it does not exist.
std::string ExactNumber(double value, const char* none);
// A row's conditions joined by " and " at full precision, for CSV and JSON.
std::string ExactConditions(const RuleRow& row);

// JSON number of `value`: full precision, "null" when it is NaN or infinite.
std::string JsonNumber(double value);

// JSON string literal of `text` (quotes included).
std::string JsonString(const std::string& text);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_REPORT_H_
