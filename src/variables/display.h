// Small helpers shared by the Display dumps of the variables subsystem: the texts of the
// variable enumerations, values that may be missing, named values and named vectors.
#ifndef RULEWEAVE_VARIABLES_DISPLAY_H_
#define RULEWEAVE_VARIABLES_DISPLAY_H_

#include <ostream>
#include <string>
#include <vector>

#include "ruleweave/variables/var.h"

namespace ruleweave {
namespace display {

// "Continuous", "Nominal Numeric Categorical", ...; "Measure level <n>" for other values.
std::string MeasureLevelText(IDLVar::MeasureLevel level);
// "Predictor", "Target", ...; "Var role <n>" for other values.
std::string VarRoleText(IDLVar::VarRole role);
// "Truncate to smaller int" or "Round to closest int"; other values print as their number.
std::string RoundingOptionText(IDLVar::DLWRoundingOption option);

// Sets the stream precision for values and restores the old one when it goes out of scope.
class PrecisionGuard {
 public:
  PrecisionGuard(std::ostream& os, std::streamsize precision)
      : mStream(os), mOld(os.precision(precision)) {}
  ~PrecisionGuard() { mStream.precision(mOld); }
  PrecisionGuard(const PrecisionGuard&) = delete;
  PrecisionGuard& operator=(const PrecisionGuard&) = delete;

 private:
  std::ostream& mStream;
  std::streamsize mOld;
};

// The value, or "<missing>" for the system-missing value.
void WriteValue(std::ostream& os, double value);
// "<name> = <value>" (the value as WriteValue writes it).
void WriteNamedValue(std::ostream& os, const std::string& name, double value);

// "<name> (<n> element[s]): \n" and the elements right-aligned in 11 characters, each followed
// by a blank, ten per line; "<name>: <empty>" for an empty vector.
void WriteNamedVector(std::ostream& os, const std::string& name, const std::vector<double>& v);
void WriteNamedVector(std::ostream& os, const std::string& name, const std::vector<int>& v);
void WriteNamedVector(std::ostream& os, const std::string& name, const std::vector<bool>& v);
void WriteNamedVector(std::ostream& os, const std::string& name, const std::vector<std::string>& v);

}  // namespace display
}  // namespace ruleweave

#endif  // RULEWEAVE_VARIABLES_DISPLAY_H_
