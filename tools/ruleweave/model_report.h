// The result table of a measured model: the figures report.h prints, taken from the model's
// lists, rules and remainder.
#ifndef RULEWEAVE_TOOLS_MODEL_REPORT_H_
#define RULEWEAVE_TOOLS_MODEL_REPORT_H_

#include <ruleweave/ruleweave.h>

#include "report.h"

namespace ruleweave_cli {

// The report of `model`, numbered `number`, from the measures it holds (measure it first).
// `vars` and `missingCode` belong to the data set the model was measured on; they turn its
// conditions into words.
ModelReport BuildReport(const DLModel& model, int number, const DLVarList& vars, int missingCode);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_MODEL_REPORT_H_
