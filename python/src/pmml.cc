// PMML in and out: a model written as a document through the library's exporter, a document's
// fields and rule figures listed by the library's reader, and its lists read back through a
// variable list built from its data dictionary. The package never parses the XML itself.
#include <sstream>
#include <stdexcept>

#include "binding.h"

namespace ruleweave_py {

std::string StatusText(const QXDecision::QXStatus& status) {
  const long code = status.GetErrorCode();
  const char* meaning = "see the library's status codes";
  if (code == 1) {
    meaning = "cancelled";
  } else if (code == 110011) {
    meaning = "no case was loaded";
  } else if (code == 110018) {
    meaning = "the search could not be set up";
  } else if (code == 110022) {
    meaning = "a value was refused by its variable";
  } else if (code >= 110023 && code <= 110029) {
    meaning = "the model has no PMML form";
  } else if (code >= 110030 && code <= 110038) {
    meaning = "the document is no rule set the library can read";
  } else if (code == 110039) {
    meaning = "a category of the model does not occur in the data's column";
  } else if (code == 110040) {
    meaning = "a continuous column could not be binned";
  }
  return "library status " + std::to_string(code) + " (" + meaning + ")";
}

std::string ExportPmml(IDLAlgorithm& algorithm, const DLModel& model, const DLVarList& vars) {
  std::ostringstream document;
  const QXDecision::QXStatus status = algorithm.ExportModel(document, model, vars, nullptr);
  if (status.IsError()) {
    throw std::runtime_error("writing the model as PMML failed: " + StatusText(status));
  }
  return document.str();
}

std::vector<std::unique_ptr<DLList>> ImportPmmlLists(const std::string& document, DLVarList& vars,
                                                     bool largeCategories) {
  DLSettings settings;
  settings.UseLargeCategory(largeCategories);
  std::unique_ptr<IDLAlgorithm> algorithm(DLFactory().CreateAlgorithm(settings));
  DLModel* raw = nullptr;
  const QXDecision::QXStatus status = algorithm->ImportModel(document.c_str(), vars, &raw);
  std::unique_ptr<DLModel> model(raw);
  if (status.IsError() || !model) {
    throw py::value_error("the PMML document could not be read: " + StatusText(status));
  }
  std::vector<DLList*> copies;
  model->CopyLists(copies);
  std::vector<std::unique_ptr<DLList>> lists;
  for (DLList* list : copies) lists.emplace_back(list);
  // The remainder rules the document carries (disabled, without conditions, last): the remainder
  // is what no rule takes.
  for (auto& list : lists) {
    while (list->GetNumOfRules() > 0) {
      const DLRule* last = list->GetRule(list->GetNumOfRules() - 1);
      if (!last->IsEmpty() || !last->GetDisableFlag()) break;
      list->RemoveRule(list->GetNumOfRules() - 1);
    }
  }
  return lists;
}

namespace {

// The reader's reason when it gives one, else the status in words.
[[noreturn]] void ThrowUnreadable(const QXDecision::QXStatus& status, const std::string& reason) {
  throw py::value_error("not a readable PMML document (" +
                        (reason.empty() ? StatusText(status) : reason) + ")");
}

// The data dictionary of a document as the library's reader lists it.
py::list PmmlFields(const std::string& document) {
  std::vector<QXDecisionXML::PMMLField> fields;
  std::string reason;
  const QXDecision::QXStatus status = QXDecisionXML::GetModelFields(document, fields, &reason);
  if (status.IsError()) ThrowUnreadable(status, reason);
  py::list out;
  for (const QXDecisionXML::PMMLField& field : fields) {
    py::dict entry;
    entry["name"] = field.name;
    entry["optype"] = field.optype;
    entry["data_type"] = field.dataType;
    entry["values"] = field.values;
    entry["used"] = field.used;
    entry["predicted"] = field.predicted;
    out.append(entry);
  }
  return out;
}

// The training figures of every rule of a document, list by list, the remainder rule last.
py::list PmmlRuleRecords(const std::string& document) {
  std::vector<std::vector<QXDecisionXML::PMMLRuleRecord>> lists;
  std::string reason;
  const QXDecision::QXStatus status = QXDecisionXML::GetModelRuleRecords(document, lists, &reason);
  if (status.IsError()) ThrowUnreadable(status, reason);
  py::list out;
  for (const std::vector<QXDecisionXML::PMMLRuleRecord>& records : lists) {
    py::list rules;
    for (const QXDecisionXML::PMMLRuleRecord& record : records) {
      py::dict entry;
      entry["id"] = record.id;
      entry["record_count"] = record.recordCount;
      entry["nb_correct"] = record.nbCorrect;
      rules.append(entry);
    }
    out.append(rules);
  }
  return out;
}

// Every list of a document as imported: the conditions of its rules in the words of the rules
// table, and the response value its query names.
py::list PmmlLists(const std::string& document, const py::list& coldefs) {
  const TableInput input = ParseTable(coldefs, py::none(), "");
  std::unique_ptr<DLVarList> vars = BuildVarList(input);
  const std::vector<std::unique_ptr<DLList>> lists =
      ImportPmmlLists(document, *vars, input.largeCategories);
  DLDataSet probe(*vars, input.largeCategories);
  py::list out;
  for (const auto& list : lists) {
    py::list rules;
    for (int r = 0; r < list->GetNumOfRules(); ++r) {
      rules.append(RuleText(*list->GetRule(r), *vars, probe.GetMissingCategory()));
    }
    py::dict entry;
    entry["conditions"] = rules;
    const DLDataQuery* query = list->GetDataQuery();
    entry["response"] = query != nullptr ? query->GetResponseVal() : std::string();
    out.append(entry);
  }
  return out;
}

}  // namespace

void RegisterPmml(py::module_& m) {
  m.def("pmml_fields", &PmmlFields, py::arg("document"),
        "The data dictionary of a PMML document in order, as the library's reader sees it: dicts "
        "of name, optype, data_type, values (valid categories), used and predicted. Raises "
        "ValueError with the reader's reason for a document it refuses.");
  m.def("pmml_rule_records", &PmmlRuleRecords, py::arg("document"),
        "The training figures of every rule of a PMML document, one list per rule list with its "
        "remainder rule last: dicts of id, record_count and nb_correct (NaN where absent or not "
        "a count). Raises ValueError as pmml_fields does.");
  m.def("pmml_lists", &PmmlLists, py::arg("document"), py::arg("columns"),
        "Every rule list of a PMML document as imported: dicts of conditions (one text per rule) "
        "and response (the response value of the list's query); the columns describe the "
        "document's data dictionary.");
}

}  // namespace ruleweave_py
