// The six attribute columns: value intake, missing tests, the filters that narrow case sets,
// equality and the dump.
//
// Filters clear the failing cases of the case set a word at a time
// (ruleweave::detail::KeepElements); byte-coded columns first answer the test for each of the
// 256 codes and then look the answer up per case, or, when the codes kept form one run, test a
// word's 32 codes against the run at once.
#include "data/attributes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>

#include "foundation/bit_walk.h"
#include "ruleweave/foundation/bit_set.h"
#include "ruleweave/foundation/missing_value.h"
#include "ruleweave/variables/encoder.h"
#include "ruleweave/variables/user_missing.h"
#include "ruleweave/variables/var.h"

namespace {

// The numeric user-missing set of the variable's encoder, if any.
const DLNumericUserMissing* NumericUserMissingOf(const IDLVar* var) {
  if (var == nullptr) return nullptr;
  const IDLEncoder* encoder = var->GetEncoder();
  if (encoder == nullptr) return nullptr;
  return dynamic_cast<const DLNumericUserMissing*>(encoder->GetUserMissingInfo());
}

// Weights are truncated toward zero. Values outside the 32-bit range would make the conversion
// undefined: NaN becomes the missing weight -1 and the rest saturate. (The data set skips records
// with such weights before they get here.)
std::int32_t TruncateWeight(double value) {
  if (std::isnan(value)) return -1;
  if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

// Whether the range admits anything: left < right, or a single point with both ends closed.
bool IsValidRange(double left, double right, bool leftOpen, bool rightOpen) {
  return left < right || (left == right && !leftOpen && !rightOpen);
}

}  // namespace

template <typename T>
DLAttributeColumn<T>::DLAttributeColumn(IDLVar& var, bool cloneVar) : mVar(&var) {
  if (cloneVar) {
    mOwnedVar.reset(var.Clone());
    mVar = mOwnedVar.get();
  }
}

template <typename T>
DLAttributeColumn<T>::~DLAttributeColumn() = default;

template class DLAttributeColumn<double>;
template class DLAttributeColumn<std::int32_t>;
template class DLAttributeColumn<std::uint8_t>;

template <int S, int K>
DLAttribute<S, K>::DLAttribute(IDLVar& var, bool cloneVar)
    : DLAttributePolicy<S, K>(var, cloneVar) {}

template <int S, int K>
DLAttribute<S, K>::~DLAttribute() = default;

template <int S, int K>
int DLAttribute<S, K>::GetNumOfCategories() const {
  return this->mVar->GetNumOfCategories();
}

template <int S, int K>
bool DLAttribute<S, K>::AddValue(double value) {
  auto& values = this->mValues;
  if constexpr (S == 0 && K == 0) {
    values.push_back(value);
    return true;
  } else if constexpr (S == 0) {
    values.push_back(TruncateWeight(value));
    return true;
  } else {
    // Range-check before converting: NaN fails both comparisons and is refused.
    if (value >= 0.0 && value < static_cast<double>(kMissingCode)) {
      values.push_back(static_cast<Element>(value));
      return true;
    }
    values.push_back(static_cast<Element>(kMissingCode));
    return value == -1.0 || QXMV::IsMissing(value);
  }
}

template <int S, int K>
void DLAttribute<S, K>::ClearValues() {
  this->mValues.clear();
}

template <int S, int K>
void DLAttribute<S, K>::RemoveLastValues(int n) {
  if (n <= 0) return;
  if (n >= GetNumOfCases()) {
    this->mValues.clear();
    return;
  }
  this->mValues.resize(this->mValues.size() - static_cast<std::size_t>(n));
}

template <int S, int K>
bool DLAttribute<S, K>::IsMissingValue(double value) const {
  if constexpr (S == 0 && K == 0) {
    if (QXMV::IsMissing(value)) return true;
    const DLNumericUserMissing* userMissing = NumericUserMissingOf(this->mVar);
    return userMissing != nullptr && userMissing->Contains(value);
  } else {
    return value == static_cast<double>(kMissingCode);
  }
}

template <int S, int K>
template <typename Keep>
void DLAttribute<S, K>::Filter(DLBitSet& cases, Keep keep) const {
  const Element* data = this->mValues.data();
  const int n = std::min(GetNumOfCases(), cases.GetCapacity());
  // Ids beyond the column read as the system-missing value, as GetValue answers them.
  const bool keepBeyond = keep(kSystemMissing);
  if constexpr (S == 1) {
    // Byte codes: the answer for each of the 256 codes once, then one lookup per case. When the
    // codes kept form one run (a range, a single value), a word's 32 codes are tested at once.
    std::uint8_t kept[256];
    for (int c = 0; c < 256; ++c) kept[c] = keep(static_cast<double>(c)) ? 1 : 0;
    int first = 0;
    while (first < 256 && kept[first] == 0) ++first;
    int end = first;
    while (end < 256 && kept[end] != 0) ++end;
    int after = end;
    while (after < 256 && kept[after] == 0) ++after;
    auto lookUp = [data, &kept](int id) { return kept[data[id]]; };
    if (first < 256 && after == 256) {
      const auto lo = static_cast<std::uint8_t>(first);
      const auto span = static_cast<std::uint8_t>(end - 1 - first);
      ruleweave::detail::KeepElementsByWord(
          cases, n, keepBeyond, /*minDense=*/2, lookUp, [data, lo, span](int base) {
            return ruleweave::detail::BytesInRangeMask(data + base, lo, span);
          });
    } else {
      ruleweave::detail::KeepElements(cases, n, keepBeyond, lookUp);
    }
  } else {
    ruleweave::detail::KeepElements(cases, n, keepBeyond, [data, &keep](int id) {
      return keep(static_cast<double>(data[id]));
    });
  }
}

template <int S, int K>
void DLAttribute<S, K>::FilterByValues(DLBitSet& cases, const std::vector<double>& values,
                                       bool keepListed) const {
  if constexpr (S == 1) {
    // Byte codes: one table lookup per case instead of a scan of the list.
    bool listed[256] = {};
    for (double v : values) {
      if (v >= 0.0 && v <= 255.0 && v == std::floor(v)) listed[static_cast<int>(v)] = true;
    }
    Filter(cases, [&listed, keepListed](double v) {
      // The system-missing value of ids beyond the column is no code.
      const bool found = v >= 0.0 && listed[static_cast<int>(v)];
      return found == keepListed;
    });
  } else {
    Filter(cases, [&values, keepListed](double v) {
      bool found = false;
      for (double listedValue : values) {
        if (listedValue == v) {
          found = true;
          break;
        }
      }
      return found == keepListed;
    });
  }
}

template <int S, int K>
void DLAttribute<S, K>::FilterByRange(DLBitSet& cases, double left, double right, bool leftOpen,
                                      bool rightOpen) const {
  if (!IsValidRange(left, right, leftOpen, rightOpen)) {
    cases.Clear();
    return;
  }
  Filter(cases, [=](double v) {
    return (left < v && v < right) || (v == left && !leftOpen) || (v == right && !rightOpen);
  });
}

template <int S, int K>
void DLAttribute<S, K>::FilterByMissing(DLBitSet& cases, bool keepMissing) const {
  if constexpr (S == 0 && K == 0) {
    const DLNumericUserMissing* userMissing = NumericUserMissingOf(this->mVar);
    Filter(cases, [userMissing, keepMissing](double v) {
      const bool missing =
          QXMV::IsMissing(v) || (userMissing != nullptr && userMissing->Contains(v));
      return missing == keepMissing;
    });
  } else {
    Filter(cases, [keepMissing](double v) {
      return (v == static_cast<double>(kMissingCode)) == keepMissing;
    });
  }
}

template <int S, int K>
void DLAttribute<S, K>::FilterByValue(DLBitSet& cases, double value) const {
  Filter(cases, [value](double v) { return v == value; });
}

template <int S, int K>
DLBitSet* DLAttribute<S, K>::QueryCases(double value) const {
  const int n = GetNumOfCases();
  auto cases = std::make_unique<DLBitSet>(n);  // throws for n < 1
  const Element* data = this->mValues.data();
  for (int i = 0; i < n; ++i) {
    if (static_cast<double>(data[i]) == value) cases->AddElement(i);
  }
  return cases.release();
}

template <int S, int K>
bool DLAttribute<S, K>::operator==(const IDLAttribute& other) const {
  if (this == &other) return true;
  if (other.GetAttributeKind() != K) return false;
  const auto* same = dynamic_cast<const DLAttribute<S, K>*>(&other);
  return same != nullptr && same->mValues == this->mValues;
}

template <int S, int K>
void DLAttribute<S, K>::Display(std::ostream& os) const {
  const std::streamsize oldPrecision = os.precision(16);
  os << "\tDLAttribute: name = " << this->mVar->GetVarName() << '\n';
  os << "\t\tNum of cases: " << GetNumOfCases() << '\n';
  os << "\t\tCase values\n";
  const int n = GetNumOfCases();
  for (int i = 0; i < n; ++i) {
    os << i << ". ";
    if constexpr (S == 0 && K == 0) {
      os << this->mValues[i];
    } else {
      os << static_cast<long long>(this->mValues[i]);  // bytes print as numbers, not characters
    }
    os << '\n';
  }
  os << '\n';
  os.precision(oldPrecision);
}

template class DLAttribute<0, 0>;
template class DLAttribute<0, 4>;
template class DLAttribute<1, 2>;
template class DLAttribute<1, 3>;
template class DLAttribute<2, 2>;
template class DLAttribute<2, 3>;
