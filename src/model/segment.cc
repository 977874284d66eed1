// DLSegment: construction, the setters that normalise every condition to one canonical kind,
// equality and the one-line dump.
#include "ruleweave/model/segment.h"

#include <limits>
#include <ostream>

#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/foundation/missing_value.h"

namespace {

// Unbounded range ends: the largest finite double and its negative.
constexpr double kPlusInf = std::numeric_limits<double>::max();
constexpr double kMinusInf = -std::numeric_limits<double>::max();

constexpr int kMissingCode = 255;
constexpr int kLargeMissingCode = 2147483647;

// Restores a stream's precision when the dump is done, also on an exception.
class PrecisionGuard {
 public:
  PrecisionGuard(std::ostream& os, std::streamsize precision)
      : mOs(os), mSaved(os.precision(precision)) {}
  ~PrecisionGuard() { mOs.precision(mSaved); }
  PrecisionGuard(const PrecisionGuard&) = delete;
  PrecisionGuard& operator=(const PrecisionGuard&) = delete;

 private:
  std::ostream& mOs;
  std::streamsize mSaved;
};

void DisplayValues(std::ostream& os, const std::vector<double>& values) {
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) os << ", ";
    os << values[i];
  }
}

}  // namespace

DLSegment::DLSegment(const std::string& attrName, bool useLargeCategory)
    : mAttrName(attrName), mMissingCode(useLargeCategory ? kLargeMissingCode : kMissingCode) {
  if (attrName.empty()) {
    throw QXDecision::ConstructorException("DLSegment", "attrName is not empty");
  }
  Clear();
}

DLSegment::DLSegment(const DLSegment& other) = default;
DLSegment& DLSegment::operator=(const DLSegment& other) = default;
DLSegment::~DLSegment() = default;

void DLSegment::GetRange(double& low, double& high, bool& lowOpen, bool& highOpen) const {
  low = mLow;
  high = mHigh;
  lowOpen = mLowOpen;
  highOpen = mHighOpen;
}

bool DLSegment::IsCoveringAll() const {
  return mOp == DLConst::OpRange && mLow == kMinusInf && mHigh == kPlusInf;
}

void DLSegment::Clear() {
  mOp = DLConst::OpInvalid;
  mValue = QXMV::Missing();
  mLow = kPlusInf;
  mHigh = kMinusInf;
  mLowOpen = false;
  mHighOpen = false;
  mValueSet.clear();
}

void DLSegment::SetAsMissingSegment() {
  Clear();
  mOp = DLConst::OpMissing;
}

void DLSegment::SetAsNotMissingSegment() {
  Clear();
  mOp = DLConst::OpNotMissing;
}

void DLSegment::SetValueEqualTo(double v) {
  if (QXMV::IsMissing(v) || v == static_cast<double>(mMissingCode)) {
    SetAsMissingSegment();
    return;
  }
  Clear();
  mValue = v;
  mOp = DLConst::OpEqualTo;
}

bool DLSegment::SetRange(double low, double high, bool lowOpen, bool highOpen) {
  // Written so that NaN ends fail both tests.
  const bool valid = low < high || (low == high && !lowOpen && !highOpen);
  if (!valid) return false;
  if (low == high) {
    SetValueEqualTo(low);
    return true;
  }
  if (low == kMinusInf && high == kPlusInf) {
    // Admits every non-missing value; the other fields keep what they held.
    mOp = DLConst::OpNotMissing;
    return true;
  }
  Clear();
  mLow = low;
  mHigh = high;
  mLowOpen = lowOpen || low == kMinusInf;
  mHighOpen = highOpen || high == kPlusInf;
  mOp = DLConst::OpRange;
  return true;
}

void DLSegment::CoverAll() { SetRange(kMinusInf, kPlusInf, /*lowOpen=*/false, /*highOpen=*/false); }

void DLSegment::SetValueSet(const std::vector<double>& values, bool isIn) {
  if (values.empty()) {
    if (isIn) {
      SetAsMissingSegment();
    } else {
      CoverAll();
    }
    return;
  }
  if (values.size() == 1 && isIn) {
    SetValueEqualTo(values[0]);
    return;
  }
  Clear();
  mValueSet = values;
  mOp = isIn ? DLConst::OpInSet : DLConst::OpNotInSet;
}

bool DLSegment::operator==(const DLSegment& other) const {
  if (mAttrName != other.mAttrName || mOp != other.mOp) return false;
  switch (mOp) {
    case DLConst::OpEqualTo:
      return mValue == other.mValue;
    case DLConst::OpRange:
      return mLow == other.mLow && mHigh == other.mHigh && mLowOpen == other.mLowOpen &&
             mHighOpen == other.mHighOpen;
    case DLConst::OpInSet:
    case DLConst::OpNotInSet:
      return mValueSet == other.mValueSet;
    default:
      return true;
  }
}

void DLSegment::Display(std::ostream& os) const {
  PrecisionGuard guard(os, 8);
  switch (mOp) {
    case DLConst::OpInvalid:
      os << mAttrName << " is empty";
      break;
    case DLConst::OpEqualTo:
      os << mAttrName << " = " << mValue;
      break;
    case DLConst::OpMissing:
      os << mAttrName << " is missing";
      break;
    case DLConst::OpNotMissing:
      os << mAttrName << " is not missing";
      break;
    case DLConst::OpRange:
      if (mLow != kMinusInf) os << mLow << (mLowOpen ? " < " : " <= ");
      os << mAttrName;
      if (mHigh != kPlusInf) os << (mHighOpen ? " < " : " <= ") << mHigh;
      break;
    case DLConst::OpInSet:
      os << mAttrName << " is in [";
      DisplayValues(os, mValueSet);
      os << "]";
      break;
    case DLConst::OpNotInSet:
      os << mAttrName << " is not in [";
      DisplayValues(os, mValueSet);
      os << "]";
      break;
  }
}
