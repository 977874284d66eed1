// QXDecision::QXStatus.
#include "ruleweave/foundation/status.h"

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

}  // namespace QXDecision
