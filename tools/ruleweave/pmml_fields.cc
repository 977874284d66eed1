// Reading the data dictionary and mining schemas of a PMML document through the library's limited
// reader (QXDecisionXML::GetModelFields); the training figures recorded on its rules are still
// read with libxml2 (network access off) until the library offers them.
#include "pmml_fields.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <stdexcept>

#include <ruleweave/ruleweave.h>

namespace ruleweave_cli {

namespace {

struct DocDeleter {
  void operator()(xmlDoc* doc) const { xmlFreeDoc(doc); }
};

bool Is(const xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE &&
         xmlStrcmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

std::string Attr(const xmlNode* node, const char* name) {
  xmlChar* value = xmlGetProp(node, reinterpret_cast<const xmlChar*>(name));
  if (value == nullptr) return "";
  std::string out(reinterpret_cast<const char*>(value));
  xmlFree(value);
  return out;
}

using Doc = std::unique_ptr<xmlDoc, DocDeleter>;

// `document` parsed, its root checked to be PMML.
Doc Parse(const std::string& document) {
  Doc doc(xmlReadMemory(document.data(), static_cast<int>(document.size()), "model.pmml", nullptr,
                        XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING));
  if (!doc) {
    const xmlError* error = xmlGetLastError();
    std::string detail = error && error->message ? error->message : "not well-formed XML";
    while (!detail.empty() && detail.back() == '\n') detail.pop_back();
    if (error) detail = "line " + std::to_string(error->line) + ": " + detail;
    throw std::runtime_error("not a readable XML document (" + detail + ")");
  }
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  if (root == nullptr || !Is(root, "PMML")) {
    throw std::runtime_error("not a PMML document (the root element is not PMML)");
  }
  return doc;
}

double NumberAttr(const xmlNode* node, const char* name) {
  const std::string text = Attr(node, name);
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return text.empty() || *end != '\0' ? std::nan("") : value;
}

}  // namespace

std::vector<std::vector<PmmlRuleRecord>> ReadPmmlRuleRecords(const std::string& document) {
  const Doc doc = Parse(document);
  std::vector<std::vector<PmmlRuleRecord>> lists;
  for (const xmlNode* model = xmlDocGetRootElement(doc.get())->children; model;
       model = model->next) {
    if (!Is(model, "RuleSetModel")) continue;
    std::vector<PmmlRuleRecord>& rules = lists.emplace_back();
    for (const xmlNode* set = model->children; set; set = set->next) {
      if (!Is(set, "RuleSet")) continue;
      for (const xmlNode* rule = set->children; rule; rule = rule->next) {
        if (Is(rule, "SimpleRule")) {
          rules.push_back({NumberAttr(rule, "recordCount"), NumberAttr(rule, "nbCorrect")});
        }
      }
    }
  }
  return lists;
}

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
