// The search from Python: loads the columns and runs the decision-list search with the GIL
// released, reporting progress to a Python callable and answering Ctrl-C through the library's
// cancel object. A cancelled or failed search returns nothing: no model is half built.
#include <algorithm>
#include <chrono>
#include <optional>

#include "binding.h"

namespace ruleweave_py {

namespace {

using Clock = std::chrono::steady_clock;

// The bridge between the library's callbacks (on this thread, GIL released) and Python. Every
// poll is cheap; about every 50 ms the GIL is taken briefly to let Python see signals
// (PyErr_CheckSignals raises KeyboardInterrupt for Ctrl-C) and to pass on progress. An exception
// raised there is kept and turns every later poll into a cancel; the caller raises it once the
// library has returned.
class PythonBridge : public QXQueryCancel, public ProgressListener {
 public:
  PythonBridge(py::object progress, long cancelAfterPolls)
      : mProgress(std::move(progress)), mCancelAfter(cancelAfterPolls) {}

  void SetStage(const char* stage) { mStage = stage; }

  bool IsCancelled() override {
    if (mError || mCancelled) return true;
    ++mPolls;
    if (mCancelAfter >= 0 && mPolls > mCancelAfter) {
      mCancelled = true;  // the test hook: as if Ctrl-C came at this poll
      return true;
    }
    const Clock::time_point now = Clock::now();
    if (now - mLastCheck < std::chrono::milliseconds(50)) return false;
    mLastCheck = now;
    py::gil_scoped_acquire gil;
    if (PyErr_CheckSignals() != 0) mError.emplace();
    return mError.has_value();
  }

  bool OnProgress(ProgressReport* report) override {
    if (mProgress.is_none() || mError) return true;
    const Clock::time_point now = Clock::now();
    if (now - mLastReport < std::chrono::milliseconds(100)) return true;
    mLastReport = now;
    py::gil_scoped_acquire gil;
    try {
      py::dict info;
      info["stage"] = mStage;
      info["cases"] = report->DiscreteMeasure("cases");
      info["rules"] = report->DiscreteMeasure("rules");
      info["candidates"] = report->DiscreteMeasure("candidates");
      info["elapsed"] = report->ScaleMeasure("elapsedTime");
      mProgress(info);
    } catch (py::error_already_set& e) {
      mError.emplace(std::move(e));
    }
    return true;
  }

  // Raises what stopped the work: the kept Python exception, or KeyboardInterrupt for the hook.
  void RaiseIfStopped() {
    if (mError) {
      py::error_already_set e = std::move(*mError);
      mError.reset();
      throw e;
    }
    if (mCancelled) {
      PyErr_SetNone(PyExc_KeyboardInterrupt);
      throw py::error_already_set();
    }
  }

 private:
  py::object mProgress;
  long mCancelAfter;
  long mPolls = 0;
  bool mCancelled = false;
  std::optional<py::error_already_set> mError;
  const char* mStage = "loading";
  Clock::time_point mLastCheck = Clock::now();
  Clock::time_point mLastReport;
};

// Whether two models hold the same rules in the same order, list by list (rules compare by
// their conditions in any order: the beam can keep a list twice when its rules were grown
// through the same conditions in another order).
bool SameRules(const DLModel& a, const DLModel& b) {
  if (a.GetNumOfLists() != b.GetNumOfLists()) return false;
  for (int l = 0; l < a.GetNumOfLists(); ++l) {
    const DLList& la = *a.GetList(l);
    const DLList& lb = *b.GetList(l);
    if (la.GetNumOfRules() != lb.GetNumOfRules()) return false;
    for (int r = 0; r < la.GetNumOfRules(); ++r) {
      if (!(*la.GetRule(r) == *lb.GetRule(r))) return false;
    }
  }
  return true;
}

DLParameters Parameters(const py::dict& p) {
  DLParameters params;
  auto set = [&](bool ok, const char* name) {
    if (!ok) throw py::value_error(std::string("the library refused ") + name);
  };
  set(params.SetListDepth(p["list_depth"].cast<int>()), "list_depth");
  set(params.SetListWidth(p["list_width"].cast<int>()), "list_width");
  set(params.SetRuleDepth(p["rule_depth"].cast<int>()), "rule_depth");
  set(params.SetRuleWidth(p["rule_width"].cast<int>()), "rule_width");
  set(params.SetNumOfBins(p["bins"].cast<int>()), "bins");
  set(params.SetConfLevel(p["confidence"].cast<double>()), "confidence");
  set(params.SetNumThreads(p["threads"].cast<int>()), "n_jobs");
  params.SetMinGroupSize(p["min_group"].cast<int>());
  params.AllowMissing(p["allow_missing"].cast<bool>());
  params.SetBinningType(p["binning"].cast<std::string>() == "width" ? DLConst::EqualWidth
                                                                    : DLConst::EqualFrequency);
  params.SetSearchDirection(p["direction"].cast<std::string>() == "down" ? DLConst::Down
                                                                         : DLConst::Up);
  return params;
}

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Loads the columns, searches and returns every distinct model (in the library's order) measured
// first hit over all loaded cases: its rule figures and its PMML document.
py::dict Search(const py::list& columns, const py::object& weights, const std::string& weightName,
                const std::string& response, const py::dict& parameters, const py::object& progress,
                long cancelAfterPolls) {
  const TableInput input = ParseTable(columns, weights, weightName);
  DLParameters params = Parameters(parameters);
  Table table;
  table.vars = BuildVarList(input);
  PythonBridge bridge(progress, cancelAfterPolls);

  DLSettings settings;
  settings.UseLargeCategory(input.largeCategories);
  settings.SetCancelPointer(&bridge);
  settings.SetProgressListener(&bridge);
  settings.SetNumOfSkippedReports(4096);
  params.SetCancelPointer(&bridge);
  params.SetProgressListener(&bridge);

  std::unique_ptr<IDLAlgorithm> algorithm(DLFactory().CreateAlgorithm(settings));
  std::vector<std::unique_ptr<DLModel>> models;
  std::size_t repeats = 0;
  QXDecision::QXStatus loaded, searched;
  double loadSeconds = 0, searchSeconds = 0;
  {
    py::gil_scoped_release release;
    const Clock::time_point start = Clock::now();
    loaded = LoadTable(input, settings, table);
    loadSeconds = Since(start);
    if (table.data) {
      bridge.SetStage("searching");
      DLDataQuery query(nullptr, table.predictors, table.target, response);
      std::vector<DLModel*> raw;
      const Clock::time_point searchStart = Clock::now();
      searched = algorithm->Run(params, *table.data, query, raw, nullptr);
      for (DLModel* m : raw) {
        std::unique_ptr<DLModel> model(m);
        const bool seen = std::any_of(models.begin(), models.end(),
                                      [&](const auto& earlier) { return SameRules(*earlier, *m); });
        if (seen) {
          ++repeats;
        } else {
          models.push_back(std::move(model));
        }
      }
      // Every model measured the way it is scored: first hit over all cases.
      for (auto& model : models) {
        model->ClearMeasure();
        model->RefreshMeasure();
      }
      searchSeconds = Since(searchStart);
    }
  }
  params.SetProgressListener(nullptr);
  bridge.RaiseIfStopped();
  if (!table.data) throw py::value_error("loading the data failed: " + StatusText(loaded));
  if (searched.IsError()) throw py::value_error("the search failed: " + StatusText(searched));

  const int missingCode = table.data->GetMissingCategory();
  py::list out;
  for (const auto& model : models) {
    py::dict entry = ModelFigures(*model, *table.vars, missingCode);
    entry["pmml"] = ExportPmml(*algorithm, *model, *table.vars);
    out.append(entry);
  }
  py::dict result;
  result["models"] = out;
  result["repeats"] = repeats;
  result["cases"] = table.data->GetNumOfCases();
  result["load_seconds"] = loadSeconds;
  result["search_seconds"] = searchSeconds;
  return result;
}

}  // namespace

void RegisterSearch(py::module_& m) {
  m.def("search", &Search, py::arg("columns"), py::arg("weights"), py::arg("weight_name"),
        py::arg("response"), py::arg("parameters"), py::arg("progress") = py::none(),
        py::arg("cancel_after_polls") = -1,
        "Loads the columns and searches them; returns every distinct model with its rule "
        "figures and PMML document. `progress` (a callable taking a dict, or None) sees the "
        "library's reports; `cancel_after_polls` >= 0 makes the cancel object say yes after that "
        "many polls (a stand-in for Ctrl-C in tests).");
}

}  // namespace ruleweave_py
