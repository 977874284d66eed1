// Reading the data dictionary, mining schemas and rule records of a PMML document through the
// library's limited reader (QXDecisionXML::GetModelFields and GetModelRuleRecords), so the
// program never parses untrusted XML itself.
#include "pmml_fields.h"

#include <stdexcept>

#include <ruleweave/ruleweave.h>

namespace ruleweave_cli {

namespace {

std::string Unreadable(const QXDecision::QXStatus& status, const std::string& reason) {
  return "not a readable PMML document (" +
         (reason.empty() ? std::string(QXDecision::QXStatus::GetDescription(status.GetErrorCode()))
                         : reason) +
         ")";
}

}  // namespace

std::vector<std::vector<PmmlRuleRecord>> ReadPmmlRuleRecords(const std::string& document) {
  std::vector<std::vector<QXDecisionXML::PMMLRuleRecord>> read;
  std::string reason;
  const QXDecision::QXStatus status = QXDecisionXML::GetModelRuleRecords(document, read, &reason);
  if (status.IsError()) throw std::runtime_error(Unreadable(status, reason));
  std::vector<std::vector<PmmlRuleRecord>> lists;
  lists.reserve(read.size());
  for (const auto& rules : read) {
    std::vector<PmmlRuleRecord>& out = lists.emplace_back();
    for (const QXDecisionXML::PMMLRuleRecord& r : rules)
      out.push_back({r.recordCount, r.nbCorrect});
  }
  return lists;
}

std::vector<PmmlField> ReadPmmlFields(const std::string& document) {
  std::vector<QXDecisionXML::PMMLField> read;
  std::string reason;
  const QXDecision::QXStatus status = QXDecisionXML::GetModelFields(document, read, &reason);
  if (status.IsError()) {
    throw std::runtime_error(Unreadable(status, reason));
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
