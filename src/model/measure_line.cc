// The first line of a rule's and a list's dump.
#include "model/measure_line.h"

#include <ostream>

#include "ruleweave/foundation/measure.h"
#include "ruleweave/foundation/missing_value.h"

void DisplayMeasureLine(std::ostream& os, const DLMeasure& m) {
  const std::streamsize saved = os.precision(16);
  os << "Prob: ";
  const double p = m.GetProbability();
  if (QXMV::IsMissing(p)) {
    os << "missing";
  } else {
    os << p;
  }
  os << "\tCover: " << m.GetCoverage() << "\tFreq: " << m.GetResponse() << "\n";
  os.precision(saved);
}
