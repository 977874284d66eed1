// A small host that sees nothing but the umbrella header: records through its own iterator,
// status records, the exception family, case sets and measures.
#include <ruleweave/ruleweave.h>

#include <memory>
#include <sstream>
#include <vector>

#include <gtest/gtest.h>

namespace {

// Hands out one reused Record per row, as the library allows.
class RowSource : public QXCommon::RecordIterator {
 public:
  explicit RowSource(std::vector<std::vector<double>> rows) : mRows(std::move(rows)) {}
  bool HasNext() override { return mNext < mRows.size(); }
  const QXCommon::Record* Next() override {
    const std::vector<double>& row = mRows[mNext++];
    if (!mRecord.Resize(static_cast<int>(row.size()))) return nullptr;
    for (std::size_t i = 0; i < row.size(); ++i) mRecord[static_cast<int>(i)] = row[i];
    return &mRecord;
  }

 private:
  std::vector<std::vector<double>> mRows;
  std::size_t mNext = 0;
  QXCommon::Record mRecord;
};

}  // namespace

TEST(Host, UsesTheFoundationAndMeasureThroughTheUmbrellaHeader) {
  // Rows of (predictor code, response flag); the predictor is missing in row 2.
  std::unique_ptr<QXCommon::RecordIterator> source(
      new RowSource({{0, 1}, {1, 0}, {QXMV::Missing(), 1}, {0, 1}, {1, 1}, {0, 0}}));
  DLBitSet responders(6);
  DLBitSet codeZero(6);
  int row = 0;
  while (source->HasNext()) {
    const QXCommon::Record* record = source->Next();
    ASSERT_NE(record, nullptr);
    if (!QXMV::IsMissing((*record)[0]) && (*record)[0] == 0) codeZero.AddElement(row);
    if ((*record)[1] == 1) responders.AddElement(row);
    ++row;
  }
  std::unique_ptr<DLBitSet> hits(codeZero & responders);
  ASSERT_NE(hits, nullptr);
  const DLMeasure measure(codeZero.GetNumOfElements(), hits->GetNumOfElements());
  EXPECT_EQ(measure.GetCoverage(), 3);
  EXPECT_EQ(measure.GetResponse(), 2);
  double lower = 0.0;
  double upper = 0.0;
  GetProbabilityBoundaries(measure, 0.95, lower, upper);
  EXPECT_LT(lower, measure.GetProbability());
  EXPECT_GT(upper, measure.GetProbability());
  EXPECT_DOUBLE_EQ(lower, measure.GetLowerProbabilityBoundary());

  std::ostringstream dump;
  measure.Display(dump);
  EXPECT_EQ(dump.str().rfind("DLMeasure:", 0), 0u);

  QXDecision::QXStatus status(110011, false);
  EXPECT_TRUE(status.IsError());
  try {
    DLMeasure broken(1, 2);
    FAIL() << "no exception";
  } catch (const QXDecision::IDLException& e) {
    EXPECT_NE(e.GetMessage().find("DLMeasure"), std::string::npos);
  }
}
