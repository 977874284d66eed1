// The table of the library's status codes and their meanings.
#include "status_meaning.h"

namespace ruleweave_cli {

const char* StatusMeaning(long code) {
  switch (code) {
    case 0:
      return "no error";
    case 1:
      return "cancelled";
    case 110011:
      return "no case was loaded (no row, or every row's weight was missing or not positive)";
    case 110018:
      return "the search could not be set up (for example more bins than the data set allows)";
    case 110022:
      return "a value was refused by its variable (too many categories)";
    case 110023:
      return "PMML export: no variable could be written to the data dictionary";
    case 110024:
      return "PMML export: a value of a rule has no text form";
    case 110025:
      return "PMML export: a list uses no field and has no target";
    case 110026:
      return "PMML export: a list has no query or no response value";
    case 110027:
      return "PMML export: a rule has no condition";
    case 110028:
      return "PMML export: a rule names a variable that is not in the variable list";
    case 110029:
      return "PMML export: a condition has no PMML form";
    case 110030:
      return "PMML import: the document could not be read";
    case 110031:
      return "PMML import: the document holds no rule set";
    case 110032:
      return "PMML import: a rule set holds no rules";
    case 110033:
      return "PMML import: a rule entry is empty";
    case 110035:
      return "PMML import: a predicate names no field or has no known measure level";
    case 110036:
      return "PMML import: a range predicate has no value range";
    case 110037:
      return "PMML import: a value range was refused";
    case 110038:
      return "PMML import: a category predicate has no values";
    case 110039:
      return "PMML import: a category of the model does not occur in the data's variable";
    case 110040:
      return "a continuous predictor could not be binned";
    default:
      return "unknown status code";
  }
}

}  // namespace ruleweave_cli
