// The scored file of `ruleweave score --output`: the data file again, each row followed by the
// rule that took it, that rule's conditions and its response rate on the model's training data.
#ifndef RULEWEAVE_TOOLS_SCORED_FILE_H_
#define RULEWEAVE_TOOLS_SCORED_FILE_H_

#include <string>
#include <vector>

#include <ruleweave/ruleweave.h>

#include "report.h"
#include "table_loader.h"

namespace ruleweave_cli {

// Which rule of a measured model took each case. Under first hit the rules' coverage sets are
// disjoint, so each case has at most one rule; a case no rule took falls to the remainder.
struct RuleAssignments {
  struct Rule {
    std::string id;  // "R1.10": list 1, rule 10 (text no spreadsheet reads as a number)
    std::string conditions;
    double rate = 0;  // on the training data; NaN when unknown
  };
  std::vector<Rule> rules;
  std::vector<int> takenBy;  // per case: its entry in rules, or -1
  double remainderRate = 0;  // on the training data; NaN when unknown
};

// The rules of `model` (measured on a data set of `cases` cases) with their conditions and
// training rates from `report`, a report of the same model (rows in the same order).
RuleAssignments AssignCases(const DLModel& model, int cases, const ModelReport& report);

// Writes `path`: the rows of `source` as they are, with the columns "rule", "rule_conditions"
// and "rule_rate" added (each name prefixed with "_" while the header already holds it).
// `caseOfRow` gives each data row's case (from the load); a row that is no case (its weight
// dropped it) gets the three fields empty. Written through a temporary file; throws Cancelled
// when `cancel` says so, InputError when the file cannot be written or the rows changed.
void WriteScoredFile(const std::string& path, const DataSource& source, const LoadedTable& table,
                     const ColumnOptions& columns, const RuleAssignments& assignments,
                     QXQueryCancel& cancel);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_SCORED_FILE_H_
