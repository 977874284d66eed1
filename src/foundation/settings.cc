// DLSettings: the skip-count check and the dump.
#include "ruleweave/foundation/settings.h"

#include <ostream>

bool DLSettings::SetNumOfSkippedReports(int n) {
  if (n < 0) return false;
  mNumOfSkippedReports = n;
  return true;
}

void DLSettings::Display(std::ostream& os) const {
  os << std::endl;
  os << "Start of DLSettings display" << std::endl;
  os << "Progress listener address = " << static_cast<const void*>(mListener) << std::endl;
  os << "Num of progress reports to skip = " << mNumOfSkippedReports << std::endl;
  os << "End of DLSettings display" << std::endl;
}
