// The scored file of `ruleweave score --output`: the data file again, each row followed by the
// rule that took it and that rule's response rate.
#ifndef RULEWEAVE_TOOLS_SCORED_FILE_H_
#define RULEWEAVE_TOOLS_SCORED_FILE_H_

#include <string>
#include <utility>
#include <vector>

#include <ruleweave/ruleweave.h>

#include "table_loader.h"

namespace ruleweave_cli {

// Which rule of a measured model took each case. Under first hit the rules' coverage sets are
// disjoint, so each case has at most one rule; a case no rule took falls to the remainder.
struct RuleAssignments {
  std::vector<std::pair<std::string, double>> rules;  // "L.R" (from 1) and the rule's rate
  std::vector<int> takenBy;                           // per case: its entry in rules, or -1
  double remainderRate = 0;                           // missing when the remainder is empty
};

RuleAssignments AssignCases(const DLModel& model, int cases);

// Writes `path`: the rows of `source` as they are, with the columns "rule" and "rule_rate"
// added (each name prefixed with "_" while the header already holds it). A row that did not
// become a case (its weight dropped it) gets both empty. Written through a temporary file;
// throws Cancelled when `cancel` says so, InputError when the file cannot be written.
void WriteScoredFile(const std::string& path, const DataSource& source, const LoadedTable& table,
                     const ColumnOptions& columns, const RuleAssignments& assignments,
                     QXQueryCancel& cancel);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_SCORED_FILE_H_
