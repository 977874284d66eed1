// The binning encoder of continuous variables and the rounding encoder of frequency weights.
#include "ruleweave/variables/binning_encoder.h"

#include <cmath>
#include <limits>
#include <ostream>

#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/foundation/missing_value.h"
#include "variables/display.h"

namespace {

constexpr double kMaxDouble = std::numeric_limits<double>::max();

// Only DLNumericUserMissing sets are accepted: the encoders call its Contains(double).
bool AcceptNumericSet(IDLUserMissing* um, DLNumericUserMissing*& target) {
  if (um == nullptr) {
    target = nullptr;
    return true;
  }
  if (um->GetDataType() != IDLUserMissing::kNumericMissing) return false;
  auto* numeric = dynamic_cast<DLNumericUserMissing*>(um);
  if (numeric == nullptr) return false;
  target = numeric;
  return true;
}

bool SameUserMissing(const IDLUserMissing* a, const IDLUserMissing* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return *a == *b;
}

bool CompatibleUserMissing(const IDLUserMissing* a, const IDLUserMissing* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return a->IsCompatibleWith(*b);
}

void DisplayUserMissing(std::ostream& os, const IDLUserMissing* um) {
  if (um == nullptr) return;
  os << "\t\tUser-missing values for this encoder:\n\t\t";
  um->Display(os);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// DLBinningEncoder

DLBinningEncoder::DLBinningEncoder() : mMin(kMaxDouble), mMax(-kMaxDouble) {}

DLBinningEncoder::DLBinningEncoder(double min, double max) : mMin(min), mMax(max) {
  if (!(max >= min)) throw QXDecision::ConstructorException("DLBinningEncoder", "min <= max");
}

DLBinningEncoder::DLBinningEncoder(const std::vector<double>& cutpoints)
    : mMin(0.0), mMax(0.0), mExplicit(true) {
  if (cutpoints.empty()) {
    throw QXDecision::ConstructorException("DLBinningEncoder", "cutpoints.size() > 0");
  }
  mMin = cutpoints.front();
  mMax = cutpoints.back();
  mCutpoints = cutpoints;
}

DLBinningEncoder::~DLBinningEncoder() = default;

bool DLBinningEncoder::SetNumOfBins(int n) {
  if (n < 2) return false;
  const double width = (mMax - mMin) / n;
  mCutpoints.clear();
  mCutpoints.reserve(n - 1);
  for (int i = 1; i < n; ++i) mCutpoints.push_back(mMin + i * width);
  return true;
}

bool DLBinningEncoder::SetBinningCutpoints(const std::vector<double>& cutpoints) {
  if (cutpoints.empty()) return false;
  mCutpoints = cutpoints;
  mExplicit = true;
  return true;
}

int DLBinningEncoder::GetNumOfCategories() const {
  return mCutpoints.empty() ? 0 : static_cast<int>(mCutpoints.size()) + 1;
}

int DLBinningEncoder::Encode(double x) const {
  // A NaN has no bin: comparisons with it are all false, which would put it in the top bin.
  if (QXMV::IsMissing(x) || std::isnan(x)) return -1;
  if (mUserMissing != nullptr && mUserMissing->Contains(x)) return -1;
  if (mCutpoints.empty()) return -1;
  const int n = static_cast<int>(mCutpoints.size());
  if (x <= mCutpoints[0]) return 0;
  if (x > mCutpoints[n - 1]) return n;
  // Binary search for the first cutpoint >= x. When the search ends without a hit, `mid` is the
  // last probe: the answer is mid itself if c(mid) > x, else the cutpoint after it.
  int lo = 0;
  int hi = n - 1;
  int mid = 0;
  while (lo <= hi) {
    mid = (lo + hi) / 2;
    const double c = mCutpoints[mid];
    if (c == x) return mid;
    if (c < x) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  return mCutpoints[mid] > x ? mid : mid + 1;
}

void DLBinningEncoder::Decode(int code, double& left, double& right) const {
  const int n = static_cast<int>(mCutpoints.size());
  if (n == 0 || code < 0 || code > n) {
    left = QXMV::Missing();
    right = QXMV::Missing();
    return;
  }
  left = code == 0 ? -kMaxDouble : mCutpoints[code - 1];
  right = code == n ? kMaxDouble : mCutpoints[code];
}

bool DLBinningEncoder::SetUserMissingInfo(IDLUserMissing* um) {
  return AcceptNumericSet(um, mUserMissing);
}

bool DLBinningEncoder::operator==(const IDLEncoder& other) const {
  if (this == &other) return true;
  if (other.GetEncoderType() != kBinningEncoder) return false;
  const auto* o = dynamic_cast<const DLBinningEncoder*>(&other);
  if (o == nullptr) return false;
  return mCutpoints == o->mCutpoints && mExplicit == o->mExplicit &&
         SameUserMissing(mUserMissing, o->mUserMissing);
}

bool DLBinningEncoder::IsCompatibleWith(const IDLEncoder& other) const {
  if (this == &other) return true;
  if (other.GetEncoderType() != kBinningEncoder) return false;
  return CompatibleUserMissing(mUserMissing, other.GetUserMissingInfo());
}

void DLBinningEncoder::Display(std::ostream& os) const {
  ruleweave::display::PrecisionGuard guard(os, 16);
  os << "\tDLBinningEncoder: number of bins = " << mCutpoints.size() + 1 << '\n';
  os << "\t\tCutpoints: ";
  for (double c : mCutpoints) os << c << ' ';
  os << '\n';
  os << "\t\tCutpoints set explicitly? " << (mExplicit ? "Yes." : "No.") << '\n';
  DisplayUserMissing(os, mUserMissing);
}

// ---------------------------------------------------------------------------------------------
// DLRoundEncoder

DLRoundEncoder::DLRoundEncoder(IDLVar::DLWRoundingOption option) : mOption(option) {}

DLRoundEncoder::~DLRoundEncoder() = default;

double DLRoundEncoder::Encode(double w) const {
  if (QXMV::IsMissing(w) || std::isnan(w)) return QXMV::Missing();
  if (mUserMissing != nullptr && mUserMissing->Contains(w)) return QXMV::Missing();
  double r = w;
  if (mOption == IDLVar::kTruncate) {
    r = std::floor(w);
  } else if (mOption == IDLVar::kRound) {
    r = std::floor(w + 0.5);
  }
  return r <= 0.0 ? QXMV::Missing() : r;
}

bool DLRoundEncoder::SetUserMissingInfo(IDLUserMissing* um) {
  return AcceptNumericSet(um, mUserMissing);
}

bool DLRoundEncoder::operator==(const IDLEncoder& other) const {
  if (this == &other) return true;
  if (other.GetEncoderType() != kRoundEncoder) return false;
  const auto* o = dynamic_cast<const DLRoundEncoder*>(&other);
  if (o == nullptr) return false;
  return mOption == o->mOption && SameUserMissing(mUserMissing, o->mUserMissing);
}

bool DLRoundEncoder::IsCompatibleWith(const IDLEncoder& other) const {
  if (this == &other) return true;
  if (other.GetEncoderType() != kRoundEncoder) return false;
  const auto* o = dynamic_cast<const DLRoundEncoder*>(&other);
  if (o == nullptr) return false;
  return mOption == o->mOption && CompatibleUserMissing(mUserMissing, o->mUserMissing);
}

void DLRoundEncoder::Display(std::ostream& os) const {
  os << "\tDLRoundEncoder: option = " << ruleweave::display::RoundingOptionText(mOption) << '\n';
  DisplayUserMissing(os, mUserMissing);
}
