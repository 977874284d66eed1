// The result tables the program prints: one per model, a row per rule and one for the
// remainder, written as an aligned text table, as CSV or as JSON (the same fields in each).
#ifndef RULEWEAVE_TOOLS_REPORT_H_
#define RULEWEAVE_TOOLS_REPORT_H_

#include <iosfwd>
#include <string>
#include <vector>

namespace ruleweave_cli {

enum class OutputFormat { kTable, kCsv, kJson };

// One rule (or the remainder) of a model. A rate, bound or lift that does not exist (nothing
// covered) is NaN and printed as "-" (null in JSON).
struct RuleRow {
  std::string id;          // "1", "2" ... or "L.R" when the model has several lists
  std::string conditions;  // plain words; "remainder" for the remainder row
  bool remainder = false;
  double coverage = 0;
  double responses = 0;
  double rate = 0;
  double lower = 0;  // 95% interval of the rate
  double upper = 0;
  double lift = 0;  // rate / base rate
  double cumulativeCoverage = 0;
  double cumulativeRate = 0;
  // Measured again on the holdout rows (ModelReport::hasHoldout).
  double holdoutCoverage = 0;
  double holdoutResponses = 0;
  double holdoutRate = 0;
  double holdoutLower = 0;  // 95% interval, as above
  double holdoutUpper = 0;
  bool weak = false;  // a rule whose holdout interval does not clear the training base rate
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
  bool hasHoldout = false;
  double holdoutCases = 0;
  double holdoutResponses = 0;
  double holdoutListRate = 0;  // the lists' rate and the remainder's on the holdout rows
  double holdoutRemainderRate = 0;
  bool hasTrainingRate = false;
  double targetMissingRows = 0;  // rows left out because their target is missing
};

void WriteReports(std::ostream& out, const std::vector<ModelReport>& models, OutputFormat format);

// JSON string literal of `text` (quotes included).
std::string JsonString(const std::string& text);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_REPORT_H_
