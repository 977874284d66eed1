// QXMV: the system-missing value. One double, the most negative finite one, means "no value"
// for host data and "does not exist" for probabilities, bounds and values in the library.
#ifndef RULEWEAVE_FOUNDATION_MISSING_VALUE_H_
#define RULEWEAVE_FOUNDATION_MISSING_VALUE_H_

#include <limits>

// No instance data. Only the exact bit pattern 0xFFEFFFFFFFFFFFFF is missing: NaN and the
// infinities are ordinary values.
class QXMV {
 public:
  // -1.7976931348623157e+308, minus the largest finite double. Never written by the library.
  static const double gMissingValue;

  // Plain floating equality with the missing value (so a NaN is never missing).
  static bool IsMissing(double value) { return value == -std::numeric_limits<double>::max(); }
  static double Missing() { return -std::numeric_limits<double>::max(); }

  // Nothing to copy.
  QXMV& operator=(const QXMV&) { return *this; }
};

#endif  // RULEWEAVE_FOUNDATION_MISSING_VALUE_H_
