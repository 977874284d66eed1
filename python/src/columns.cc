// Columns from numpy buffers into the library: the column definitions, the variable list they make
// and a record source that reads one row of every buffer per record (no Python object per cell).
#include <cmath>
#include <cstdint>
#include <cstring>

#include "binding.h"

namespace ruleweave_py {

namespace {

// The largest category count a data set holds in byte codes.
constexpr std::size_t kMaxSmallCategories = 254;

Column::Kind KindOf(const std::string& kind, const std::string& name) {
  if (kind == "continuous") return Column::Kind::kContinuous;
  if (kind == "nominal") return Column::Kind::kNominal;
  if (kind == "ordinal") return Column::Kind::kOrdinal;
  throw py::value_error("column '" + name + "': unknown kind '" + kind + "'");
}

// Takes the buffer of a column: doubles for continuous columns, integers for codes. The array is
// kept, so the pointer stays valid while the coldef lives.
void TakeBuffer(Column& column, const py::handle& values, py::ssize_t& rows) {
  column.array = py::reinterpret_borrow<py::array>(values);
  if (!py::isinstance<py::array>(values) || column.array.ndim() != 1) {
    throw py::type_error("column '" + column.name + "': values must be a 1-D numpy array");
  }
  const py::dtype type = column.array.dtype();
  if (column.kind == Column::Kind::kContinuous) {
    if (type.kind() != 'f' || type.itemsize() != 8) {
      throw py::type_error("column '" + column.name + "': continuous values must be float64");
    }
    column.type = 'd';
  } else {
    if (type.kind() != 'i') {
      throw py::type_error("column '" + column.name + "': category codes must be signed integers");
    }
    column.type = static_cast<char>('0' + type.itemsize());
  }
  if (rows >= 0 && column.array.shape(0) != rows) {
    throw py::value_error("column '" + column.name + "' has " +
                          std::to_string(column.array.shape(0)) + " values, expected " +
                          std::to_string(rows));
  }
  rows = column.array.shape(0);
  column.data = static_cast<const char*>(column.array.data());
  column.stride = column.array.strides(0);
}

// One value of a column at `row` as the record carries it: a number for continuous columns
// (NaN becomes the system-missing value), a category code otherwise (-1 for missing).
inline double ValueAt(const Column& c, py::ssize_t row) {
  const char* p = c.data + row * c.stride;
  switch (c.type) {
    case 'd': {
      double v;
      std::memcpy(&v, p, sizeof v);
      return std::isnan(v) ? QXMV::Missing() : v;
    }
    case '1':
      return *reinterpret_cast<const std::int8_t*>(p);
    case '2': {
      std::int16_t v;
      std::memcpy(&v, p, sizeof v);
      return v;
    }
    case '4': {
      std::int32_t v;
      std::memcpy(&v, p, sizeof v);
      return v;
    }
    default: {
      std::int64_t v;
      std::memcpy(&v, p, sizeof v);
      return static_cast<double>(v);
    }
  }
}

// The library's record source over the buffers: one reused record, filled per row.
class ArrayRecords : public QXCommon::RecordIterator {
 public:
  explicit ArrayRecords(const TableInput& input)
      : mInput(input),
        mRecord(static_cast<int>(input.columns.size()) + (input.weightData ? 1 : 0)) {}
  bool HasNext() override { return mRow < mInput.rows; }
  const QXCommon::Record* Next() override {
    if (mRow >= mInput.rows) return nullptr;
    int at = 0;
    for (const Column& c : mInput.columns) mRecord[at++] = ValueAt(c, mRow);
    if (mInput.weightData != nullptr) {
      const char* p = reinterpret_cast<const char*>(mInput.weightData) + mRow * mInput.weightStride;
      double w;
      std::memcpy(&w, p, sizeof w);
      mRecord[at] = w;
    }
    ++mRow;
    return &mRecord;
  }

 private:
  const TableInput& mInput;
  QXCommon::Record mRecord;
  py::ssize_t mRow = 0;
};

}  // namespace

TableInput ParseTable(const py::list& coldefs, const py::object& weights,
                      const std::string& weightName) {
  TableInput input;
  py::ssize_t rows = -1;
  for (const py::handle& item : coldefs) {
    const py::dict coldef = py::reinterpret_borrow<py::dict>(item);
    Column c;
    c.name = coldef["name"].cast<std::string>();
    c.kind = KindOf(coldef["kind"].cast<std::string>(), c.name);
    c.target = coldef.contains("target") && coldef["target"].cast<bool>();
    if (c.kind == Column::Kind::kContinuous) {
      c.min = coldef["min"].cast<double>();
      c.max = coldef["max"].cast<double>();
    } else {
      c.numeric = coldef["numeric"].cast<bool>();
      c.integral = coldef.contains("integral") && coldef["integral"].cast<bool>();
      if (c.numeric) {
        c.numberCategories = coldef["categories"].cast<std::vector<double>>();
      } else {
        c.textCategories = coldef["categories"].cast<std::vector<std::string>>();
      }
      const std::size_t n = c.numeric ? c.numberCategories.size() : c.textCategories.size();
      if (n > kMaxSmallCategories) input.largeCategories = true;
    }
    TakeBuffer(c, coldef["values"], rows);
    input.columns.push_back(std::move(c));
  }
  input.rows = rows < 0 ? 0 : rows;
  if (!weights.is_none()) {
    input.weights = py::array_t<double, py::array::forcecast>::ensure(weights);
    if (!input.weights || input.weights.ndim() != 1 || input.weights.shape(0) != input.rows) {
      throw py::value_error("sample_weight must be a 1-D array with one weight per row");
    }
    input.weightData = static_cast<const double*>(input.weights.data());
    input.weightStride = input.weights.strides(0);
    input.weightName = weightName;
  }
  return input;
}

std::unique_ptr<DLVarList> BuildVarList(const TableInput& input) {
  auto vars = std::make_unique<DLVarList>();
  for (const Column& c : input.columns) {
    const IDLVar::VarRole role = c.target ? IDLVar::kTarget : IDLVar::kPredictor;
    const bool nominal = c.kind == Column::Kind::kNominal;
    int index = -1;
    if (c.kind == Column::Kind::kContinuous) {
      index = vars->AddContVar(c.name, "", c.min, c.max, role);
    } else if (c.numeric) {
      index = vars->AddCatVar(c.name, "", c.numberCategories, nominal, role,
                              c.integral ? IDLVar::kInteger : IDLVar::kDouble);
    } else {
      index = vars->AddCatVar(c.name, "", c.textCategories, nominal, role);
    }
    if (index < 0) {
      throw py::value_error("column '" + c.name +
                            "' was refused by the variable list (a repeated name or category?)");
    }
  }
  if (!input.weightName.empty() &&
      vars->AddFreqWeightVar(input.weightName, "", IDLVar::kRound) < 0) {
    throw py::value_error("the weight column name '" + input.weightName + "' is already taken");
  }
  return vars;
}

QXDecision::QXStatus LoadTable(const TableInput& input, const DLSettings& settings, Table& table) {
  table.largeCategories = input.largeCategories;
  table.predictors.clear();
  for (const Column& c : input.columns) {
    if (c.target) {
      table.target = c.name;
    } else {
      table.predictors.push_back(c.name);
    }
  }
  if (!input.weightName.empty()) table.predictors.push_back(input.weightName);
  ArrayRecords records(input);
  DLFactory factory;
  table.data.reset(factory.CreateDataSet(settings, *table.vars, records));
  return factory.GetStatus();
}

}  // namespace ruleweave_py
