// The concrete attribute columns: the class templates DLAttributePolicy<S,K> (the data) and
// DLAttribute<S,K> (IDLAttribute over that data), instantiated for the six columns below.
//
//   class              element   missing code   made by
//   DLAttribute<0,0>   double    -1             data set, continuous variable
//   DLAttribute<0,4>   int32     -1             data set, frequency weight (truncated)
//   DLAttribute<1,2>   uint8     255            data set, categorical variable
//   DLAttribute<2,2>   int32     2147483647     data set, categorical, large categories
//   DLAttribute<1,3>   uint8     255            encoded view, binned continuous predictor
//   DLAttribute<2,3>   int32     2147483647     encoded view, binned, large categories
//
// S is the storage kind and K the attribute kind (IDLAttribute::StorageKind, AttributeKind).
#ifndef RULEWEAVE_DATA_ATTRIBUTES_H_
#define RULEWEAVE_DATA_ATTRIBUTES_H_

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <vector>

#include "ruleweave/data/attribute.h"

class IDLVar;

// The fields every column holds: its variable (borrowed, or an owned clone) and one entry per
// case in input order. Entry i belongs to case i; only AddValue appends.
template <typename T>
class DLAttributeColumn {
 public:
  using Element = T;

  DLAttributeColumn(const DLAttributeColumn&) = delete;
  DLAttributeColumn& operator=(const DLAttributeColumn&) = delete;
  virtual ~DLAttributeColumn();

  // Direct read access for tight loops (measuring, splitting by code); no bounds test.
  const T* GetData() const { return mValues.data(); }
  // Makes room for `n` entries in all, so that a load of known size does not regrow.
  void Reserve(int n) {
    if (n > 0) mValues.reserve(static_cast<std::size_t>(n));
  }
  // Whether the variable is an owned clone.
  bool OwnsVar() const { return mOwnedVar != nullptr; }

 protected:
  // With `cloneVar` the column stores and owns var.Clone(); otherwise it borrows `var`, which
  // must outlive the column.
  DLAttributeColumn(IDLVar& var, bool cloneVar);

  IDLVar* mVar;
  std::unique_ptr<IDLVar> mOwnedVar;
  std::vector<T> mValues;
};

template <int S, int K>
class DLAttributePolicy;

template <>
class DLAttributePolicy<0, 0> : public DLAttributeColumn<double> {
 protected:
  using DLAttributeColumn<double>::DLAttributeColumn;
};

template <>
class DLAttributePolicy<0, 4> : public DLAttributeColumn<std::int32_t> {
 protected:
  using DLAttributeColumn<std::int32_t>::DLAttributeColumn;
};

template <>
class DLAttributePolicy<1, 1> : public DLAttributeColumn<std::uint8_t> {
 protected:
  using DLAttributeColumn<std::uint8_t>::DLAttributeColumn;
};

template <>
class DLAttributePolicy<2, 1> : public DLAttributeColumn<std::int32_t> {
 protected:
  using DLAttributeColumn<std::int32_t>::DLAttributeColumn;
};

template <>
class DLAttributePolicy<1, 2> : public DLAttributePolicy<1, 1> {
 protected:
  using DLAttributePolicy<1, 1>::DLAttributePolicy;
};

template <>
class DLAttributePolicy<1, 3> : public DLAttributePolicy<1, 1> {
 protected:
  using DLAttributePolicy<1, 1>::DLAttributePolicy;
};

template <>
class DLAttributePolicy<2, 2> : public DLAttributePolicy<2, 1> {
 protected:
  using DLAttributePolicy<2, 1>::DLAttributePolicy;
};

template <>
class DLAttributePolicy<2, 3> : public DLAttributePolicy<2, 1> {
 protected:
  using DLAttributePolicy<2, 1>::DLAttributePolicy;
};

// IDLAttribute over the policy's data. The member functions are defined in attributes.cc for the
// six instantiations only.
template <int S, int K>
class DLAttribute : public IDLAttribute, public DLAttributePolicy<S, K> {
 public:
  using Element = typename DLAttributePolicy<S, K>::Element;
  // Raw columns use -1; byte codes 255; int codes 2147483647.
  static constexpr int kMissingCode = S == 0 ? -1 : (S == 1 ? 255 : 2147483647);

  DLAttribute(IDLVar& var, bool cloneVar);
  ~DLAttribute() override;

  int GetAttributeKind() const override { return K; }
  int GetStorageKind() const override { return S; }
  IDLVar* GetVar() const override { return this->mVar; }
  int GetMissingCategory() const override { return kMissingCode; }
  int GetMaxCategories() const override { return kMissingCode; }
  int GetNumOfCategories() const override;

  bool AddValue(double value) override;
  int GetNumOfCases() const override { return static_cast<int>(this->mValues.size()); }
  void ClearValues() override;
  void RemoveLastValues(int n) override;

  double GetValue(int caseId) const override {
    if (caseId < 0 || caseId >= GetNumOfCases()) return kSystemMissing;
    return static_cast<double>(this->mValues[static_cast<std::size_t>(caseId)]);
  }
  bool IsMissing(int caseId) const override { return IsMissingValue(GetValue(caseId)); }
  bool IsMissingValue(double value) const override;

  void FilterByValues(DLBitSet& cases, const std::vector<double>& values,
                      bool keepListed) const override;
  void FilterByRange(DLBitSet& cases, double left, double right, bool leftOpen,
                     bool rightOpen) const override;
  void FilterByMissing(DLBitSet& cases, bool keepMissing) const override;
  void KeepMissing(DLBitSet& cases) const override { FilterByMissing(cases, true); }
  void FilterByValue(DLBitSet& cases, double value) const override;
  DLBitSet* QueryCases(double value) const override;

  bool operator==(const IDLAttribute& other) const override;
  bool operator!=(const IDLAttribute& other) const override { return !(*this == other); }
  void Display(std::ostream& os) const override;

 private:
  // -1.7976931348623157e+308 (QXMV::gMissingValue), spelled here to keep GetValue inline.
  static constexpr double kSystemMissing = -1.7976931348623157e+308;

  // Removes from `cases` every case for which keep(entry) is false (see attributes.cc).
  template <typename Keep>
  void Filter(DLBitSet& cases, Keep keep) const;
};

extern template class DLAttribute<0, 0>;
extern template class DLAttribute<0, 4>;
extern template class DLAttribute<1, 2>;
extern template class DLAttribute<1, 3>;
extern template class DLAttribute<2, 2>;
extern template class DLAttribute<2, 3>;

using DLContinuousAttribute = DLAttribute<0, 0>;
using DLWeightAttribute = DLAttribute<0, 4>;
using DLByteCategoricalAttribute = DLAttribute<1, 2>;
using DLByteBinnedAttribute = DLAttribute<1, 3>;
using DLIntCategoricalAttribute = DLAttribute<2, 2>;
using DLIntBinnedAttribute = DLAttribute<2, 3>;

#endif  // RULEWEAVE_DATA_ATTRIBUTES_H_
