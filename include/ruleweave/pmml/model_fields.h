// QXDecisionXML::GetModelFields and GetModelRuleRecords: the fields a PMML rule-set document
// declares and the training figures of its rules, read through the library's own limited reader,
// so a host can build a matching variable list before it imports and show how each rule did
// without parsing the document itself.
#ifndef RULEWEAVE_PMML_MODEL_FIELDS_H_
#define RULEWEAVE_PMML_MODEL_FIELDS_H_

#include <limits>
#include <string>
#include <vector>

#include "ruleweave/foundation/status.h"

namespace QXDecisionXML {

// One DataField of a document's data dictionary.
struct PMMLField {
  std::string name;
  // "continuous", "categorical" or "ordinal"; empty when the optype is absent or another word.
  std::string optype;
  // The dataType as written ("double", "integer", "string", ...); empty when absent.
  std::string dataType;
  // The values of its Value elements whose property is "valid" or absent, in document order.
  std::vector<std::string> values;
  // Named by the mining schema of some rule set as an active field (usageType "active" or none)
  // or as its predicted field (the first with usageType "predicted").
  bool used = false;
  bool predicted = false;  // the predicted field of some rule set
};

// Lists the data dictionary of `document` (UTF-8 PMML) in document order. The document is read as
// IDLAlgorithm::ImportModel reads it, under the same limits: no DOCTYPE, no entities, no network,
// bounded size, nesting depth and attribute counts. On success `fields` is replaced (a document
// without a data dictionary gives none) and the status is OK. Otherwise the status is 110030,
// `fields` is unchanged and `errorMessage`, when given, receives the reason (with line and
// column where known): text that is not well-formed or breaks a limit, a root that is not PMML,
// or anything else the import's reader refuses (a field without name or declared twice, a rule
// set without RuleSet, a rule without predicate, a bad Array or Extension).
QXDecision::QXStatus GetModelFields(const std::string& document, std::vector<PMMLField>& fields,
                                    std::string* errorMessage = nullptr);

// The training figures the exporter records on one SimpleRule of a rule set.
struct PMMLRuleRecord {
  // The id attribute as written; empty when absent.
  std::string id;
  // recordCount: the cases (or their weight) the rule took in training; nbCorrect: the responses
  // among them. NaN when absent, not a number, negative or not finite.
  double recordCount = std::numeric_limits<double>::quiet_NaN();
  double nbCorrect = std::numeric_limits<double>::quiet_NaN();
};

// Lists the rules of `document` (UTF-8 PMML), read as GetModelFields reads it: one vector per
// RuleSetModel in document order, holding its SimpleRules in order (a CompoundRule is skipped).
// A document the exporter wrote ends every list with its remainder rule (predicate True), whose
// figures are those of the cases no rule of the list took. On success `lists` is replaced (a
// document without rule sets gives none) and the status is OK; otherwise, for the same reasons
// as GetModelFields, the status is 110030, `lists` is unchanged and `errorMessage`, when given,
// receives the reason.
QXDecision::QXStatus GetModelRuleRecords(const std::string& document,
                                         std::vector<std::vector<PMMLRuleRecord>>& lists,
                                         std::string* errorMessage = nullptr);

}  // namespace QXDecisionXML

#endif  // RULEWEAVE_PMML_MODEL_FIELDS_H_
