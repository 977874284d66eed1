// QXDecision::QXStatus: the result record of every long operation (loading, search, export,
// import). Status codes are listed in the library's documentation and described by
// QXStatus::GetDescription; code 1 means cancelled.
#ifndef RULEWEAVE_FOUNDATION_STATUS_H_
#define RULEWEAVE_FOUNDATION_STATUS_H_

#include <cstdint>

namespace QXDecision {

// A plain value: error code, severity (0 OK, -1 error, +1 warning) and three integer and three
// real slots for details. Only the severity decides IsOK/IsError/IsWarning.
class QXStatus {
 public:
  QXStatus();
  QXStatus(long code, bool isWarning);

  // Equal when code, severity and every slot are equal (a NaN slot is never equal).
  bool operator==(const QXStatus& other) const;

  long GetErrorCode() const { return mCode; }
  bool IsOK() const { return mSeverity == 0; }
  bool IsError() const { return mSeverity < 0; }
  bool IsWarning() const { return mSeverity > 0; }

  // A short English description of a status code, for messages to people: "cancelled" for 1,
  // a sentence naming the operation for the library's codes (110011 to 110040), "no error" for 0
  // and "unknown status code" for any other number. Never null; the text is static.
  static const char* GetDescription(long code);

  // Slot indices are 0, 1 and 2; nothing checks them.
  long GetDiscreteDatum(unsigned int index) const { return mDiscrete[index]; }
  double GetScaleDatum(unsigned int index) const { return mScale[index]; }
  void SetDiscreteDatum(unsigned int index, long value) {
    mDiscrete[index] = static_cast<std::int32_t>(value);
  }
  void SetScaleDatum(unsigned int index, double value) { mScale[index] = value; }

 private:
  std::int32_t mCode;
  std::int16_t mSeverity;
  std::int32_t mDiscrete[3];
  double mScale[3];
};

}  // namespace QXDecision

#endif  // RULEWEAVE_FOUNDATION_STATUS_H_
