// Display helpers of the variables subsystem.
#include "variables/display.h"

#include <iomanip>

#include "ruleweave/foundation/missing_value.h"

namespace ruleweave {
namespace display {

std::string MeasureLevelText(IDLVar::MeasureLevel level) {
  switch (level) {
    case IDLVar::kUnknownLevel:
      return "Unknown measure level";
    case IDLVar::kContinuous:
      return "Continuous";
    case IDLVar::kNominalNumeric:
      return "Nominal Numeric Categorical";
    case IDLVar::kOrdinalNumeric:
      return "Ordinal Numeric Categorical";
    case IDLVar::kNominalString:
      return "Nominal String Categorical";
    case IDLVar::kOrdinalString:
      return "Ordinal String Categorical";
    case IDLVar::kFrequencyWeight:
      return "Frequency weight";
  }
  return "Measure level " + std::to_string(static_cast<int>(level));
}

std::string VarRoleText(IDLVar::VarRole role) {
  switch (role) {
    case IDLVar::kUndefinedRole:
      return "Undefined variable role";
    case IDLVar::kPredictor:
      return "Predictor";
    case IDLVar::kTarget:
      return "Target";
    case IDLVar::kFreqWeight:
      return "Frequency weight";
    case IDLVar::kUnused:
      return "Unused variable";
  }
  return "Var role " + std::to_string(static_cast<int>(role));
}

std::string RoundingOptionText(IDLVar::DLWRoundingOption option) {
  switch (option) {
    case IDLVar::kTruncate:
      return "Truncate to smaller int";
    case IDLVar::kRound:
      return "Round to closest int";
  }
  return std::to_string(static_cast<int>(option));
}

void WriteValue(std::ostream& os, double value) {
  if (QXMV::IsMissing(value)) {
    os << "<missing>";
  } else {
    os << value;
  }
}

void WriteNamedValue(std::ostream& os, const std::string& name, double value) {
  os << name << " = ";
  WriteValue(os, value);
}

namespace {

// The common layout of a named vector; `write` prints one element into a string stream field.
template <class T, class Write>
void WriteVector(std::ostream& os, const std::string& name, const std::vector<T>& v, Write write) {
  if (v.empty()) {
    os << name << ": <empty>\n";
    return;
  }
  os << name << " (" << v.size() << (v.size() == 1 ? " element): \n" : " elements): \n");
  for (std::size_t i = 0; i < v.size(); ++i) {
    os << std::setw(11);
    write(os, v[i]);
    os << ' ';
    if (i % 10 == 9) os << '\n';
  }
  if (v.size() % 10 != 0) os << '\n';
}

}  // namespace

void WriteNamedVector(std::ostream& os, const std::string& name, const std::vector<double>& v) {
  WriteVector(os, name, v, [](std::ostream& out, double x) {
    if (QXMV::IsMissing(x)) {
      out << "<missing>";
    } else {
      out << x;
    }
  });
}

void WriteNamedVector(std::ostream& os, const std::string& name, const std::vector<int>& v) {
  WriteVector(os, name, v, [](std::ostream& out, int x) { out << x; });
}

void WriteNamedVector(std::ostream& os, const std::string& name, const std::vector<bool>& v) {
  WriteVector(os, name, v, [](std::ostream& out, bool x) { out << (x ? "true" : "false"); });
}

void WriteNamedVector(std::ostream& os, const std::string& name,
                      const std::vector<std::string>& v) {
  WriteVector(os, name, v, [](std::ostream& out, const std::string& x) { out << x; });
}

}  // namespace display
}  // namespace ruleweave
