// A model's rules as standard SQL: a SELECT whose two CASE columns give each row the rule that
// takes it (R1.2: list 1, rule 2, or 'remainder') and that rule's training response rate.
#ifndef RULEWEAVE_TOOLS_SQL_WRITER_H_
#define RULEWEAVE_TOOLS_SQL_WRITER_H_

#include <iosfwd>
#include <string>

#include "report.h"

namespace ruleweave_cli {

// "name" with embedded double quotes doubled.
std::string SqlIdentifier(const std::string& name);
// 'text' with embedded single quotes doubled.
std::string SqlString(const std::string& text);
// The condition as an SQL predicate on its column; missing values are NULL.
std::string SqlPredicate(const Condition& condition);

// Writes `model` as
//   SELECT "data".*, CASE WHEN <rule 1.1> THEN 'R1.1' ... ELSE 'remainder' END AS "rule",
//          CASE WHEN <rule 1.1> THEN <rate> ... ELSE <remainder rate> END AS "rule_rate"
//   FROM "data";
// with comments saying what it needs: the rows in a table (or view) named "data", missing
// values stored as NULL, numbers in numeric columns. The first rule whose conditions hold
// takes a row, as in the library; a rate that does not exist (nothing covered) is NULL.
void WriteSql(std::ostream& out, const ModelReport& model);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_SQL_WRITER_H_
