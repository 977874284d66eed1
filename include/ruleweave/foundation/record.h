// QXCommon::Record, one case as a row of doubles, and QXCommon::RecordIterator, the host's
// source of records.
#ifndef RULEWEAVE_FOUNDATION_RECORD_H_
#define RULEWEAVE_FOUNDATION_RECORD_H_

#include <memory>

namespace QXCommon {

// A resizable row of doubles that owns its values. Value i belongs to the variable at position i
// of the variable list. Indexing is not range-checked: 0 <= index < Size() is the caller's duty.
class Record {
 public:
  // Size `size` (1 if negative), every value 0.0. An allocation failure is absorbed: the record
  // then has size 0 and no values.
  Record(int size = 2);  // NOLINT(google-explicit-constructor): hosts may write `Record r = 3;`
  // Allocation failures of copying propagate (std::bad_alloc).
  Record(const Record& other);
  Record& operator=(const Record& other);
  ~Record();

  int Size() const { return mSize; }
  // Null when the record has no values.
  const double* GetAll() const { return mValues.get(); }
  double* GetAll() { return mValues.get(); }
  double operator[](int index) const { return mValues[index]; }
  double& operator[](int index) { return mValues[index]; }

  // True when `size` equals the current size (nothing changes). Otherwise replaces the values by
  // a fresh, uninitialised array of max(size, 0) values and returns true; the caller must write
  // every value before reading it. On allocation failure returns false and keeps the old values.
  bool Resize(int size);

 private:
  std::unique_ptr<double[]> mValues;
  int mSize;
};

// Implemented by the host; the library only calls HasNext and Next, never deletes or resets the
// iterator, and keeps no record pointer beyond the processing of that one record (so the host
// may hand out the same Record object every time).
class RecordIterator {
 public:
  virtual ~RecordIterator() {}
  // True while another record can be fetched.
  virtual bool HasNext() = 0;
  // The next record; may be null (the library skips it).
  virtual const Record* Next() = 0;
  // How many records are still to come, or -1 (the default) when the host cannot tell. Only a
  // hint: a data set reserves room for that many cases so that a large load does not regrow its
  // columns; any other number of records loads as usual.
  virtual long long ExpectedRecords() { return -1; }
};

}  // namespace QXCommon

#endif  // RULEWEAVE_FOUNDATION_RECORD_H_
