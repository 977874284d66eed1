// Rules in plain words: a segment on a category-coded or continuous variable written with real
// category values and value ranges ("age in (30, 50]", "region in {north, south}").
#ifndef RULEWEAVE_TOOLS_RULE_TEXT_H_
#define RULEWEAVE_TOOLS_RULE_TEXT_H_

#include <string>
#include <vector>

#include <ruleweave/ruleweave.h>

#include "report.h"

namespace ruleweave_cli {

// The segment in words. `vars` is the variable list the segment's codes belong to (the data
// set's), `missingCode` the data set's missing category code.
std::string SegmentText(const DLSegment& segment, const DLVarList& vars, int missingCode);

// The rule's segments joined by " and "; "(all cases)" for a rule without segments.
std::string RuleText(const DLRule& rule, const DLVarList& vars, int missingCode);

// The segment as a structured condition, its texts included. A categorical segment is resolved
// to the categories of `vars` it selects ("not in" and ordinal ranges become member lists), and
// `missing` says whether the data set's missing code satisfies it.
Condition SegmentCondition(const DLSegment& segment, const DLVarList& vars, int missingCode);

// The rule's segments as conditions, in order (none for a rule without segments).
std::vector<Condition> RuleConditions(const DLRule& rule, const DLVarList& vars, int missingCode);

// The category text of `code` of a categorical variable ("" for a code it does not hold).
std::string CategoryText(const IDLVar& var, int code);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_RULE_TEXT_H_
