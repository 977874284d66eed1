// QXDecision::QXStatus and the descriptions of the status codes.
#include "ruleweave/foundation/status.h"

#include "foundation/status_codes.h"

namespace QXDecision {

QXStatus::QXStatus() : mCode(0), mSeverity(0), mDiscrete{0, 0, 0}, mScale{0.0, 0.0, 0.0} {}

QXStatus::QXStatus(long code, bool isWarning)
    : mCode(static_cast<std::int32_t>(code)),
      mSeverity(static_cast<std::int16_t>(isWarning ? 1 : -1)),
      mDiscrete{0, 0, 0},
      mScale{0.0, 0.0, 0.0} {}

bool QXStatus::operator==(const QXStatus& other) const {
  if (mCode != other.mCode || mSeverity != other.mSeverity) return false;
  for (int i = 0; i < 3; ++i) {
    if (mDiscrete[i] != other.mDiscrete[i]) return false;
    if (!(mScale[i] == other.mScale[i])) return false;
  }
  return true;
}

const char* QXStatus::GetDescription(long code) {
  namespace s = ruleweave::status;
  switch (code) {
    case s::kOK:
      return "no error";
    case s::kCancelled:
      return "cancelled";
    case s::kNoCaseLoaded:
      return "no cases: loading took none in (no record, or every record was skipped), or a "
             "model's data set was destroyed before it was measured or exported";
    case s::kSearchSetupFailed:
      return "search: the search could not be set up (for example more bins than the data set "
             "allows)";
    case s::kValueRefused:
      return "loading: a value was refused by its variable, which is now unused (for example too "
             "many categories)";
    case s::kNoDataField:
      return "PMML export: no variable could be written to the data dictionary";
    case s::kNoTextForm:
      return "PMML export: a value of a rule or variable has no text form";
    case s::kEmptyMiningSchema:
      return "PMML export: a list uses no field and has no target";
    case s::kNoResponseValue:
      return "PMML export: a list has no query or no response value";
    case s::kRuleWithoutSegments:
      return "PMML export: a rule has no segments";
    case s::kUnknownAttribute:
      return "PMML export: a segment names a variable that is not in the variable list";
    case s::kOperatorWithoutForm:
      return "PMML export: a segment operator has no PMML form";
    case s::kUnreadableDocument:
      return "PMML import: the document could not be read";
    case s::kNoRuleSet:
      return "PMML import: the document holds no rule set";
    case s::kEmptyRuleSet:
      return "PMML import: a rule set holds no rules";
    case s::kNullRule:
      return "PMML import: a rule entry is empty";
    case s::kUnusablePredicate:
      return "PMML import: a predicate names no field or has no known measure level";
    case s::kNoValueRange:
      return "PMML import: a range predicate has no value range";
    case s::kRangeRefused:
      return "PMML import: a value range was refused by its segment";
    case s::kNoValues:
      return "PMML import: a category predicate has no values, or an ordinal field no category "
             "list";
    case s::kUnknownCategory:
      return "PMML import: a category of the document has no code in the variable list";
    case s::kBinningFailed:
      return "search: a continuous predictor could not be binned";
    default:
      return "unknown status code";
  }
}

}  // namespace QXDecision
