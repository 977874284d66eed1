// Reading the data dictionary and mining schemas of a PMML document with libxml2.
#include "pmml_fields.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <stdexcept>

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
  const Doc doc = Parse(document);
  const xmlNode* root = xmlDocGetRootElement(doc.get());
  std::vector<PmmlField> fields;
  bool haveDictionary = false;
  for (const xmlNode* child = root->children; child; child = child->next) {
    if (Is(child, "DataDictionary")) {
      haveDictionary = true;
      for (const xmlNode* f = child->children; f; f = f->next) {
        if (!Is(f, "DataField")) continue;
        PmmlField field;
        field.name = Attr(f, "name");
        field.optype = Attr(f, "optype");
        field.dataType = Attr(f, "dataType");
        for (const xmlNode* v = f->children; v; v = v->next) {
          if (!Is(v, "Value")) continue;
          const std::string property = Attr(v, "property");
          if (property.empty() || property == "valid") field.values.push_back(Attr(v, "value"));
        }
        fields.push_back(std::move(field));
      }
    } else if (Is(child, "RuleSetModel")) {
      for (const xmlNode* s = child->children; s; s = s->next) {
        if (!Is(s, "MiningSchema")) continue;
        for (const xmlNode* m = s->children; m; m = m->next) {
          if (!Is(m, "MiningField")) continue;
          const std::string name = Attr(m, "name");
          for (PmmlField& field : fields) {
            if (field.name != name) continue;
            field.used = true;
            if (Attr(m, "usageType") == "predicted") field.predicted = true;
          }
        }
      }
    }
  }
  if (!haveDictionary) throw std::runtime_error("the PMML document has no DataDictionary");
  return fields;
}

}  // namespace ruleweave_cli
