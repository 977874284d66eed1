// Rules in plain words: a segment on a category-coded or continuous variable written with real
// category values and value ranges ("age in (30, 50]", "region in {north, south}").
#ifndef RULEWEAVE_TOOLS_RULE_TEXT_H_
#define RULEWEAVE_TOOLS_RULE_TEXT_H_

#include <string>

#include <ruleweave/ruleweave.h>

namespace ruleweave_cli {

// The segment in words. `vars` is the variable list the segment's codes belong to (the data
// set's), `missingCode` the data set's missing category code.
std::string SegmentText(const DLSegment& segment, const DLVarList& vars, int missingCode);

// The rule's segments joined by " and "; "(all cases)" for a rule without segments.
std::string RuleText(const DLRule& rule, const DLVarList& vars, int missingCode);

// The category text of `code` of a categorical variable ("" for a code it does not hold).
std::string CategoryText(const IDLVar& var, int code);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_RULE_TEXT_H_
