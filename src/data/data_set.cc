// DLDataSet: one attribute per variable, loading records with progress, cancellation and
// roll-back, case queries and the dump.
#include "ruleweave/data/data_set.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <ostream>
#include <string>

#include "data/attributes.h"
#include "foundation/progress_throttle.h"
#include "foundation/status_codes.h"
#include "ruleweave/foundation/bit_set.h"
#include "ruleweave/foundation/missing_value.h"
#include "ruleweave/foundation/progress.h"
#include "ruleweave/foundation/record.h"
#include "ruleweave/foundation/settings.h"
#include "ruleweave/variables/var.h"
#include "ruleweave/variables/var_list.h"

using ruleweave::status::Error;
using ruleweave::status::kCancelled;
using ruleweave::status::kNoCaseLoaded;
using ruleweave::status::kValueRefused;

namespace {

constexpr int kByteMissingCode = 255;
constexpr int kIntMissingCode = 2147483647;

// The column class for a variable: codes for categorical levels, raw doubles for continuous
// ones, truncated 32-bit weights for anything else (in practice the frequency weight).
std::unique_ptr<IDLAttribute> MakeAttribute(IDLVar& var, bool largeCategory) {
  if (IDLVar::IsCategorical(var.GetMeasureLevel())) {
    if (largeCategory) return std::make_unique<DLAttribute<2, 2>>(var, /*cloneVar=*/false);
    return std::make_unique<DLAttribute<1, 2>>(var, /*cloneVar=*/false);
  }
  if (var.GetMeasureLevel() == IDLVar::kContinuous) {
    return std::make_unique<DLAttribute<0, 0>>(var, /*cloneVar=*/false);
  }
  return std::make_unique<DLAttribute<0, 4>>(var, /*cloneVar=*/false);
}

// A weight the data set can store and count: not missing, finite, not negative and below 2^31
// (converting anything else to a 32-bit integer would be undefined).
bool IsUsableWeight(double weight) {
  return !QXMV::IsMissing(weight) && std::isfinite(weight) && weight >= 0.0 &&
         weight < 2147483648.0;
}

// Makes room in a data set column for `n` entries in all.
void ReserveColumn(IDLAttribute& attribute, int n) {
  if (auto* d = dynamic_cast<DLAttribute<0, 0>*>(&attribute)) return d->Reserve(n);
  if (auto* w = dynamic_cast<DLAttribute<0, 4>*>(&attribute)) return w->Reserve(n);
  if (auto* b = dynamic_cast<DLAttribute<1, 2>*>(&attribute)) return b->Reserve(n);
  if (auto* i = dynamic_cast<DLAttribute<2, 2>*>(&attribute)) return i->Reserve(n);
}

}  // namespace

DLDataSet::DLDataSet(DLVarList& vars, bool largeCategory)
    : mVars(vars), mLargeCategory(largeCategory) {
  const int n = vars.Size();
  mAttributes.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i)
    mAttributes.push_back(MakeAttribute(*vars.GetVarAt(i), largeCategory));
}

DLDataSet::~DLDataSet() = default;

QXDecision::QXStatus DLDataSet::InputData(QXCommon::RecordIterator& records,
                                          const DLSettings& settings) {
  using QXDecision::QXStatus;
  QXQueryCancel* cancel = settings.GetCancelPointer();
  const int lengthBefore = mNumOfCases;
  // The host's iterator, listener and cancel object may throw; the records of this call are then
  // removed again (as a cancellation does) before the exception goes on to the host.
  try {
    if (IsCancelRequested(cancel)) return Error(kCancelled);
    if (!records.HasNext()) return Error(kNoCaseLoaded);
    // A host that knows how many records come spares the columns their regrowth (a copy of
    // everything loaded so far, and twice the memory while it lasts).
    const long long expected = records.ExpectedRecords();
    if (expected > 0) {
      const long long total = std::min<long long>(mNumOfCases + expected, 2147483647LL);
      try {
        for (auto& attribute : mAttributes) ReserveColumn(*attribute, static_cast<int>(total));
      } catch (const std::bad_alloc&) {
        // An overstated hint costs nothing: the columns grow as they go.
      }
    }

    DLReporter reporter;
    reporter.SetStartTime(ProgressClockTicks());
    // A report of the records taken so far after every n-th record read.
    DLProgressThrottle throttle(settings.GetProgressListener(), &reporter,
                                settings.GetNumOfSkippedReports(), "cases");
    QXStatus status;
    int taken = 0;
    do {
      bool stored = false;
      status = InputRecord(records.Next(), stored);
      if (stored) ++taken;
      throttle.UnitDone(taken);
      if (IsCancelRequested(cancel)) status = Error(kCancelled);
      if (status.IsError()) break;
    } while (records.HasNext());

    if (status.IsError()) {
      TrimData(taken);
      return status;
    }
    if (taken == 0) return Error(kNoCaseLoaded);
    mNumOfCases += taken;
    return status;  // the last record's: OK, or the 110022 warning
  } catch (...) {
    TruncateTo(lengthBefore);
    throw;
  }
}

QXDecision::QXStatus DLDataSet::InputRecord(const QXCommon::Record* record, bool& stored) {
  using QXDecision::QXStatus;
  stored = false;
  const int n = static_cast<int>(mAttributes.size());
  if (record == nullptr || record->Size() < n) return QXStatus();
  const QXCommon::Record& values = *record;
  const int weightIndex = mVars.GetFreqWeightIndex();
  if (weightIndex >= 0 && weightIndex < n && !IsUsableWeight(values[weightIndex])) {
    return QXStatus();
  }

  QXStatus status;
  for (int i = 0; i < n; ++i) {
    if (!mAttributes[static_cast<std::size_t>(i)]->AddValue(values[i])) {
      // The value is stored as the missing code, so the record stays whole.
      // The column's variable is the list's variable at position i.
      mAttributes[static_cast<std::size_t>(i)]->GetVar()->SetVarRole(IDLVar::kUnused);
      status = QXStatus(kValueRefused, /*isWarning=*/true);
    }
  }
  stored = true;
  return status;
}

void DLDataSet::TrimData(int n) {
  if (n <= 0) return;
  for (auto& attribute : mAttributes) attribute->RemoveLastValues(n);
}

void DLDataSet::TruncateTo(int length) {
  for (auto& attribute : mAttributes)
    attribute->RemoveLastValues(attribute->GetNumOfCases() - length);
}

void DLDataSet::ClearData() {
  for (auto& attribute : mAttributes) attribute->ClearValues();
  mNumOfCases = 0;
}

int DLDataSet::GetMaxCategories() const {
  return mLargeCategory ? kIntMissingCode : kByteMissingCode;
}

int DLDataSet::GetMissingCategory() const { return GetMaxCategories(); }

DLBitSet* DLDataSet::QueryCases(int varIndex, double value) const {
  const IDLAttribute* attribute = GetAttribute(varIndex);
  return attribute == nullptr ? nullptr : attribute->QueryCases(value);
}

DLBitSet* DLDataSet::QueryCases(const std::string& name, double value) const {
  if (name.empty()) return nullptr;
  const int index = mVars.FindVar(name);
  return index < 0 ? nullptr : QueryCases(index, value);
}

IDLAttribute* DLDataSet::GetAttribute(int index) {
  // Bounded by the attributes made at construction: variables added to the list later have none.
  if (index < 0 || index >= mVars.Size() || index >= static_cast<int>(mAttributes.size())) {
    return nullptr;
  }
  return mAttributes[static_cast<std::size_t>(index)].get();
}

const IDLAttribute* DLDataSet::GetAttribute(int index) const {
  return const_cast<DLDataSet*>(this)->GetAttribute(index);
}

IDLAttribute* DLDataSet::GetAttribute(const std::string& name) {
  if (name.empty()) return nullptr;
  return GetAttribute(mVars.FindVar(name));
}

const IDLAttribute* DLDataSet::GetAttribute(const std::string& name) const {
  return const_cast<DLDataSet*>(this)->GetAttribute(name);
}

void DLDataSet::Display(std::ostream& os) const {
  os << "\n"
     << "Begin display of DLDataSet object."
     << "\n";
  os << "\t\t"
     << "Var meta data for this data set:"
     << "\n\t\t";
  mVars.Display(os);
  os << "Num of attributes: " << mAttributes.size() << '\n';
  for (std::size_t i = 0; i < mAttributes.size(); ++i) {
    os << "Attribute " << i << '\n';
    mAttributes[i]->Display(os);
  }
  os << "End of display for DLDataSet object.\n";
}
