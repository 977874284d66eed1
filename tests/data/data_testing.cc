// Helpers of the data tests.
#include "data_testing.h"

namespace data_testing {

const QXCommon::Record* VectorRecords::Next() {
  ++mNextCalls;
  if (mThrowOnNext > 0 && mNextCalls == mThrowOnNext) throw HostFailure();
  const int position = static_cast<int>(mNext++);
  if (std::find(mNullAt.begin(), mNullAt.end(), position) != mNullAt.end()) return nullptr;
  const std::vector<double>& row = mRows[mNextRow++];
  mRecord.Resize(static_cast<int>(row.size()));
  for (std::size_t i = 0; i < row.size(); ++i) mRecord[static_cast<int>(i)] = row[i];
  return &mRecord;
}

VectorRecords Rows(const std::vector<std::vector<double>>& rows, int throwOnNext) {
  return VectorRecords(rows, {}, throwOnNext);
}

bool RecordingListener::OnProgress(ProgressReport* report) {
  if (mThrowOnCall > 0 && static_cast<int>(mCases.size()) + 1 == mThrowOnCall) {
    throw HostFailure();
  }
  mCases.push_back(report->DiscreteMeasure("cases"));
  mCandidates.push_back(report->DiscreteMeasure("candidates"));
  mElapsed.push_back(report->ScaleMeasure("elapsedTime"));
  return true;
}

bool CancelAt::IsCancelled() {
  ++mPolls;
  if (mK <= 0 || mPolls < mK) return false;
  if (mThrows) throw HostFailure();
  return true;
}

std::vector<int> ColumnLengths(const DLDataSet& data) {
  std::vector<int> lengths;
  for (int i = 0;; ++i) {
    const IDLAttribute* column = DLDataSetTestAccess::Attribute(data, i);
    if (column == nullptr) break;
    lengths.push_back(column->GetNumOfCases());
  }
  return lengths;
}

}  // namespace data_testing
