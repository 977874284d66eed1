// A model applied to other rows: the rows are loaded into a data set of their own, the model
// (read from its PMML document through that data set's variable list) is attached and measured
// first hit, as `ruleweave score` does, and each row learns the rule that took it.
#include "binding.h"

namespace ruleweave_py {

namespace {

// Measures the document's model on the columns. Returns the model's figures (as ModelFigures)
// and, when `rows` is true, "slots": per row the slot of the rule that took it (-1: remainder).
py::dict Measure(const std::string& document, const py::list& columns, const py::object& weights,
                 const std::string& weightName, bool rows) {
  const TableInput input = ParseTable(columns, weights, weightName);
  if (input.rows == 0) throw py::value_error("no rows to apply the model to");
  Table table;
  table.vars = BuildVarList(input);
  std::vector<std::unique_ptr<DLList>> lists =
      ImportPmmlLists(document, *table.vars, input.largeCategories);

  QXDecision::QXStatus loaded;
  std::unique_ptr<DLModel> model;
  {
    py::gil_scoped_release release;
    DLSettings settings;
    settings.UseLargeCategory(input.largeCategories);
    loaded = LoadTable(input, settings, table);
    if (table.data) {
      // Each list's query names the fields its rules use; weighted measures need the weight
      // among them as well.
      std::vector<DLList*> handed;
      for (auto& list : lists) {
        if (!weightName.empty()) {
          DLDataQuery query = *list->GetDataQuery();
          std::vector<std::string> names = query.GetPredictorNames();
          names.push_back(weightName);
          query.SetPredictorNames(names);
          list->SetDataQuery(query);
        }
        list->SetDataSet(*table.data);
        handed.push_back(list.get());
      }
      model = std::make_unique<DLModel>(*table.data, handed);
      for (auto& list : lists) list.release();  // the model owns them now
      model->ClearMeasure();
      if (!model->RefreshMeasure()) model.reset();
    }
  }
  if (!table.data) throw py::value_error("loading the rows failed: " + StatusText(loaded));
  if (!model) throw py::value_error("the model could not be measured on the rows");

  py::dict out = ModelFigures(*model, *table.vars, table.data->GetMissingCategory());
  if (rows) {
    // Under first hit the rules' coverage sets are disjoint: every case is in at most one.
    const int cases = table.data->GetNumOfCases();
    py::array_t<std::int32_t> slots(cases);
    std::int32_t* slot = slots.mutable_data();
    std::fill(slot, slot + cases, -1);
    std::vector<int> ids;
    std::int32_t next = 0;
    for (int l = 0; l < model->GetNumOfLists(); ++l) {
      const DLList& list = *model->GetList(l);
      for (int r = 0; r < list.GetNumOfRules(); ++r, ++next) {
        const DLBitSet* covered = list.GetRule(r)->GetCoverage();
        if (covered == nullptr) continue;
        covered->GetElementIDs(ids);
        for (int id : ids) slot[id] = next;
      }
    }
    out["slots"] = slots;
  }
  return out;
}

}  // namespace

void RegisterApply(py::module_& m) {
  m.def("measure", &Measure, py::arg("document"), py::arg("columns"), py::arg("weights"),
        py::arg("weight_name"), py::arg("rows") = false,
        "Measures the PMML document's model first hit on the columns; with rows=True also "
        "returns 'slots', the rule (counted over all lists, -1 for the remainder) of every row.");
}

}  // namespace ruleweave_py
