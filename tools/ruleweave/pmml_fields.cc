// Reading the data dictionary and mining schemas of a PMML document through the library's limited
// reader (QXDecisionXML::GetModelFields), so the program never parses untrusted XML itself.
#include "pmml_fields.h"

#include <stdexcept>

#include <ruleweave/ruleweave.h>

namespace ruleweave_cli {

std::vector<PmmlField> ReadPmmlFields(const std::string& document) {
  std::vector<QXDecisionXML::PMMLField> read;
  std::string reason;
  const QXDecision::QXStatus status = QXDecisionXML::GetModelFields(document, read, &reason);
  if (status.IsError()) {
    throw std::runtime_error(
        "not a readable PMML document (" +
        (reason.empty() ? std::string(QXDecision::QXStatus::GetDescription(status.GetErrorCode()))
                        : reason) +
        ")");
  }
  if (read.empty()) throw std::runtime_error("the PMML document has no DataDictionary");
  std::vector<PmmlField> fields;
  fields.reserve(read.size());
  for (QXDecisionXML::PMMLField& f : read) {
    PmmlField field;
    field.name = std::move(f.name);
    field.optype = std::move(f.optype);
    field.dataType = std::move(f.dataType);
    field.values = std::move(f.values);
    field.used = f.used;
    field.predicted = f.predicted;
    fields.push_back(std::move(field));
  }
  return fields;
}

}  // namespace ruleweave_cli
