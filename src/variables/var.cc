// The variable model: IDLVar's predicates and the categorical, continuous and weight variables.
#include "ruleweave/variables/var.h"

#include <algorithm>
#include <limits>
#include <ostream>

#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/variables/binning_encoder.h"
#include "variables/display.h"

namespace {

constexpr double kMaxDouble = std::numeric_limits<double>::max();

using ruleweave::display::MeasureLevelText;
using ruleweave::display::VarRoleText;

// A new empty categorical encoder for `level` (a categorical level).
std::unique_ptr<IDLEncoder> MakeCatEncoder(IDLVar::MeasureLevel level) {
  switch (level) {
    case IDLVar::kNominalNumeric:
      return std::make_unique<DLCatNumNominalEncoder>();
    case IDLVar::kOrdinalNumeric:
      return std::make_unique<DLCatNumOrdinalEncoder>();
    case IDLVar::kNominalString:
      return std::make_unique<DLCatStrNominalEncoder>();
    default:
      return std::make_unique<DLCatStrOrdinalEncoder>();
  }
}

// A copy of a categorical encoder by its class's copy constructor.
std::unique_ptr<IDLEncoder> CopyCatEncoder(const IDLEncoder& encoder) {
  switch (encoder.GetEncoderType()) {
    case IDLEncoder::kCatNumNominalEncoder:
      return std::make_unique<DLCatNumNominalEncoder>(
          static_cast<const DLCatNumNominalEncoder&>(encoder));
    case IDLEncoder::kCatNumOrdinalEncoder:
      return std::make_unique<DLCatNumOrdinalEncoder>(
          static_cast<const DLCatNumOrdinalEncoder&>(encoder));
    case IDLEncoder::kCatStrNominalEncoder:
      return std::make_unique<DLCatStrNominalEncoder>(
          static_cast<const DLCatStrNominalEncoder&>(encoder));
    default:
      return std::make_unique<DLCatStrOrdinalEncoder>(
          static_cast<const DLCatStrOrdinalEncoder&>(encoder));
  }
}

// The predictor and target roles are interchangeable between a variable and its later self.
bool IsAnalysisRole(IDLVar::VarRole role) {
  return role == IDLVar::kPredictor || role == IDLVar::kTarget;
}

// Only DLNumericUserMissing sets are usable by numeric variables (their encoders call its
// Contains(double)).
DLNumericUserMissing* AsNumericSet(IDLUserMissing* um) {
  if (um == nullptr || um->GetDataType() != IDLUserMissing::kNumericMissing) return nullptr;
  return dynamic_cast<DLNumericUserMissing*>(um);
}

// Takes a set over into `owned` and hands it to `encoder` (may be null), for the continuous and
// weight variables. Null drops the set; a set of the wrong kind is refused and stays the caller's.
bool AdoptUserMissing(IDLUserMissing* um, std::unique_ptr<DLNumericUserMissing>& owned,
                      IDLEncoder* encoder) {
  if (um == nullptr) {
    owned.reset();
    if (encoder != nullptr) encoder->SetUserMissingInfo(nullptr);
    return true;
  }
  DLNumericUserMissing* numeric = AsNumericSet(um);
  if (numeric == nullptr) return false;
  // Handing the variable its own set again must not delete it.
  if (numeric != owned.get()) owned.reset(numeric);
  if (encoder != nullptr) encoder->SetUserMissingInfo(owned.get());
  return true;
}

// Delete, copy or assign this variable's set from the source's, as assignment of a variable does.
void AssignUserMissing(std::unique_ptr<DLNumericUserMissing>& target,
                       const std::unique_ptr<DLNumericUserMissing>& source) {
  if (!source) {
    target.reset();
  } else if (!target) {
    target = std::make_unique<DLNumericUserMissing>(*source);
  } else {
    *target = *source;
  }
}

bool SameEncoder(const IDLEncoder* a, const IDLEncoder* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return *a == *b;
}

bool CompatibleEncoder(const IDLEncoder* a, const IDLEncoder* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return a->IsCompatibleWith(*b);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// IDLVar

IDLVar::~IDLVar() = default;

bool IDLVar::IsNominal(MeasureLevel level) {
  return level == kNominalNumeric || level == kNominalString;
}
bool IDLVar::IsNominal(const IDLVar& var) { return IsNominal(var.GetMeasureLevel()); }

bool IDLVar::IsOrdinal(MeasureLevel level) {
  return level == kOrdinalNumeric || level == kOrdinalString;
}
bool IDLVar::IsOrdinal(const IDLVar& var) { return IsOrdinal(var.GetMeasureLevel()); }

bool IDLVar::IsCategorical(MeasureLevel level) { return IsNominal(level) || IsOrdinal(level); }
bool IDLVar::IsCategorical(const IDLVar& var) { return IsCategorical(var.GetMeasureLevel()); }

bool IDLVar::IsContinuous(MeasureLevel level) { return level == kContinuous; }
bool IDLVar::IsContinuous(const IDLVar& var) { return IsContinuous(var.GetMeasureLevel()); }

bool IDLVar::IsNumeric(MeasureLevel level) {
  return level == kContinuous || level == kNominalNumeric || level == kOrdinalNumeric;
}
bool IDLVar::IsNumeric(const IDLVar& var) { return IsNumeric(var.GetMeasureLevel()); }

bool IDLVar::IsString(MeasureLevel level) {
  return level == kNominalString || level == kOrdinalString;
}
bool IDLVar::IsString(const IDLVar& var) { return IsString(var.GetMeasureLevel()); }

bool IDLVar::IsUsed(MeasureLevel level) { return IsNumeric(level) || IsString(level); }
bool IDLVar::IsUsed(const IDLVar& var) { return IsUsed(var.GetMeasureLevel()); }

bool IDLVar::IsIntegerCategorical(MeasureLevel level, VarDataType dataType) {
  return (level == kNominalNumeric || level == kOrdinalNumeric) && dataType == kInteger;
}
bool IDLVar::IsIntegerCategorical(const IDLVar& var) {
  return IsIntegerCategorical(var.GetMeasureLevel(), var.GetVarDataType());
}

bool IDLVar::IsDoubleCategorical(MeasureLevel level, VarDataType dataType) {
  return (level == kNominalNumeric || level == kOrdinalNumeric) && dataType == kDouble;
}
bool IDLVar::IsDoubleCategorical(const IDLVar& var) {
  return IsDoubleCategorical(var.GetMeasureLevel(), var.GetVarDataType());
}

// ---------------------------------------------------------------------------------------------
// DLCatVar

DLCatVar::DLCatVar(const std::string& vName, const std::string& vLabel, MeasureLevel mLevel,
                   VarRole vRole, VarDataType vDataType)
    : mName(vName), mLabel(vLabel), mRole(vRole), mDataType(vDataType), mMeasureLevel(mLevel) {
  if (vName.empty()) throw QXDecision::ConstructorException("DLCatVar", "! vName.empty()");
  if (!IsCategorical(mLevel)) {
    throw QXDecision::ConstructorException("DLCatVar", "IsCategorical( mLevel )");
  }
  mEncoder = MakeCatEncoder(mLevel);
}

DLCatVar::DLCatVar(const DLCatVar& other)
    : IDLVar(other),
      mName(other.mName),
      mLabel(other.mLabel),
      mRole(other.mRole),
      mDataType(other.mDataType),
      mNumOfCategories(other.mNumOfCategories),
      mMeasureLevel(other.mMeasureLevel),
      mEncoder(CopyCatEncoder(*other.mEncoder)) {}

DLCatVar& DLCatVar::operator=(const DLCatVar& other) {
  if (this == &other) return *this;
  if (mName != other.mName) NoteRenamed();
  // The encoder is kept, except when the level changes: an encoder of the wrong family would
  // be reached through the wrong class by everyone who picks the encoder class by level.
  if (other.mMeasureLevel != mMeasureLevel) mEncoder = CopyCatEncoder(*other.mEncoder);
  mName = other.mName;
  mLabel = other.mLabel;
  mRole = other.mRole;
  mNumOfCategories = other.mNumOfCategories;
  mMeasureLevel = other.mMeasureLevel;
  return *this;
}

DLCatVar::~DLCatVar() = default;

int DLCatVar::GetNumOfCategories() const { return mEncoder->GetNumOfCategories(); }

const IDLUserMissing* DLCatVar::GetUserMissingInfo() const {
  return mEncoder->GetUserMissingInfo();
}

bool DLCatVar::SetUserMissingInfo(IDLUserMissing* um) { return mEncoder->SetUserMissingInfo(um); }

IDLVar::VarStatus DLCatVar::GetVarStatus() {
  mNumOfCategories = std::max(mNumOfCategories, mEncoder->GetNumOfCategories());
  if (mNumOfCategories == 0) return kVarEmpty;
  if (mNumOfCategories == 1) return kVarConstant;
  return kVarOK;
}

bool DLCatVar::operator==(const IDLVar& other) const {
  if (this == &other) return true;
  if (other.GetMeasureLevel() != mMeasureLevel) return false;
  const auto* o = dynamic_cast<const DLCatVar*>(&other);
  if (o == nullptr) return false;
  return mName == o->mName && IsAnalysisRole(mRole) && IsAnalysisRole(o->mRole) &&
         mNumOfCategories == o->mNumOfCategories && *mEncoder == *o->mEncoder;
}

bool DLCatVar::IsCompatibleWith(const IDLVar& other) const {
  if (this == &other) return true;
  if (other.GetMeasureLevel() != mMeasureLevel) return false;
  const auto* o = dynamic_cast<const DLCatVar*>(&other);
  if (o == nullptr) return false;
  return mName == o->mName && IsAnalysisRole(mRole) && IsAnalysisRole(o->mRole) &&
         mEncoder->IsCompatibleWith(*o->mEncoder);
}

IDLVar* DLCatVar::Clone() const { return new DLCatVar(*this); }

void DLCatVar::Display(std::ostream& os) const {
  os << "Categorical variable: name = " << mName << ", label = " << mLabel
     << ", role = " << VarRoleText(mRole) << '\n';
  os << "\tMeasurement Level = " << MeasureLevelText(mMeasureLevel) << '\n';
  os << "\tNum of Categories = " << mNumOfCategories << '\n';
  mEncoder->Display(os);
}

// ---------------------------------------------------------------------------------------------
// DLContVar

DLContVar::DLContVar(const std::string& vName, const std::string& vLabel, VarRole vRole)
    : mName(vName), mLabel(vLabel), mRole(vRole), mMin(kMaxDouble), mMax(-kMaxDouble) {
  if (vName.empty()) throw QXDecision::ConstructorException("DLContVar", "! vName.empty()");
  if (vRole == kTarget) {
    throw QXDecision::ConstructorException("DLContVar", "vRole != IDLVar::kTarget");
  }
}

DLContVar::DLContVar(const std::string& vName, const std::string& vLabel, double min, double max,
                     VarRole vRole)
    : mName(vName), mLabel(vLabel), mRole(vRole), mMin(min), mMax(max) {
  if (vName.empty()) throw QXDecision::ConstructorException("DLContVar", "! vName.empty()");
  if (vRole == kTarget) {
    throw QXDecision::ConstructorException("DLContVar", "vRole != IDLVar::kTarget");
  }
}

DLContVar::DLContVar(const std::string& vName, const std::string& vLabel,
                     const std::vector<double>& cutpoints, VarRole vRole)
    : mName(vName), mLabel(vLabel), mRole(vRole), mMin(0.0), mMax(0.0) {
  if (vName.empty()) throw QXDecision::ConstructorException("DLContVar", "! vName.empty()");
  if (cutpoints.empty()) {
    throw QXDecision::ConstructorException("DLContVar", "cutpoints.size() > 0");
  }
  if (vRole == kTarget) {
    throw QXDecision::ConstructorException("DLContVar", "vRole != IDLVar::kTarget");
  }
  const std::size_t n = cutpoints.size();
  if (n > 1) {
    mMin = cutpoints[0] - (cutpoints[1] - cutpoints[0]);
    mMax = cutpoints[n - 1] + (cutpoints[n - 1] - cutpoints[n - 2]);
  } else {
    mMin = cutpoints[0] - 50.0;
    mMax = cutpoints[0] + 50.0;
  }
  if (vRole != kUnused) mEncoder = std::make_unique<DLBinningEncoder>(cutpoints);
}

DLContVar::DLContVar(const DLContVar& other)
    : IDLVar(other),
      mName(other.mName),
      mLabel(other.mLabel),
      mRole(other.mRole),
      mMin(other.mMin),
      mMax(other.mMax) {
  if (other.mEncoder) mEncoder = std::make_unique<DLBinningEncoder>(*other.mEncoder);
  if (other.mUserMissing)
    mUserMissing = std::make_unique<DLNumericUserMissing>(*other.mUserMissing);
  // The copied encoder still refers to the source's set; point it at this variable's own.
  if (mEncoder) mEncoder->SetUserMissingInfo(mUserMissing.get());
}

DLContVar& DLContVar::operator=(const DLContVar& other) {
  if (this == &other) return *this;
  if (mName != other.mName) NoteRenamed();
  mName = other.mName;
  mLabel = other.mLabel;
  mMin = other.mMin;
  mMax = other.mMax;
  mRole = other.mRole;
  if (!other.mEncoder) {
    mEncoder.reset();
  } else if (!mEncoder) {
    mEncoder = std::make_unique<DLBinningEncoder>(*other.mEncoder);
  }
  AssignUserMissing(mUserMissing, other.mUserMissing);
  if (mEncoder) mEncoder->SetUserMissingInfo(mUserMissing.get());
  return *this;
}

DLContVar::~DLContVar() = default;

int DLContVar::GetNumOfCategories() const { return mEncoder ? mEncoder->GetNumOfCategories() : 0; }

const IDLUserMissing* DLContVar::GetUserMissingInfo() const { return mUserMissing.get(); }

bool DLContVar::SetUserMissingInfo(IDLUserMissing* um) {
  return AdoptUserMissing(um, mUserMissing, mEncoder.get());
}

IDLEncoder* DLContVar::GetEncoder() { return mEncoder.get(); }

const IDLEncoder* DLContVar::GetEncoder() const { return mEncoder.get(); }

IDLVar::VarStatus DLContVar::GetVarStatus() {
  if (mMax < mMin) return kVarEmpty;
  if (mMax == mMin) return kVarConstant;
  return kVarOK;
}

bool DLContVar::SetMinMax(double min, double max) {
  if (!(min < max)) return false;
  mMin = min;
  mMax = max;
  return true;
}

bool DLContVar::SetupEncoder(int numOfBins) {
  // `!(max > min)` also refuses a NaN end, for which the encoder's constructor would throw.
  if (numOfBins < 2 || mEncoder || !(mMax > mMin) || mRole == kUnused) return false;
  auto encoder = std::make_unique<DLBinningEncoder>(mMin, mMax);
  encoder->SetNumOfBins(numOfBins);
  encoder->SetUserMissingInfo(mUserMissing.get());
  mEncoder = std::move(encoder);
  return true;
}

bool DLContVar::SetupEncoder(const std::vector<double>& cutpoints) {
  if (cutpoints.empty() || mEncoder) return false;
  std::vector<double> sorted = cutpoints;
  std::sort(sorted.begin(), sorted.end());
  auto encoder = std::make_unique<DLBinningEncoder>(sorted);
  encoder->SetUserMissingInfo(mUserMissing.get());
  mEncoder = std::move(encoder);
  return true;
}

bool DLContVar::ClearEncoder(bool force) {
  if (!mEncoder) return false;
  if (mEncoder->AreCutpointsSetExplicitly() && !force) return false;
  mEncoder.reset();
  return true;
}

bool DLContVar::operator==(const IDLVar& other) const {
  if (this == &other) return true;
  if (other.GetMeasureLevel() != kContinuous) return false;
  const auto* o = dynamic_cast<const DLContVar*>(&other);
  if (o == nullptr) return false;
  return mName == o->mName && mRole == o->mRole && mMin == o->mMin && mMax == o->mMax &&
         SameEncoder(mEncoder.get(), o->mEncoder.get());
}

bool DLContVar::IsCompatibleWith(const IDLVar& other) const {
  if (this == &other) return true;
  if (other.GetMeasureLevel() != kContinuous) return false;
  const auto* o = dynamic_cast<const DLContVar*>(&other);
  if (o == nullptr) return false;
  return mName == o->mName && mRole == o->mRole &&
         CompatibleEncoder(mEncoder.get(), o->mEncoder.get());
}

IDLVar* DLContVar::Clone() const { return new DLContVar(*this); }

void DLContVar::Display(std::ostream& os) const {
  ruleweave::display::PrecisionGuard guard(os, 16);
  os << "Continuous variable: name = " << mName << ", label = " << mLabel
     << ", role = " << VarRoleText(mRole) << '\n';
  ruleweave::display::WriteNamedValue(os, "min", mMin);
  os << ", ";
  ruleweave::display::WriteNamedValue(os, "max", mMax);
  os << '\n';
  if (mEncoder) {
    mEncoder->Display(os);
  } else {
    os << "\tEncoder not set.\n";
  }
}

// ---------------------------------------------------------------------------------------------
// DLWeightVar

DLWeightVar::DLWeightVar(const std::string& vName, const std::string& vLabel,
                         DLWRoundingOption option)
    : mName(vName), mLabel(vLabel) {
  if (vName.empty()) throw QXDecision::ConstructorException("DLWeightVar", "vName is not empty");
  mEncoder = std::make_unique<DLRoundEncoder>(option);
}

DLWeightVar::DLWeightVar(const DLWeightVar& other)
    : IDLVar(other),
      mName(other.mName),
      mLabel(other.mLabel),
      mEncoder(std::make_unique<DLRoundEncoder>(other.mEncoder->GetRoundingOption())) {
  if (other.mUserMissing)
    mUserMissing = std::make_unique<DLNumericUserMissing>(*other.mUserMissing);
  mEncoder->SetUserMissingInfo(mUserMissing.get());
}

DLWeightVar& DLWeightVar::operator=(const DLWeightVar& other) {
  if (this == &other) return *this;
  if (mName != other.mName) NoteRenamed();
  mName = other.mName;
  mLabel = other.mLabel;
  AssignUserMissing(mUserMissing, other.mUserMissing);
  mEncoder->SetUserMissingInfo(mUserMissing.get());
  return *this;
}

DLWeightVar::~DLWeightVar() = default;

const IDLUserMissing* DLWeightVar::GetUserMissingInfo() const { return mUserMissing.get(); }

bool DLWeightVar::SetUserMissingInfo(IDLUserMissing* um) {
  return AdoptUserMissing(um, mUserMissing, mEncoder.get());
}

IDLEncoder* DLWeightVar::GetEncoder() { return mEncoder.get(); }

const IDLEncoder* DLWeightVar::GetEncoder() const { return mEncoder.get(); }

bool DLWeightVar::operator==(const IDLVar& other) const {
  if (this == &other) return true;
  if (other.GetMeasureLevel() != kFrequencyWeight) return false;
  const auto* o = dynamic_cast<const DLWeightVar*>(&other);
  if (o == nullptr) return false;
  return mName == o->mName && *mEncoder == *o->mEncoder;
}

bool DLWeightVar::IsCompatibleWith(const IDLVar& other) const {
  if (this == &other) return true;
  if (other.GetMeasureLevel() != kFrequencyWeight) return false;
  const auto* o = dynamic_cast<const DLWeightVar*>(&other);
  if (o == nullptr) return false;
  return mName == o->mName && mEncoder->IsCompatibleWith(*o->mEncoder);
}

IDLVar* DLWeightVar::Clone() const { return new DLWeightVar(*this); }

void DLWeightVar::Display(std::ostream& os) const {
  os << "Frequency weight variable: name = " << mName << ", label = " << mLabel << '\n';
  mEncoder->Display(os);
  if (mUserMissing) mUserMissing->Display(os);
}
