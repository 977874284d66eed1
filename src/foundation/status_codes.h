// Every status code the library returns, by name. Code 0 is OK, code 1 a cancellation any
// cancellable operation may end with, 110022 the one warning; all others are errors. The texts
// hosts see come from QXDecision::QXStatus::GetDescription.
#ifndef RULEWEAVE_FOUNDATION_STATUS_CODES_H_
#define RULEWEAVE_FOUNDATION_STATUS_CODES_H_

#include "ruleweave/foundation/status.h"

namespace ruleweave {
namespace status {

constexpr long kOK = 0;
// The host's QXQueryCancel asked the work to stop.
constexpr long kCancelled = 1;

// Loading data (DLDataSet::InputData); also the export of a model whose data set is gone.
constexpr long kNoCaseLoaded = 110011;
constexpr long kValueRefused = 110022;  // a warning: the variable is set to unused

// The algorithm run.
constexpr long kSearchSetupFailed = 110018;
constexpr long kBinningFailed = 110040;

// PMML export.
constexpr long kNoDataField = 110023;
constexpr long kNoTextForm = 110024;
constexpr long kEmptyMiningSchema = 110025;
constexpr long kNoResponseValue = 110026;
constexpr long kRuleWithoutSegments = 110027;
constexpr long kUnknownAttribute = 110028;
constexpr long kOperatorWithoutForm = 110029;

// PMML import.
constexpr long kUnreadableDocument = 110030;
constexpr long kNoRuleSet = 110031;
constexpr long kEmptyRuleSet = 110032;
constexpr long kNullRule = 110033;
constexpr long kUnusablePredicate = 110035;
constexpr long kNoValueRange = 110036;
constexpr long kRangeRefused = 110037;
constexpr long kNoValues = 110038;
constexpr long kUnknownCategory = 110039;

// The error status with `code` (every code but kValueRefused is an error).
inline QXDecision::QXStatus Error(long code) {
  return QXDecision::QXStatus(code, /*isWarning=*/false);
}
inline QXDecision::QXStatus Cancelled() { return Error(kCancelled); }

}  // namespace status
}  // namespace ruleweave

#endif  // RULEWEAVE_FOUNDATION_STATUS_CODES_H_
