// IDLAttribute: one encoded column of loaded data (one variable's value for every case, in case
// order), read by the search and the model only through this interface.
#ifndef RULEWEAVE_DATA_ATTRIBUTE_H_
#define RULEWEAVE_DATA_ATTRIBUTE_H_

#include <iosfwd>
#include <vector>

class DLBitSet;
class IDLVar;

// Words used below:
//   code          a category code: 0 .. missing code - 1, or the missing code itself;
//   missing code  255 for byte storage, 2147483647 for 32-bit storage, -1 for raw columns;
//   filter        narrows a case set to the cases whose value passes a test; it never adds
//                 cases, and every case id in the set must be below GetNumOfCases().
//
// Concrete columns are internal. The data set and the encoded view own the columns they make; a
// column borrows its variable, or owns a clone of it (binned columns of the encoded view).
class IDLAttribute {
 public:
  // How values are stored (the first template argument of the concrete columns).
  enum StorageKind { kRawValues = 0, kByteCodes = 1, kIntCodes = 2 };
  // What the column holds (the second template argument). kCodedAttribute is only the common
  // base of categorical and binned columns; GetAttributeKind never returns it.
  enum AttributeKind {
    kContinuousAttribute = 0,
    kCodedAttribute = 1,
    kCategoricalAttribute = 2,
    kBinnedAttribute = 3,
    kWeightAttribute = 4
  };

  IDLAttribute() = default;
  IDLAttribute(const IDLAttribute&) = delete;
  IDLAttribute& operator=(const IDLAttribute&) = delete;
  virtual ~IDLAttribute() = default;

  // 0, 2, 3 or 4 (AttributeKind).
  virtual int GetAttributeKind() const = 0;
  // 0, 1 or 2 (StorageKind).
  virtual int GetStorageKind() const = 0;
  virtual IDLVar* GetVar() const = 0;
  // The missing code of the column's class; GetMaxCategories gives the same number.
  virtual int GetMissingCategory() const = 0;
  virtual int GetMaxCategories() const = 0;
  // The variable's number of categories.
  virtual int GetNumOfCategories() const = 0;

  // Appends exactly one entry and returns whether the value was acceptable. Raw columns accept
  // everything (weights are truncated toward zero). Coded columns store a code for
  // 0 <= value < missing code (truncated) and the missing code otherwise, returning true only
  // for -1 and the system-missing value: false tells the data set that the variable has more
  // categories than the storage holds (or that the value is no code at all, e.g. NaN).
  virtual bool AddValue(double value) = 0;
  virtual int GetNumOfCases() const = 0;
  virtual void ClearValues() = 0;
  // n <= 0 removes nothing; n >= GetNumOfCases() removes everything.
  virtual void RemoveLastValues(int n) = 0;

  // Entry `caseId` as a double; the system-missing value for ids outside 0 .. cases - 1.
  virtual double GetValue(int caseId) const = 0;
  // IsMissingValue(GetValue(caseId)); `caseId` must be valid.
  virtual bool IsMissing(int caseId) const = 0;
  // Continuous: the system-missing value or a numeric user-missing value of the variable's
  // encoder. Weight: -1. Coded: the missing code only (user-missing categories are already coded
  // as missing by the encoders).
  virtual bool IsMissingValue(double value) const = 0;

  // Keeps the cases whose value equals one of `values` (keepListed true), or equals none of them
  // (false). Exact double comparison.
  virtual void FilterByValues(DLBitSet& cases, const std::vector<double>& values,
                              bool keepListed) const = 0;
  // Keeps the cases whose value lies in the range. The range is valid when left < right, or when
  // left == right and neither end is open; an invalid range removes every case. Plain double
  // comparisons: the missing code of a coded column takes part like any other number.
  virtual void FilterByRange(DLBitSet& cases, double left, double right, bool leftOpen,
                             bool rightOpen) const = 0;
  // Keeps the missing cases (keepMissing true) or the non-missing ones (false).
  virtual void FilterByMissing(DLBitSet& cases, bool keepMissing) const = 0;
  // FilterByMissing(cases, true).
  virtual void KeepMissing(DLBitSet& cases) const = 0;
  // Keeps the cases whose value equals `value`.
  virtual void FilterByValue(DLBitSet& cases, double value) const = 0;
  // A new set (owned by the caller) of capacity GetNumOfCases() holding the cases whose entry
  // equals `value`. Throws QXDecision::ConstructorException from DLBitSet when there are no
  // cases.
  virtual DLBitSet* QueryCases(double value) const = 0;

  // The same object, or the same attribute kind and equal entries in order. Variables are not
  // compared; columns of different storage kinds are unequal.
  virtual bool operator==(const IDLAttribute& other) const = 0;
  virtual bool operator!=(const IDLAttribute& other) const = 0;

  // Variable name, number of cases and one line per case, at precision 16.
  virtual void Display(std::ostream& os) const = 0;
};

#endif  // RULEWEAVE_DATA_ATTRIBUTE_H_
