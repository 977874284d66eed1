// Test helpers of the search tests.
#include "search_testing.h"

#include <gtest/gtest.h>

#include <sstream>

namespace search_testing {

const QXCommon::Record* VectorRecords::Next() {
  const std::vector<double>& row = (*mRows)[mNext++];
  mRecord.Resize(static_cast<int>(row.size()));
  for (std::size_t i = 0; i < row.size(); ++i) mRecord[static_cast<int>(i)] = row[i];
  return &mRecord;
}

bool RecordingListener::OnProgress(ProgressReport* report) {
  reports.push_back({report->DiscreteMeasure("cases"), report->DiscreteMeasure("candidates"),
                     report->DiscreteMeasure("rules"), report->ScaleMeasure("elapsedTime")});
  return true;
}

std::unique_ptr<DLDataSet> Table::Load(bool largeCategory) {
  DLSettings settings;
  settings.UseLargeCategory(largeCategory);
  VectorRecords records(&rows);
  DLFactory factory;
  std::unique_ptr<DLDataSet> data(factory.CreateDataSet(settings, vars, records));
  EXPECT_TRUE(factory.GetStatus().IsOK()) << factory.GetStatus().GetErrorCode();
  return data;
}

std::string DisplayOf(const DLModel& model) {
  std::ostringstream os;
  model.Display(os);
  return os.str();
}

Models::~Models() {
  for (DLModel* m : items) delete m;
}

}  // namespace search_testing
