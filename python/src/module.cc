// The extension module `ruleweave._ruleweave`: the C++ half of the Python package. The
// pure-Python part (`ruleweave`) prepares the columns and wraps the results.
#include "binding.h"

PYBIND11_MODULE(_ruleweave, m) {
  namespace py = pybind11;
  m.doc() = "Decision-list search on columns held in numpy arrays (internal to `ruleweave`).";
  // The library reports refused preconditions with its own exception family, which does not
  // derive from std::exception.
  py::register_exception_translator([](std::exception_ptr p) {
    try {
      if (p) std::rethrow_exception(p);
    } catch (const QXDecision::IDLException& e) {
      PyErr_SetString(PyExc_RuntimeError,
                      ("the library refused the data: " + e.GetMessage()).c_str());
    }
  });
  DLSettings settings;
  std::unique_ptr<IDLAlgorithm> algorithm(DLFactory().CreateAlgorithm(settings));
  m.attr("library_version") = algorithm->GetVersion();
  ruleweave_py::RegisterSearch(m);
  ruleweave_py::RegisterApply(m);
  ruleweave_py::RegisterPmml(m);
  ruleweave_py::RegisterModelView(m);
}
