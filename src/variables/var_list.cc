// DLVarList: the ordered, owning list of the host's variables.
#include "ruleweave/variables/var_list.h"

#include <ostream>
#include <unordered_map>
#include <utility>

#include "ruleweave/foundation/exceptions.h"

namespace {

bool IsContinuousVar(const IDLVar& var) { return var.GetMeasureLevel() == IDLVar::kContinuous; }
bool IsWeightVar(const IDLVar& var) { return var.GetMeasureLevel() == IDLVar::kFrequencyWeight; }

// A copy of `var` by its class's copy constructor.
std::unique_ptr<IDLVar> CopyVar(const IDLVar& var) { return std::unique_ptr<IDLVar>(var.Clone()); }

}  // namespace

// The position of each name. `stale` is the flag the list's variables hold: set when one was
// renamed by an assignment, so the positions are re-read before the next lookup.
struct DLVarList::NameIndex {
  std::unordered_map<std::string, int> positions;
  bool stale = false;
};

DLVarList::DLVarList() : mNames(std::make_unique<NameIndex>()) {}

DLVarList::DLVarList(const DLVarList& other)
    : mNames(std::make_unique<NameIndex>()),
      mNumContVars(other.mNumContVars),
      mNumCatVars(other.mNumCatVars),
      mTargetIndex(other.mTargetIndex),
      mWeightIndex(other.mWeightIndex) {
  for (const auto& var : other.mVars) AppendCopy(*var);
}

DLVarList& DLVarList::operator=(const DLVarList& other) {
  if (this == &other) return *this;
  DLVarList copy(other);
  Swap(copy);
  return *this;
}

DLVarList::~DLVarList() = default;

void DLVarList::Swap(DLVarList& other) {
  std::swap(mVars, other.mVars);
  std::swap(mNames, other.mNames);
  std::swap(mNumContVars, other.mNumContVars);
  std::swap(mNumCatVars, other.mNumCatVars);
  std::swap(mTargetIndex, other.mTargetIndex);
  std::swap(mWeightIndex, other.mWeightIndex);
}

bool DLVarList::AppendCopy(const IDLVar& var) {
  if (FindVar(var.GetVarName()) >= 0) return false;
  Append(CopyVar(var));
  return true;
}

void DLVarList::Append(std::unique_ptr<IDLVar> var) {
  var->mListNamesStale = &mNames->stale;
  mNames->positions.try_emplace(var->GetVarName(), Size());
  mVars.push_back(std::move(var));
}

void DLVarList::RebuildNameIndex() const {
  mNames->positions.clear();
  for (int i = 0; i < Size(); ++i) mNames->positions.try_emplace(mVars[i]->GetVarName(), i);
  mNames->stale = false;
}

// ---------------------------------------------------------------------------------------------
// Queries

IDLVar* DLVarList::GetVarAt(int index) {
  return index >= 0 && index < Size() ? mVars[index].get() : nullptr;
}

const IDLVar* DLVarList::GetVarAt(int index) const {
  return index >= 0 && index < Size() ? mVars[index].get() : nullptr;
}

IDLVar* DLVarList::GetVarAt(const std::string& name) { return GetVarAt(FindVar(name)); }

const IDLVar* DLVarList::GetVarAt(const std::string& name) const { return GetVarAt(FindVar(name)); }

std::string DLVarList::GetVarNameAt(int index) const {
  const IDLVar* var = GetVarAt(index);
  return var != nullptr ? var->GetVarName() : std::string();
}

IDLVar* DLVarList::GetTargetVar() { return GetVarAt(mTargetIndex); }
const IDLVar* DLVarList::GetTargetVar() const { return GetVarAt(mTargetIndex); }
IDLVar* DLVarList::GetFreqWeightVar() { return GetVarAt(mWeightIndex); }
const IDLVar* DLVarList::GetFreqWeightVar() const { return GetVarAt(mWeightIndex); }
std::string DLVarList::GetTargetName() const { return GetVarNameAt(mTargetIndex); }
std::string DLVarList::GetFreqWeightName() const { return GetVarNameAt(mWeightIndex); }

IDLEncoder* DLVarList::GetEncoderAt(int index) {
  IDLVar* var = GetVarAt(index);
  return var != nullptr ? var->GetEncoder() : nullptr;
}

const IDLEncoder* DLVarList::GetEncoderAt(int index) const {
  const IDLVar* var = GetVarAt(index);
  return var != nullptr ? var->GetEncoder() : nullptr;
}

int DLVarList::FindVar(const std::string& name) const {
  if (name.empty()) return -1;
  if (mNames->stale) RebuildNameIndex();
  const auto it = mNames->positions.find(name);
  return it != mNames->positions.end() ? it->second : -1;
}

int DLVarList::GetNumPredictors() const {
  int n = 0;
  for (const auto& var : mVars) {
    if (var->GetVarRole() == IDLVar::kPredictor) ++n;
  }
  return n;
}

int DLVarList::GetNTargetCats() const {
  const IDLVar* target = GetTargetVar();
  return target != nullptr ? target->GetNumOfCategories() : -1;
}

IDLVar::VarRole DLVarList::GetVarRole(int index) const {
  const IDLVar* var = GetVarAt(index);
  return var != nullptr ? var->GetVarRole() : IDLVar::kUndefinedRole;
}

void DLVarList::GetVarNames(std::vector<std::string>& predictors, std::string& target) const {
  predictors.clear();
  target.clear();
  for (const auto& var : mVars) {
    if (var->GetVarRole() == IDLVar::kPredictor) {
      predictors.push_back(var->GetVarName());
    } else if (var->GetVarRole() == IDLVar::kTarget) {
      target = var->GetVarName();
    }
  }
}

std::vector<int> DLVarList::GetNPredictorCats() const {
  std::vector<int> cats;
  for (const auto& var : mVars) {
    if (var->GetVarRole() == IDLVar::kPredictor) cats.push_back(var->GetNumOfCategories());
  }
  return cats;
}

// ---------------------------------------------------------------------------------------------
// Adding variables. Each builds the variable completely before touching the list, and turns the
// exceptions of the variable constructors into -1 (the list's operations never throw).

namespace {

template <class Make>
std::unique_ptr<IDLVar> BuildVar(Make make) {
  try {
    return make();
  } catch (const QXDecision::ConstructorException&) {
    return nullptr;
  } catch (const QXDecision::AssertionException&) {
    return nullptr;
  }
}

}  // namespace

int DLVarList::AddContVar(const std::string& name, const std::string& label, IDLVar::VarRole role) {
  if (name.empty() || FindVar(name) >= 0 || role == IDLVar::kTarget) return -1;
  auto var = BuildVar([&] { return std::make_unique<DLContVar>(name, label, role); });
  return AppendContVar(std::move(var));
}

int DLVarList::AddContVar(const std::string& name, const std::string& label, double min, double max,
                          IDLVar::VarRole role) {
  if (name.empty() || FindVar(name) >= 0 || role == IDLVar::kTarget) return -1;
  auto var = BuildVar([&] { return std::make_unique<DLContVar>(name, label, min, max, role); });
  return AppendContVar(std::move(var));
}

int DLVarList::AddContVar(const std::string& name, const std::string& label,
                          const std::vector<double>& cutpoints, IDLVar::VarRole role) {
  if (name.empty() || FindVar(name) >= 0 || role == IDLVar::kTarget || cutpoints.empty()) {
    return -1;
  }
  auto var = BuildVar([&] { return std::make_unique<DLContVar>(name, label, cutpoints, role); });
  return AppendContVar(std::move(var));
}

int DLVarList::AppendContVar(std::unique_ptr<IDLVar> var) {
  if (!var) return -1;
  Append(std::move(var));
  ++mNumContVars;
  return Size() - 1;
}

bool DLVarList::CanAddCatVar(const std::string& name, IDLVar::MeasureLevel level,
                             IDLVar::VarRole role) const {
  if (name.empty() || FindVar(name) >= 0) return false;
  if (!IDLVar::IsCategorical(level)) return false;
  return !(role == IDLVar::kTarget && mTargetIndex >= 0);
}

int DLVarList::AppendCatVar(std::unique_ptr<IDLVar> var) {
  if (!var) return -1;
  const bool isTarget = var->GetVarRole() == IDLVar::kTarget;
  Append(std::move(var));
  ++mNumCatVars;
  if (isTarget) mTargetIndex = Size() - 1;
  return Size() - 1;
}

int DLVarList::AddCatVar(const std::string& name, const std::string& label,
                         IDLVar::MeasureLevel level, IDLVar::VarRole role,
                         IDLVar::VarDataType dataType) {
  if (!CanAddCatVar(name, level, role)) return -1;
  return AppendCatVar(
      BuildVar([&] { return std::make_unique<DLCatVar>(name, label, level, role, dataType); }));
}

int DLVarList::AddCatVar(const std::string& name, const std::string& label,
                         const std::vector<double>& values, bool nominal, IDLVar::VarRole role,
                         IDLVar::VarDataType dataType) {
  const IDLVar::MeasureLevel level = nominal ? IDLVar::kNominalNumeric : IDLVar::kOrdinalNumeric;
  if (!CanAddCatVar(name, level, role)) return -1;
  auto var =
      BuildVar([&] { return std::make_unique<DLCatVar>(name, label, level, role, dataType); });
  if (!var) return -1;
  auto* encoder = static_cast<ruleweave::detail::CatNumEncoder*>(var->GetEncoder());
  for (double v : values) encoder->Encode(v);
  return AppendCatVar(std::move(var));
}

int DLVarList::AddCatVar(const std::string& name, const std::string& label,
                         const std::vector<std::string>& values, bool nominal,
                         IDLVar::VarRole role) {
  const IDLVar::MeasureLevel level = nominal ? IDLVar::kNominalString : IDLVar::kOrdinalString;
  if (!CanAddCatVar(name, level, role)) return -1;
  auto var = BuildVar(
      [&] { return std::make_unique<DLCatVar>(name, label, level, role, IDLVar::kString); });
  if (!var) return -1;
  auto* encoder = static_cast<ruleweave::detail::CatStrEncoder*>(var->GetEncoder());
  for (const std::string& v : values) encoder->Encode(v);
  return AppendCatVar(std::move(var));
}

// With labels: one label per value, an empty label list included (it stands for no value only).
// The encoder refuses the labels, without effect on the result, when repeated values left fewer
// categories.
int DLVarList::AddCatVar(const std::string& name, const std::string& label,
                         const std::vector<double>& values, const std::vector<std::string>& labels,
                         bool nominal, IDLVar::VarRole role, IDLVar::VarDataType dataType) {
  if (labels.size() != values.size()) return -1;
  const int index = AddCatVar(name, label, values, nominal, role, dataType);
  if (index >= 0 && !labels.empty()) GetEncoderAt(index)->SetValueLabels(labels);
  return index;
}

int DLVarList::AddCatVar(const std::string& name, const std::string& label,
                         const std::vector<std::string>& values,
                         const std::vector<std::string>& labels, bool nominal,
                         IDLVar::VarRole role) {
  if (labels.size() != values.size()) return -1;
  const int index = AddCatVar(name, label, values, nominal, role);
  if (index >= 0 && !labels.empty()) GetEncoderAt(index)->SetValueLabels(labels);
  return index;
}

int DLVarList::AddFreqWeightVar(const std::string& name, const std::string& label,
                                IDLVar::DLWRoundingOption option) {
  if (name.empty() || FindVar(name) >= 0 || mWeightIndex >= 0) return -1;
  auto var = BuildVar([&] { return std::make_unique<DLWeightVar>(name, label, option); });
  if (!var) return -1;
  Append(std::move(var));
  mWeightIndex = Size() - 1;
  return mWeightIndex;
}

// ---------------------------------------------------------------------------------------------
// Changing the list

bool DLVarList::RemoveVar(int index) {
  if (index < 0 || index >= Size()) return false;
  const IDLVar& var = *mVars[index];
  if (IsContinuousVar(var)) {
    --mNumContVars;
  } else if (!IsWeightVar(var)) {
    --mNumCatVars;
  }
  // The indices follow positions, so they stay right even if a host changed a role directly on
  // the variable behind the list's back.
  if (mTargetIndex == index) {
    mTargetIndex = -1;
  } else if (mTargetIndex > index) {
    --mTargetIndex;
  }
  if (mWeightIndex == index) {
    mWeightIndex = -1;
  } else if (mWeightIndex > index) {
    --mWeightIndex;
  }
  mVars.erase(mVars.begin() + index);
  // The later variables moved down one place.
  RebuildNameIndex();
  return true;
}

bool DLVarList::RemoveVar(std::string name) {
  const int index = FindVar(name);
  return index >= 0 && RemoveVar(index);
}

bool DLVarList::SetVarRole(int index, IDLVar::VarRole role) {
  IDLVar* var = GetVarAt(index);
  if (var == nullptr || role == IDLVar::kFreqWeight || IsWeightVar(*var)) return false;
  if (role == IDLVar::kTarget && IsContinuousVar(*var)) return false;
  if (var->GetVarRole() == role) return true;
  if (role == IDLVar::kTarget) {
    if (IDLVar* previous = GetTargetVar()) previous->SetVarRole(IDLVar::kPredictor);
    mTargetIndex = index;
  } else if (index == mTargetIndex) {
    // The target index only ever names a variable with the target role.
    mTargetIndex = -1;
  }
  var->SetVarRole(role);
  return true;
}

int DLVarList::SetupContEncoders(int numOfBins) {
  if (numOfBins < 2) return 0;
  int visited = 0;
  int created = 0;
  for (const auto& var : mVars) {
    if (visited >= mNumContVars) break;
    if (!IsContinuousVar(*var)) continue;
    ++visited;
    if (static_cast<DLContVar&>(*var).SetupEncoder(numOfBins)) ++created;
  }
  return created;
}

int DLVarList::RemoveContEncoders(bool force) {
  int removed = 0;
  for (const auto& var : mVars) {
    if (!IsContinuousVar(*var) || var->GetEncoder() == nullptr) continue;
    if (static_cast<DLContVar&>(*var).ClearEncoder(force)) ++removed;
  }
  return removed;
}

// ---------------------------------------------------------------------------------------------
// Checking and comparing

bool DLVarList::IsValidList(std::vector<int>* constVars, std::vector<int>* emptyVars) {
  if (constVars != nullptr) constVars->clear();
  if (emptyVars != nullptr) emptyVars->clear();
  bool valid = true;
  int predictors = 0;
  int targets = 0;
  for (int i = 0; i < Size(); ++i) {
    IDLVar& var = *mVars[i];
    const IDLVar::VarRole role = var.GetVarRole();
    if (role == IDLVar::kUndefinedRole || role == IDLVar::kUnused) continue;
    const IDLVar::VarStatus status = var.GetVarStatus();
    if (status == IDLVar::kVarConstant && constVars != nullptr) constVars->push_back(i);
    if (status == IDLVar::kVarEmpty) {
      if (emptyVars != nullptr) emptyVars->push_back(i);
      valid = false;
    }
    if (role == IDLVar::kPredictor) {
      ++predictors;
    } else if (role == IDLVar::kTarget) {
      ++targets;
      if (mTargetIndex != i) valid = false;
    } else if (role == IDLVar::kFreqWeight) {
      if (mWeightIndex != i) valid = false;
    }
  }
  return valid && predictors >= 1 && targets == 1;
}

bool DLVarList::operator==(const DLVarList& other) const {
  if (this == &other) return true;
  if (mNumContVars != other.mNumContVars || mNumCatVars != other.mNumCatVars ||
      mTargetIndex != other.mTargetIndex || Size() != other.Size()) {
    return false;
  }
  for (int i = 0; i < Size(); ++i) {
    if (*mVars[i] != *other.mVars[i]) return false;
  }
  return true;
}

bool DLVarList::IsCompatibleWith(const DLVarList& other) const {
  if (this == &other) return true;
  for (const auto& var : mVars) {
    if (var->IsUnusedVar() || var->GetVarRole() == IDLVar::kUnused) continue;
    const IDLVar* namesake = other.GetVarAt(var->GetVarName());
    if (namesake == nullptr || !var->IsCompatibleWith(*namesake)) return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Copying

void DLVarList::Copy(const DLVarList& src, const std::vector<int>* indices, int targetIndex) {
  // Built aside and swapped in, so that copying from this list itself reads intact variables.
  DLVarList result;
  int targetPosition = -1;
  if (indices == nullptr) {
    result = src;
    targetPosition = targetIndex;
  } else {
    for (int index : *indices) {
      const IDLVar* var = src.GetVarAt(index);
      if (var == nullptr || !result.AppendCopy(*var)) continue;
      const int j = result.Size() - 1;
      if (var->GetVarRole() == IDLVar::kTarget) result.mTargetIndex = j;
      if (var->GetVarRole() == IDLVar::kFreqWeight) result.mWeightIndex = j;
      // The weight counts as neither kind, as it does when added.
      if (IsContinuousVar(*var)) {
        ++result.mNumContVars;
      } else if (!IsWeightVar(*var)) {
        ++result.mNumCatVars;
      }
      if (index == targetIndex) targetPosition = j;
    }
  }
  if (targetPosition >= 0 && targetPosition < result.Size()) {
    result.SetVarRole(targetPosition, IDLVar::kTarget);
  }
  Swap(result);
}

void DLVarList::Copy(const DLVarList& src, const std::vector<std::string>* names,
                     const std::string& targetName) {
  const int targetIndex = src.FindVar(targetName);
  if (names == nullptr) {
    Copy(src, static_cast<const std::vector<int>*>(nullptr), targetIndex);
    return;
  }
  std::vector<int> indices;
  indices.reserve(names->size());
  for (const std::string& name : *names) {
    const int index = src.FindVar(name);
    if (index >= 0) indices.push_back(index);
  }
  Copy(src, &indices, targetIndex);
}

void DLVarList::Display(std::ostream& os) const {
  os << "\nBegin display of DLVarList object.\n";
  os << "Total variables: " << Size() << '\n';
  os << "Num of Continuous Vars = " << mNumContVars << '\n';
  os << "Num of Categorical Vars  = " << mNumCatVars << '\n';
  os << "Target Index  = " << mTargetIndex << '\n';
  for (int i = 0; i < Size(); ++i) {
    os << "Var " << i << '\n';
    mVars[i]->Display(os);
  }
  os << "End of display for DLVarList object.\n";
}
