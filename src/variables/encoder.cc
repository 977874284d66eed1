// The categorical encoders: dictionaries of values to dense codes in order of first appearance.
#include "ruleweave/variables/encoder.h"

#include <cmath>
#include <ostream>

#include "ruleweave/foundation/missing_value.h"
#include "variables/display.h"

IDLEncoder::~IDLEncoder() = default;

namespace ruleweave {
namespace detail {

namespace {

const char* DisplayName(IDLEncoder::EncoderType type) {
  switch (type) {
    case IDLEncoder::kCatNumNominalEncoder:
      return "DLCatNumNominalEncoder";
    case IDLEncoder::kCatNumOrdinalEncoder:
      return "DLCatNumOrdinalEncoder";
    case IDLEncoder::kCatStrNominalEncoder:
      return "DLCatStrNominalEncoder";
    case IDLEncoder::kCatStrOrdinalEncoder:
      return "DLCatStrOrdinalEncoder";
    default:
      return "IDLEncoder";
  }
}

// Labels print the same way for both families.
void DisplayLabels(std::ostream& os, const std::vector<std::string>& labels) {
  if (labels.empty()) return;
  os << "\t\tValue Labels:\n\t\t";
  for (const std::string& label : labels) os << label << ' ';
  os << '\n';
}

void DisplayUserMissing(std::ostream& os, const IDLUserMissing* um) {
  if (um == nullptr) return;
  os << "\t\tUser-missing values for this encoder:\n\t\t";
  um->Display(os);
}

// Both sets absent, or both present and equal / compatible.
bool SameUserMissing(const IDLUserMissing* a, const IDLUserMissing* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return *a == *b;
}

bool CompatibleUserMissing(const IDLUserMissing* a, const IDLUserMissing* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return a->IsCompatibleWith(*b);
}

bool SetLabels(std::vector<std::string>& labels, const std::vector<std::string>& newLabels,
               int numOfCategories) {
  if (static_cast<int>(newLabels.size()) != numOfCategories) return false;
  labels = newLabels;
  return true;
}

bool SetLabel(std::vector<std::string>& labels, int code, const std::string& label,
              int numOfCategories) {
  if (code < 0 || code >= numOfCategories) return false;
  if (static_cast<int>(labels.size()) < numOfCategories) labels.resize(numOfCategories);
  labels[code] = label;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CatNumEncoder

CatNumEncoder::CatNumEncoder() = default;

CatNumEncoder::CatNumEncoder(const std::vector<double>& values) {
  for (double v : values) Encode(v);
}

CatNumEncoder::CatNumEncoder(const CatNumEncoder& other)
    : IDLEncoder(other),
      mDictionary(other.mDictionary),
      mCodeTable(other.mCodeTable),
      mLabels(other.mLabels),
      mNextCode(other.mNextCode),
      mUserMissing(other.mUserMissing ? std::make_unique<DLNumericUserMissing>(*other.mUserMissing)
                                      : nullptr) {}

CatNumEncoder& CatNumEncoder::operator=(const CatNumEncoder& other) {
  if (this == &other) return *this;
  // Copy the set first so that a failed allocation leaves this encoder as it was.
  std::unique_ptr<DLNumericUserMissing> um =
      other.mUserMissing ? std::make_unique<DLNumericUserMissing>(*other.mUserMissing) : nullptr;
  mDictionary = other.mDictionary;
  mCodeTable = other.mCodeTable;
  mLabels = other.mLabels;
  mNextCode = other.mNextCode;
  mUserMissing = std::move(um);
  return *this;
}

CatNumEncoder::~CatNumEncoder() = default;

// A NaN is folded into missing: as a key of the ordered map it would break the ordering.
bool CatNumEncoder::IsMissingValue(double value) const {
  if (QXMV::IsMissing(value) || std::isnan(value)) return true;
  return mUserMissing != nullptr && mUserMissing->Contains(value);
}

int CatNumEncoder::Encode(double value) {
  if (IsMissingValue(value)) return -1;
  auto [it, inserted] = mDictionary.emplace(value, mNextCode);
  if (!inserted) return it->second;
  mCodeTable.push_back(value);
  return mNextCode++;
}

int CatNumEncoder::EncodeConst(double value) const {
  if (IsMissingValue(value)) return -1;
  auto it = mDictionary.find(value);
  return it == mDictionary.end() ? -1 : it->second;
}

double CatNumEncoder::Decode(int code) const {
  if (code < 0 || code >= mNextCode) return QXMV::Missing();
  return mCodeTable[code];
}

bool CatNumEncoder::SetValueLabels(const std::vector<std::string>& labels) {
  return SetLabels(mLabels, labels, mNextCode);
}

bool CatNumEncoder::SetValueLabel(int code, const std::string& label) {
  return SetLabel(mLabels, code, label, mNextCode);
}

bool CatNumEncoder::SetUserMissingInfo(IDLUserMissing* um) {
  if (um == nullptr) {
    mUserMissing.reset();
    return true;
  }
  if (um->GetDataType() != IDLUserMissing::kNumericMissing) return false;
  const auto* numeric = dynamic_cast<const DLNumericUserMissing*>(um);
  if (numeric == nullptr) return false;
  // Copy before releasing the old set: `um` may be this encoder's own set.
  mUserMissing = std::make_unique<DLNumericUserMissing>(*numeric);
  return true;
}

bool CatNumEncoder::operator==(const IDLEncoder& other) const {
  if (this == &other) return true;
  if (other.GetEncoderType() != GetEncoderType()) return false;
  const auto* o = dynamic_cast<const CatNumEncoder*>(&other);
  if (o == nullptr) return false;
  return mNextCode == o->mNextCode && mDictionary == o->mDictionary &&
         SameUserMissing(mUserMissing.get(), o->mUserMissing.get());
}

bool CatNumEncoder::IsCompatibleWith(const IDLEncoder& other) const {
  if (this == &other) return true;
  if (other.GetEncoderType() != GetEncoderType()) return false;
  const auto* o = dynamic_cast<const CatNumEncoder*>(&other);
  if (o == nullptr) return false;
  return mNextCode <= o->mNextCode &&
         CompatibleUserMissing(mUserMissing.get(), o->mUserMissing.get());
}

void CatNumEncoder::Display(std::ostream& os) const {
  ruleweave::display::PrecisionGuard guard(os, 16);
  os << '\t' << DisplayName(GetEncoderType()) << ": Next code = " << mNextCode << '\n';
  os << "\t\tNumeric values of categories: ";
  for (double v : mCodeTable) os << v << ' ';
  os << '\n';
  DisplayLabels(os, mLabels);
  DisplayUserMissing(os, mUserMissing.get());
}

// ---------------------------------------------------------------------------------------------
// CatStrEncoder

CatStrEncoder::CatStrEncoder() = default;

CatStrEncoder::CatStrEncoder(const std::vector<std::string>& values) {
  for (const std::string& v : values) Encode(v);
}

CatStrEncoder::CatStrEncoder(const CatStrEncoder& other)
    : IDLEncoder(other),
      mDictionary(other.mDictionary),
      mLabels(other.mLabels),
      mNextCode(other.mNextCode),
      mUserMissing(other.mUserMissing ? std::make_unique<DLStringUserMissing>(*other.mUserMissing)
                                      : nullptr) {
  CreateLinks();
}

CatStrEncoder& CatStrEncoder::operator=(const CatStrEncoder& other) {
  if (this == &other) return *this;
  std::unique_ptr<DLStringUserMissing> um =
      other.mUserMissing ? std::make_unique<DLStringUserMissing>(*other.mUserMissing) : nullptr;
  mDictionary = other.mDictionary;
  mLabels = other.mLabels;
  mNextCode = other.mNextCode;
  mUserMissing = std::move(um);
  CreateLinks();
  return *this;
}

CatStrEncoder::~CatStrEncoder() = default;

void CatStrEncoder::CreateLinks() {
  mCodeTable.assign(mNextCode, nullptr);
  for (const auto& [value, code] : mDictionary) mCodeTable[code] = &value;
}

int CatStrEncoder::Encode(const std::string& value) {
  if (mUserMissing != nullptr && mUserMissing->Contains(value)) return -1;
  auto [it, inserted] = mDictionary.emplace(value, mNextCode);
  if (!inserted) return it->second;
  mCodeTable.push_back(&it->first);
  return mNextCode++;
}

int CatStrEncoder::EncodeConst(const std::string& value) const {
  if (mUserMissing != nullptr && mUserMissing->Contains(value)) return -1;
  auto it = mDictionary.find(value);
  return it == mDictionary.end() ? -1 : it->second;
}

std::string CatStrEncoder::Decode(int code) const {
  if (code < 0 || code >= mNextCode) return std::string();
  return *mCodeTable[code];
}

bool CatStrEncoder::SetValueLabels(const std::vector<std::string>& labels) {
  return SetLabels(mLabels, labels, mNextCode);
}

bool CatStrEncoder::SetValueLabel(int code, const std::string& label) {
  return SetLabel(mLabels, code, label, mNextCode);
}

bool CatStrEncoder::SetUserMissingInfo(IDLUserMissing* um) {
  if (um == nullptr) {
    mUserMissing.reset();
    return true;
  }
  if (um->GetDataType() != IDLUserMissing::kStringMissing) return false;
  const auto* strings = dynamic_cast<const DLStringUserMissing*>(um);
  if (strings == nullptr) return false;
  mUserMissing = std::make_unique<DLStringUserMissing>(*strings);
  return true;
}

bool CatStrEncoder::operator==(const IDLEncoder& other) const {
  if (this == &other) return true;
  if (other.GetEncoderType() != GetEncoderType()) return false;
  const auto* o = dynamic_cast<const CatStrEncoder*>(&other);
  if (o == nullptr) return false;
  return mNextCode == o->mNextCode && mDictionary == o->mDictionary &&
         SameUserMissing(mUserMissing.get(), o->mUserMissing.get());
}

bool CatStrEncoder::IsCompatibleWith(const IDLEncoder& other) const {
  if (this == &other) return true;
  if (other.GetEncoderType() != GetEncoderType()) return false;
  const auto* o = dynamic_cast<const CatStrEncoder*>(&other);
  if (o == nullptr) return false;
  return mNextCode <= o->mNextCode &&
         CompatibleUserMissing(mUserMissing.get(), o->mUserMissing.get());
}

void CatStrEncoder::Display(std::ostream& os) const {
  os << '\t' << DisplayName(GetEncoderType()) << ": Next code = " << mNextCode << '\n';
  os << "\t\tString values of categories: ";
  for (const std::string* v : mCodeTable) os << *v << ' ';
  os << '\n';
  DisplayLabels(os, mLabels);
  DisplayUserMissing(os, mUserMissing.get());
}

}  // namespace detail
}  // namespace ruleweave
