// What `ruleweave score` needs to know of a PMML rule-set document before the library reads it:
// the fields of its data dictionary (kind, data type, valid categories in order) and which field
// each rule set predicts, and the training figures recorded on each rule, all read through the
// library's limited reader.
#ifndef RULEWEAVE_TOOLS_PMML_FIELDS_H_
#define RULEWEAVE_TOOLS_PMML_FIELDS_H_

#include <string>
#include <vector>

namespace ruleweave_cli {

struct PmmlField {
  std::string name;
  std::string optype;               // "continuous", "categorical" or "ordinal"
  std::string dataType;             // "double", "integer" or "string"
  std::vector<std::string> values;  // valid categories in document order
  bool predicted = false;           // the target of some rule set
  bool used = false;                // named by some mining schema
};

// The training figures the exporter records on a rule: recordCount and nbCorrect (NaN where the
// document lacks them).
struct PmmlRuleRecord {
  double coverage = 0;
  double responses = 0;
};

// Reads the data dictionary and mining schemas of `document`. Throws std::runtime_error with a
// readable message when the text is not well-formed XML or has no DataDictionary.
std::vector<PmmlField> ReadPmmlFields(const std::string& document);

// The records of every SimpleRule, per RuleSetModel (one per list) in document order; a list's
// remainder rule comes last. Throws as ReadPmmlFields.
std::vector<std::vector<PmmlRuleRecord>> ReadPmmlRuleRecords(const std::string& document);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_PMML_FIELDS_H_
