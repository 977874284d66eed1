// A record source over a table of rows held in memory, for tests that load small data sets.
#ifndef RULEWEAVE_TESTS_TESTING_ROW_RECORDS_H_
#define RULEWEAVE_TESTS_TESTING_ROW_RECORDS_H_

#include <cstddef>
#include <utility>
#include <vector>

#include "ruleweave/foundation/record.h"

namespace testing_support {

// Hands out a copy of the given rows in order, reusing one record as a host may.
class RowRecords : public QXCommon::RecordIterator {
 public:
  explicit RowRecords(std::vector<std::vector<double>> rows) : mRows(std::move(rows)) {}
  bool HasNext() override { return mNext < mRows.size(); }
  const QXCommon::Record* Next() override {
    const std::vector<double>& row = mRows[mNext++];
    mRecord.Resize(static_cast<int>(row.size()));
    for (std::size_t i = 0; i < row.size(); ++i) mRecord[static_cast<int>(i)] = row[i];
    return &mRecord;
  }

 private:
  std::vector<std::vector<double>> mRows;
  std::size_t mNext = 0;
  QXCommon::Record mRecord{0};
};

}  // namespace testing_support

#endif  // RULEWEAVE_TESTS_TESTING_ROW_RECORDS_H_
