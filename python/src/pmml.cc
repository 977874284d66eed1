// PMML in and out: a model written as a document through the library's exporter, and a
// document's lists read back through a variable list built from its data dictionary.
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

// The conditions of every rule of a document, list by list, in the words of the rules table.
py::list PmmlConditions(const std::string& document, const py::list& specs) {
  const TableInput input = ParseTable(specs, py::none(), "");
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
    out.append(rules);
  }
  return out;
}

}  // namespace

void RegisterPmml(py::module_& m) {
  m.def("pmml_conditions", &PmmlConditions, py::arg("document"), py::arg("columns"),
        "The conditions of every rule of a PMML document, one list of texts per rule list; the "
        "columns describe the document's data dictionary.");
}

}  // namespace ruleweave_py
