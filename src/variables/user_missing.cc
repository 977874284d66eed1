// User-missing sets and the numeric interval.
#include "ruleweave/variables/user_missing.h"

#include <algorithm>
#include <limits>
#include <ostream>

#include "variables/display.h"

namespace {
constexpr double kMaxDouble = std::numeric_limits<double>::max();
}  // namespace

IDLUserMissing::~IDLUserMissing() = default;

// ---------------------------------------------------------------------------------------------
// DLNumericInterval

DLNumericInterval::DLNumericInterval() : mLeft(0.0), mRight(0.0) {}

DLNumericInterval::DLNumericInterval(double left, double right) : mLeft(left), mRight(right) {}

DLNumericInterval::DLNumericInterval(double end, bool upTo)
    : mLeft(upTo ? -kMaxDouble : end), mRight(upTo ? end : kMaxDouble) {}

bool DLNumericInterval::Contains(double x) const { return mLeft <= x && x <= mRight; }

bool DLNumericInterval::SetLeftEnd(double left) {
  mLeft = left;
  return mLeft <= mRight;
}

bool DLNumericInterval::SetRightEnd(double right) {
  mRight = right;
  return mRight >= mLeft;
}

bool DLNumericInterval::IsLeftEndInfinite() const { return mLeft == -kMaxDouble; }

bool DLNumericInterval::IsRightEndInfinite() const { return mRight == kMaxDouble; }

bool DLNumericInterval::operator==(const DLNumericInterval& other) const {
  return mLeft == other.mLeft && mRight == other.mRight;
}

bool DLNumericInterval::IsCompatibleWith(const DLNumericInterval& other) const {
  if (this == &other) return true;
  return other.mLeft <= mLeft && other.mRight >= mRight;
}

void DLNumericInterval::Display(std::ostream& os) const {
  ruleweave::display::PrecisionGuard guard(os, 16);
  os << "DLNumericInterval: ";
  if (mLeft > -kMaxDouble) {
    os << "[ " << mLeft << ", ";
  } else {
    os << "( -infinity, ";
  }
  if (mRight < kMaxDouble) {
    os << mRight << " ]";
  } else {
    os << "infinity )";
  }
  os << '\n';
}

// ---------------------------------------------------------------------------------------------
// DLNumericUserMissing

DLNumericUserMissing::DLNumericUserMissing() = default;
DLNumericUserMissing::DLNumericUserMissing(const DLNumericUserMissing& other) = default;
DLNumericUserMissing& DLNumericUserMissing::operator=(const DLNumericUserMissing& other) = default;
DLNumericUserMissing::~DLNumericUserMissing() = default;

void DLNumericUserMissing::AddValue(double value, const std::string& label) {
  mValues.push_back(value);
  mLabels.push_back(label);
}

void DLNumericUserMissing::SetInterval(const DLNumericInterval& interval) {
  mInterval = interval;
  mHasInterval = true;
}

bool DLNumericUserMissing::Contains(double x) const {
  for (double v : mValues) {
    if (v == x) return true;
  }
  return mHasInterval && mInterval.Contains(x);
}

bool DLNumericUserMissing::operator==(const IDLUserMissing& other) const {
  if (this == &other) return true;
  if (other.GetDataType() != kNumericMissing) return false;
  const auto* o = dynamic_cast<const DLNumericUserMissing*>(&other);
  if (o == nullptr) return false;
  if (mValues != o->mValues || mHasInterval != o->mHasInterval) return false;
  return !mHasInterval || mInterval == o->mInterval;
}

bool DLNumericUserMissing::IsCompatibleWith(const IDLUserMissing& other) const {
  if (this == &other) return true;
  if (other.GetDataType() != kNumericMissing) return false;
  const auto* o = dynamic_cast<const DLNumericUserMissing*>(&other);
  if (o == nullptr) return false;
  for (double v : mValues) {
    if (std::find(o->mValues.begin(), o->mValues.end(), v) == o->mValues.end()) return false;
  }
  // Unset intervals hold [0, 0] and take part as they are.
  return mInterval.IsCompatibleWith(o->mInterval);
}

void DLNumericUserMissing::Display(std::ostream& os) const {
  ruleweave::display::PrecisionGuard guard(os, 16);
  os << "Start of DLNumericUserMissing display\n";
  os << "Discrete missing values:\n";
  for (std::size_t i = 0; i < mValues.size(); ++i) {
    ruleweave::display::WriteValue(os, mValues[i]);
    os << ", label = " << mLabels[i] << '\n';
  }
  if (mHasInterval) {
    os << "Missing interval:\n";
    mInterval.Display(os);
  }
  os << "End of DLNumericUserMissing display\n";
}

// ---------------------------------------------------------------------------------------------
// DLStringUserMissing

DLStringUserMissing::DLStringUserMissing() = default;
DLStringUserMissing::DLStringUserMissing(const DLStringUserMissing& other) = default;
DLStringUserMissing& DLStringUserMissing::operator=(const DLStringUserMissing& other) = default;
DLStringUserMissing::~DLStringUserMissing() = default;

void DLStringUserMissing::AddValue(const std::string& value, const std::string& label) {
  mValues.push_back(value);
  mLabels.push_back(label);
}

bool DLStringUserMissing::Contains(const std::string& s) const {
  return std::find(mValues.begin(), mValues.end(), s) != mValues.end();
}

bool DLStringUserMissing::operator==(const IDLUserMissing& other) const {
  if (this == &other) return true;
  if (other.GetDataType() != kStringMissing) return false;
  const auto* o = dynamic_cast<const DLStringUserMissing*>(&other);
  return o != nullptr && mValues == o->mValues;
}

bool DLStringUserMissing::IsCompatibleWith(const IDLUserMissing& other) const {
  if (this == &other) return true;
  if (other.GetDataType() != kStringMissing) return false;
  const auto* o = dynamic_cast<const DLStringUserMissing*>(&other);
  if (o == nullptr) return false;
  for (const std::string& v : mValues) {
    if (!o->Contains(v)) return false;
  }
  return true;
}

void DLStringUserMissing::Display(std::ostream& os) const {
  os << "Start of DLStringUserMissing display\n";
  os << "Discrete missing values:\n";
  for (std::size_t i = 0; i < mValues.size(); ++i) {
    os << mValues[i] << ", label = " << mLabels[i] << '\n';
  }
  os << "End of DLStringUserMissing display\n";
}
