// QXMV: the one definition of the system-missing value.
#include "ruleweave/foundation/missing_value.h"

#include <limits>

const double QXMV::gMissingValue = -std::numeric_limits<double>::max();
