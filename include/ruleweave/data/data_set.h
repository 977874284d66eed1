// DLDataSet: the loaded, encoded training data - one attribute per variable of the host's
// variable list, all of the same length, the number of cases.
#ifndef RULEWEAVE_DATA_DATA_SET_H_
#define RULEWEAVE_DATA_DATA_SET_H_

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "ruleweave/data/attribute.h"
#include "ruleweave/foundation/status.h"

class DLBitSet;
class DLSettings;
class DLVarList;

namespace QXCommon {
class Record;
class RecordIterator;
}  // namespace QXCommon

// Holds a reference to the host's DLVarList (borrowed: it must outlive the data set; loading may
// turn variables to the unused role in it, and the views may add a response category to its
// target). Owns its attributes, made once at construction, one per variable: byte codes (int codes
// with large categories) for categorical variables, raw doubles for continuous ones, 32-bit
// truncated weights for the frequency weight. Views built on a data set must be destroyed before
// it; lists and models may outlive it, and then refuse to measure (see GetLifetime).
class DLDataSet {
 public:
  DLDataSet(DLVarList& vars, bool largeCategory);
  DLDataSet(const DLDataSet&) = delete;
  DLDataSet& operator=(const DLDataSet&) = delete;
  ~DLDataSet();

  // Reads every remaining record and appends the accepted ones as cases, reporting progress under
  // "cases" and polling the cancel object of `settings` after every record. Status:
  //   OK          cases were taken in;
  //   110022      warning: the last record read had a value its attribute refused (that
  //               variable's role became unused; the value is stored as the missing code);
  //   110011      nothing to read, or every record skipped;
  //   1           cancelled; the records of this call are removed again.
  // Records that are null, shorter than the list, or whose weight is missing, NaN, infinite,
  // negative or at least 2^31 are skipped. An exception from the iterator, the listener or the
  // cancel object also removes the records of this call, then propagates.
  QXDecision::QXStatus InputData(QXCommon::RecordIterator& records, const DLSettings& settings);
  // Empties every attribute; roles changed by earlier loads stay as they are.
  void ClearData();

  int GetNumOfCases() const { return mNumOfCases; }
  bool IsUsingLargeCategory() const { return mLargeCategory; }
  // 2147483647 with large categories, 255 without; both the same number.
  int GetMaxCategories() const;
  int GetMissingCategory() const;

  // A new set (owned by the caller) of the cases whose stored value of the variable equals
  // `value`; null for a bad index or an empty or unknown name. Throws
  // QXDecision::ConstructorException from DLBitSet when there are no cases.
  DLBitSet* QueryCases(int varIndex, double value) const;
  DLBitSet* QueryCases(const std::string& name, double value) const;

  // A token that expires when the data set is destroyed. Lists and models keep a weak reference
  // to it next to their data set pointer, so they can tell a data set that is gone and refuse to
  // read it; checking costs one atomic load, on the calls that start a measuring or an export.
  std::weak_ptr<const void> GetLifetime() const { return mLifetime; }

  const DLVarList& GetVarList() const { return mVars; }
  DLVarList& GetVarList() { return mVars; }

  // The variable list and every attribute, between banners.
  void Display(std::ostream& os) const;

 private:
  friend class DLDataView;
  friend class DLRawDataView;
  friend class DLEncDataView;
  friend class DLDataSetTestAccess;

  // Null for an index outside the attributes or an empty or unknown name.
  IDLAttribute* GetAttribute(int index);
  const IDLAttribute* GetAttribute(int index) const;
  IDLAttribute* GetAttribute(const std::string& name);
  const IDLAttribute* GetAttribute(const std::string& name) const;

  // Appends one record as a case (or skips it); OK, or the 110022 warning for a refused value.
  // Sets `stored` to whether the record became a case.
  QXDecision::QXStatus InputRecord(const QXCommon::Record* record, bool& stored);
  // Removes the last n values of every attribute; n <= 0 does nothing.
  void TrimData(int n);
  // Cuts every attribute back to `length` values (roll-back of an interrupted load).
  void TruncateTo(int length);

  DLVarList& mVars;
  int mNumOfCases = 0;
  bool mLargeCategory;
  std::vector<std::unique_ptr<IDLAttribute>> mAttributes;
  std::shared_ptr<const int> mLifetime = std::make_shared<const int>(0);
};

#endif  // RULEWEAVE_DATA_DATA_SET_H_
