// QXDecisionXML::GetModelFields: the fields a PMML rule-set document declares, read through the
// library's own limited reader, so a host can build a matching variable list before it imports.
#ifndef RULEWEAVE_PMML_MODEL_FIELDS_H_
#define RULEWEAVE_PMML_MODEL_FIELDS_H_

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

}  // namespace QXDecisionXML

#endif  // RULEWEAVE_PMML_MODEL_FIELDS_H_
