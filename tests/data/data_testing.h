// Helpers of the data tests: a vector-backed record source that can hand out null records and
// throw, a listener that records every report, a cancel object that says yes (or throws) on its
// k-th poll, and access to a data set's private columns.
#ifndef RULEWEAVE_TESTS_DATA_DATA_TESTING_H_
#define RULEWEAVE_TESTS_DATA_DATA_TESTING_H_

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "ruleweave/ruleweave.h"

// Reaches the private columns of a data set (the data set names this class a friend).
class DLDataSetTestAccess {
 public:
  static const IDLAttribute* Attribute(const DLDataSet& data, int index) {
    return data.GetAttribute(index);
  }
  static const IDLAttribute* Attribute(const DLDataSet& data, const std::string& name) {
    return data.GetAttribute(name);
  }
};

namespace data_testing {

// The exception the fakes below throw.
struct HostFailure : std::runtime_error {
  HostFailure() : std::runtime_error("host failure") {}
};

// One record per row, in order, with null records handed out at the positions (0-based, among
// all records) listed in `nullAt`. The record object is reused, as hosts may do. With
// throwOnNext = k > 0 the k-th Next() throws HostFailure.
class VectorRecords : public QXCommon::RecordIterator {
 public:
  explicit VectorRecords(std::vector<std::vector<double>> rows, std::vector<int> nullAt = {},
                         int throwOnNext = 0)
      : mRows(std::move(rows)), mNullAt(std::move(nullAt)), mThrowOnNext(throwOnNext) {}
  bool HasNext() override { return mNext < mRows.size() + mNullAt.size(); }
  const QXCommon::Record* Next() override;
  int GetNextCalls() const { return mNextCalls; }

 private:
  std::vector<std::vector<double>> mRows;
  std::vector<int> mNullAt;
  int mThrowOnNext;
  std::size_t mNext = 0;  // position among all records
  std::size_t mNextRow = 0;
  int mNextCalls = 0;
  QXCommon::Record mRecord{0};
};

// Rows without null records.
VectorRecords Rows(const std::vector<std::vector<double>>& rows, int throwOnNext = 0);

// Records the "cases" count and the elapsed time of every report; throws HostFailure on its
// k-th call when throwOnCall = k > 0.
class RecordingListener : public ProgressListener {
 public:
  explicit RecordingListener(int throwOnCall = 0) : mThrowOnCall(throwOnCall) {}
  bool OnProgress(ProgressReport* report) override;
  const std::vector<int>& GetCases() const { return mCases; }
  const std::vector<int>& GetCandidates() const { return mCandidates; }
  const std::vector<double>& GetElapsed() const { return mElapsed; }

 private:
  int mThrowOnCall;
  std::vector<int> mCases;
  std::vector<int> mCandidates;
  std::vector<double> mElapsed;
};

// Says yes on its k-th poll and after (never when k is 0); with `throws` it throws HostFailure
// there instead.
class CancelAt : public QXQueryCancel {
 public:
  explicit CancelAt(int k, bool throws = false) : mK(k), mThrows(throws) {}
  bool IsCancelled() override;
  int GetPolls() const { return mPolls; }

 private:
  int mK;
  bool mThrows;
  int mPolls = 0;
};

// Every column's number of values.
std::vector<int> ColumnLengths(const DLDataSet& data);

}  // namespace data_testing

#endif  // RULEWEAVE_TESTS_DATA_DATA_TESTING_H_
