// The extension module's shared pieces: columns handed over from numpy, the table (variable
// list and data set) built from them, the rule texts, and the registration function of each
// file of the module.
//
// Words used here:
//   column definition  a dict the Python side builds per column: name, kind, role, categories
//                and the numpy buffer of its values (doubles for continuous columns, integer
//                category codes with -1 for missing for categorical ones);
//   table        a variable list and the data set loaded from the column buffers;
//   slot         a rule's position counted over all lists of a model; -1 is the remainder.
#ifndef RULEWEAVE_PYTHON_BINDING_H_
#define RULEWEAVE_PYTHON_BINDING_H_

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <memory>
#include <string>
#include <vector>

#include <ruleweave/ruleweave.h>

namespace ruleweave_py {

namespace py = pybind11;

// One column as the record source reads it. Built while holding the GIL; read without it (the
// numpy arrays are kept alive by `array`).
struct Column {
  enum class Kind { kContinuous, kNominal, kOrdinal };
  std::string name;
  Kind kind = Kind::kContinuous;
  bool target = false;
  bool numeric = true;   // categorical: numeric categories (else strings)
  bool integral = true;  // numeric categorical: whole numbers
  std::vector<double> numberCategories;
  std::vector<std::string> textCategories;
  double min = 0;
  double max = 0;
  py::array array;
  const char* data = nullptr;
  py::ssize_t stride = 0;  // bytes between rows
  char type = 'd';         // 'd' double, or the integer size: '1', '2', '4', '8'
};

// The columns of one table, its optional frequency weights and the number of rows.
struct TableInput {
  std::vector<Column> columns;
  std::string weightName;  // empty without weights
  py::array weights;       // doubles, already whole and positive
  const double* weightData = nullptr;
  py::ssize_t weightStride = 0;
  py::ssize_t rows = 0;
  bool largeCategories = false;
};

// Reads the column definitions (and weights, None for none). Throws py::value_error /
// py::type_error naming the column when a coldef is malformed.
TableInput ParseTable(const py::list& coldefs, const py::object& weights,
                      const std::string& weightName);

// A variable list and the data set loaded into it; the data set borrows the list.
struct Table {
  std::unique_ptr<DLVarList> vars;
  std::unique_ptr<DLDataSet> data;
  std::vector<std::string> predictors;  // the query's predictor names (the weight last)
  std::string target;
  bool largeCategories = false;
};

// Builds the variable list of `input`; throws py::value_error when the list refuses a column.
std::unique_ptr<DLVarList> BuildVarList(const TableInput& input);

// Loads every row of `input` into a data set over `table.vars`, reporting to `settings`'
// listener and polling its cancel object. Returns the library's status; `table.data` is set
// only when loading ended OK. Needs no GIL.
QXDecision::QXStatus LoadTable(const TableInput& input, const DLSettings& settings, Table& table);

// A model's rules in words, the same words as the command-line program's tables.
std::string RuleText(const DLRule& rule, const DLVarList& vars, int missingCode);

// {"lists": [{"rules": [{"conditions", "coverage", "responses", "lower", "upper"}, ...],
//   "remainder": {...}}]} of a measured model; bounds are 95% and NaN where they do not exist.
py::dict ModelFigures(const DLModel& model, const DLVarList& vars, int missingCode);

// The model as a PMML document; throws std::runtime_error naming the status on failure.
std::string ExportPmml(IDLAlgorithm& algorithm, const DLModel& model, const DLVarList& vars);

// The lists of a PMML document read through `vars`, without the remainder rules the document
// carries; throws std::runtime_error naming the status on failure.
std::vector<std::unique_ptr<DLList>> ImportPmmlLists(const std::string& document, DLVarList& vars,
                                                     bool largeCategories);

// What a library status code means, for error messages.
std::string StatusText(const QXDecision::QXStatus& status);

void RegisterSearch(py::module_& m);
void RegisterApply(py::module_& m);
void RegisterPmml(py::module_& m);
void RegisterModelView(py::module_& m);

}  // namespace ruleweave_py

#endif  // RULEWEAVE_PYTHON_BINDING_H_
