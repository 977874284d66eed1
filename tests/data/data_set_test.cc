// Tests of DLDataSet: columns per variable, loading statuses, skipping, refused values, progress,
// cancellation and exceptions with roll-back, case queries, clearing and the dump.
#include "ruleweave/data/data_set.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>
#include <vector>

#include "data_testing.h"
#include "ruleweave/ruleweave.h"

namespace {

using data_testing::CancelAt;
using data_testing::ColumnLengths;
using data_testing::HostFailure;
using data_testing::RecordingListener;
using data_testing::Rows;
using data_testing::VectorRecords;

const double kMissing = QXMV::Missing();

// c: categorical predictor, x: continuous predictor, w: frequency weight, t: categorical target.
class DataSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(
        vars.AddCatVar("c", "", IDLVar::kNominalNumeric, IDLVar::kPredictor, IDLVar::kInteger), 0);
    ASSERT_EQ(vars.AddContVar("x", "", 0.0, 10.0, IDLVar::kPredictor), 1);
    ASSERT_EQ(vars.AddFreqWeightVar("w", "", IDLVar::kTruncate), 2);
    ASSERT_EQ(vars.AddCatVar("t", "", IDLVar::kNominalNumeric, IDLVar::kTarget, IDLVar::kInteger),
              3);
  }

  // n rows: c = i % 3, x = i / 2, w = 1, t = i % 2.
  static std::vector<std::vector<double>> MakeRows(int n) {
    std::vector<std::vector<double>> rows;
    for (int i = 0; i < n; ++i) rows.push_back({double(i % 3), i / 2.0, 1.0, double(i % 2)});
    return rows;
  }

  DLVarList vars;
  DLSettings settings;
};

TEST_F(DataSetTest, MakesOneColumnPerVariableByMeasureLevel) {
  DLDataSet small(vars, false);
  const int expected[4][2] = {{1, 2}, {0, 0}, {0, 4}, {1, 2}};  // storage, kind
  for (int i = 0; i < 4; ++i) {
    const IDLAttribute* a = DLDataSetTestAccess::Attribute(small, i);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->GetStorageKind(), expected[i][0]) << i;
    EXPECT_EQ(a->GetAttributeKind(), expected[i][1]) << i;
    EXPECT_EQ(a->GetVar(), vars.GetVarAt(i)) << "borrowed, not cloned";
  }
  EXPECT_EQ(DLDataSetTestAccess::Attribute(small, 4), nullptr);
  EXPECT_EQ(DLDataSetTestAccess::Attribute(small, -1), nullptr);
  EXPECT_EQ(DLDataSetTestAccess::Attribute(small, "x"), DLDataSetTestAccess::Attribute(small, 1));
  EXPECT_EQ(DLDataSetTestAccess::Attribute(small, ""), nullptr);
  EXPECT_EQ(small.GetMaxCategories(), 255);
  EXPECT_EQ(small.GetMissingCategory(), 255);
  EXPECT_FALSE(small.IsUsingLargeCategory());
  EXPECT_EQ(small.GetNumOfCases(), 0);
  EXPECT_EQ(&small.GetVarList(), &vars);

  DLDataSet large(vars, true);
  EXPECT_EQ(DLDataSetTestAccess::Attribute(large, 0)->GetStorageKind(), 2);
  EXPECT_EQ(DLDataSetTestAccess::Attribute(large, 1)->GetStorageKind(), 0);
  EXPECT_EQ(DLDataSetTestAccess::Attribute(large, 2)->GetAttributeKind(), 4);
  EXPECT_EQ(large.GetMaxCategories(), 2147483647);
  EXPECT_TRUE(large.IsUsingLargeCategory());
}

// A size hint is only a hint: too small or too large, every record still loads.
TEST_F(DataSetTest, ExpectedRecordsIsOnlyAHint) {
  struct Hinted : VectorRecords {
    Hinted(std::vector<std::vector<double>> rows, long long hint)
        : VectorRecords(std::move(rows)), mHint(hint) {}
    long long ExpectedRecords() override { return mHint; }
    long long mHint;
  };
  for (const long long hint : {1LL, 7LL, 1000LL}) {
    DLDataSet data(vars, false);
    Hinted first(MakeRows(7), hint);
    Hinted second(MakeRows(3), hint);
    ASSERT_TRUE(data.InputData(first, settings).IsOK()) << hint;
    ASSERT_TRUE(data.InputData(second, settings).IsOK()) << hint;
    EXPECT_EQ(ColumnLengths(data), (std::vector<int>{10, 10, 10, 10})) << hint;
    EXPECT_EQ(DLDataSetTestAccess::Attribute(data, 1)->GetValue(8), 0.5) << hint;
  }
}

TEST_F(DataSetTest, EmptySourceGives110011WithoutFetching) {
  DLDataSet data(vars, false);
  VectorRecords none = Rows({});
  QXDecision::QXStatus status = data.InputData(none, settings);
  EXPECT_EQ(status.GetErrorCode(), 110011);
  EXPECT_TRUE(status.IsError());
  EXPECT_EQ(none.GetNextCalls(), 0);
  EXPECT_EQ(data.GetNumOfCases(), 0);
}

TEST_F(DataSetTest, LoadsAppendAndEveryColumnHoldsTheCases) {
  DLDataSet data(vars, false);
  VectorRecords first = Rows(MakeRows(10));
  EXPECT_TRUE(data.InputData(first, settings).IsOK());
  VectorRecords second = Rows(MakeRows(5));
  EXPECT_TRUE(data.InputData(second, settings).IsOK());
  EXPECT_EQ(data.GetNumOfCases(), 15);
  EXPECT_EQ(ColumnLengths(data), (std::vector<int>{15, 15, 15, 15}));
  const IDLAttribute* x = DLDataSetTestAccess::Attribute(data, 1);
  EXPECT_EQ(x->GetValue(9), 4.5);
  EXPECT_EQ(x->GetValue(10), 0.0);
}

TEST_F(DataSetTest, NullShortAndUnusableWeightRecordsAreSkipped) {
  DLDataSet data(vars, false);
  const double inf = std::numeric_limits<double>::infinity();
  VectorRecords rows(
      {
          {0, 1.5, 1, 0},
          {0, 1.5, 1},  // one value short
          {1, 2.5, kMissing, 1},
          {1, 2.5, std::nan(""), 1},
          {1, 2.5, inf, 1},
          {1, 2.5, -1.0, 1},
          {1, 2.5, 2147483648.0, 1},
          {1, 2.5, 2147483647.0, 1},
          {2, 3.5, 2.7, 1, 99},  // longer records are fine
      },
      /*nullAt=*/{1});
  EXPECT_TRUE(data.InputData(rows, settings).IsOK());
  EXPECT_EQ(data.GetNumOfCases(), 3);
  const IDLAttribute* w = DLDataSetTestAccess::Attribute(data, 2);
  EXPECT_EQ(w->GetValue(0), 1.0);
  EXPECT_EQ(w->GetValue(1), 2147483647.0);
  EXPECT_EQ(w->GetValue(2), 2.0);
}

TEST_F(DataSetTest, MissingWeightInTwoOfTenRecordsLeavesEight) {
  DLDataSet data(vars, false);
  std::vector<std::vector<double>> rows = MakeRows(10);
  rows[3][2] = kMissing;
  rows[7][2] = kMissing;
  VectorRecords source = Rows(rows);
  EXPECT_TRUE(data.InputData(source, settings).IsOK());
  EXPECT_EQ(data.GetNumOfCases(), 8);
}

TEST_F(DataSetTest, EveryRecordSkippedGives110011AndChangesNothing) {
  DLDataSet data(vars, false);
  VectorRecords some = Rows(MakeRows(2));
  ASSERT_TRUE(data.InputData(some, settings).IsOK());
  VectorRecords skipped({std::vector<double>{1, 2}}, /*nullAt=*/{0});
  EXPECT_EQ(data.InputData(skipped, settings).GetErrorCode(), 110011);
  EXPECT_EQ(data.GetNumOfCases(), 2);
  EXPECT_EQ(ColumnLengths(data), (std::vector<int>{2, 2, 2, 2}));
}

TEST_F(DataSetTest, RefusedCodeTurnsTheVariableUnusedAndWarnsOnlyForTheLastRecord) {
  {
    DLDataSet data(vars, false);
    std::vector<std::vector<double>> rows = MakeRows(4);
    rows[3][0] = 300;
    VectorRecords source = Rows(rows);
    QXDecision::QXStatus status = data.InputData(source, settings);
    EXPECT_EQ(status.GetErrorCode(), 110022);
    EXPECT_TRUE(status.IsWarning());
    EXPECT_EQ(data.GetNumOfCases(), 4);
    EXPECT_EQ(DLDataSetTestAccess::Attribute(data, 0)->GetValue(3), 255.0);
    EXPECT_EQ(vars.GetVarAt(0)->GetVarRole(), IDLVar::kUnused);
  }
  vars.SetVarRole(0, IDLVar::kPredictor);
  {
    DLDataSet data(vars, false);
    std::vector<std::vector<double>> rows = MakeRows(4);
    rows[1][0] = 300;
    VectorRecords source = Rows(rows);
    QXDecision::QXStatus status = data.InputData(source, settings);
    EXPECT_TRUE(status.IsOK()) << "a warning of an earlier record is not carried forward";
    EXPECT_EQ(data.GetNumOfCases(), 4);
    EXPECT_EQ(vars.GetVarAt(0)->GetVarRole(), IDLVar::kUnused);
  }
  vars.SetVarRole(0, IDLVar::kPredictor);
  {
    DLDataSet data(vars, true);  // large categories hold code 300
    std::vector<std::vector<double>> rows = MakeRows(4);
    rows[3][0] = 300;
    VectorRecords source = Rows(rows);
    EXPECT_TRUE(data.InputData(source, settings).IsOK());
    EXPECT_EQ(DLDataSetTestAccess::Attribute(data, 0)->GetValue(3), 300.0);
    EXPECT_EQ(vars.GetVarAt(0)->GetVarRole(), IDLVar::kPredictor);
  }
}

TEST_F(DataSetTest, CancelOnAnyPollRollsBackTheRecordsOfThatCall) {
  // 10 records: the cancel object is polled once before the first and once after each.
  for (int k = 1; k <= 12; ++k) {
    DLDataSet data(vars, false);
    VectorRecords before = Rows(MakeRows(4));
    ASSERT_TRUE(data.InputData(before, settings).IsOK());
    CancelAt cancel(k);
    DLSettings cancelling;
    cancelling.SetCancelPointer(&cancel);
    VectorRecords source = Rows(MakeRows(10));
    QXDecision::QXStatus status = data.InputData(source, cancelling);
    if (k <= 11) {
      EXPECT_EQ(status.GetErrorCode(), 1) << k;
      EXPECT_TRUE(status.IsError());
      EXPECT_EQ(data.GetNumOfCases(), 4) << k;
      EXPECT_EQ(ColumnLengths(data), (std::vector<int>{4, 4, 4, 4})) << k;
      EXPECT_EQ(source.GetNextCalls(), k - 1) << k;
      EXPECT_EQ(cancel.GetPolls(), k);
    } else {
      EXPECT_TRUE(status.IsOK());
      EXPECT_EQ(data.GetNumOfCases(), 14);
      EXPECT_EQ(ColumnLengths(data), (std::vector<int>{14, 14, 14, 14}));
    }
  }
}

TEST_F(DataSetTest, ProgressIsThrottledBySkipCount) {
  const std::vector<std::vector<int>> expected = {
      {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},  // skip 0: after every record
      {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},  // skip 1: the same
      {3, 6, 9},                        // skip 3: after the 3rd, 6th and 9th
  };
  const int skips[] = {0, 1, 3};
  for (int j = 0; j < 3; ++j) {
    DLDataSet data(vars, false);
    RecordingListener listener;
    DLSettings reporting;
    reporting.SetProgressListener(&listener);
    ASSERT_TRUE(reporting.SetNumOfSkippedReports(skips[j]));
    VectorRecords source = Rows(MakeRows(10));
    ASSERT_TRUE(data.InputData(source, reporting).IsOK());
    EXPECT_EQ(listener.GetCases(), expected[static_cast<std::size_t>(j)]) << skips[j];
    for (int candidates : listener.GetCandidates()) EXPECT_EQ(candidates, -1);
    for (double elapsed : listener.GetElapsed()) EXPECT_GE(elapsed, 0.0);
  }
}

TEST_F(DataSetTest, ProgressCountsAcceptedRecordsNotRecordsRead) {
  DLDataSet data(vars, false);
  RecordingListener listener;
  DLSettings reporting;
  reporting.SetProgressListener(&listener);
  const std::vector<std::vector<double>> plain = MakeRows(4);
  VectorRecords source(plain, /*nullAt=*/{1});
  ASSERT_TRUE(data.InputData(source, reporting).IsOK());
  EXPECT_EQ(listener.GetCases(), (std::vector<int>{1, 1, 2, 3, 4}));
}

TEST_F(DataSetTest, HostExceptionsRollBackAndPropagate) {
  for (int k = 1; k <= 5; ++k) {
    DLDataSet data(vars, false);
    VectorRecords before = Rows(MakeRows(3));
    ASSERT_TRUE(data.InputData(before, settings).IsOK());

    VectorRecords throwingSource = Rows(MakeRows(5), /*throwOnNext=*/k);
    EXPECT_THROW(data.InputData(throwingSource, settings), HostFailure) << k;
    EXPECT_EQ(data.GetNumOfCases(), 3);
    EXPECT_EQ(ColumnLengths(data), (std::vector<int>{3, 3, 3, 3}));

    RecordingListener listener(/*throwOnCall=*/k);
    DLSettings reporting;
    reporting.SetProgressListener(&listener);
    VectorRecords source = Rows(MakeRows(5));
    EXPECT_THROW(data.InputData(source, reporting), HostFailure) << k;
    EXPECT_EQ(data.GetNumOfCases(), 3);
    EXPECT_EQ(ColumnLengths(data), (std::vector<int>{3, 3, 3, 3}));

    CancelAt cancel(k, /*throws=*/true);
    DLSettings cancelling;
    cancelling.SetCancelPointer(&cancel);
    VectorRecords source2 = Rows(MakeRows(5));
    EXPECT_THROW(data.InputData(source2, cancelling), HostFailure) << k;
    EXPECT_EQ(data.GetNumOfCases(), 3);
    EXPECT_EQ(ColumnLengths(data), (std::vector<int>{3, 3, 3, 3}));

    // Still usable afterwards.
    VectorRecords after = Rows(MakeRows(2));
    EXPECT_TRUE(data.InputData(after, settings).IsOK());
    EXPECT_EQ(ColumnLengths(data), (std::vector<int>{5, 5, 5, 5}));
  }
}

TEST_F(DataSetTest, QueryCasesByIndexAndName) {
  DLDataSet data(vars, false);
  EXPECT_THROW(delete data.QueryCases("c", 1.0), QXDecision::ConstructorException);
  VectorRecords source = Rows(MakeRows(7));
  ASSERT_TRUE(data.InputData(source, settings).IsOK());
  EXPECT_EQ(data.QueryCases("", 1.0), nullptr);
  EXPECT_EQ(data.QueryCases(-1, 1.0), nullptr);
  EXPECT_EQ(data.QueryCases(4, 1.0), nullptr);
  EXPECT_EQ(data.QueryCases("nope", 1.0), nullptr);
  std::unique_ptr<DLBitSet> ones(data.QueryCases("c", 1.0));
  ASSERT_NE(ones, nullptr);
  std::vector<int> ids;
  ones->GetElementIDs(ids);
  EXPECT_EQ(ids, (std::vector<int>{1, 4}));
  std::unique_ptr<DLBitSet> odd(data.QueryCases(3, 1.0));
  odd->GetElementIDs(ids);
  EXPECT_EQ(ids, (std::vector<int>{1, 3, 5}));
}

TEST_F(DataSetTest, ClearDataEmptiesColumnsButKeepsRoles) {
  DLDataSet data(vars, false);
  std::vector<std::vector<double>> rows = MakeRows(3);
  rows[2][0] = 256;
  VectorRecords source = Rows(rows);
  EXPECT_EQ(data.InputData(source, settings).GetErrorCode(), 110022);
  data.ClearData();
  EXPECT_EQ(data.GetNumOfCases(), 0);
  EXPECT_EQ(ColumnLengths(data), (std::vector<int>{0, 0, 0, 0}));
  EXPECT_EQ(vars.GetVarAt(0)->GetVarRole(), IDLVar::kUnused);
  VectorRecords again = Rows(MakeRows(2));
  EXPECT_TRUE(data.InputData(again, settings).IsOK());
  EXPECT_EQ(data.GetNumOfCases(), 2);
}

TEST_F(DataSetTest, DisplayWritesTheListThenEveryColumn) {
  DLVarList small;
  small.AddCatVar("t", "", IDLVar::kNominalNumeric, IDLVar::kTarget, IDLVar::kInteger);
  small.AddFreqWeightVar("w", "", IDLVar::kTruncate);
  DLDataSet data(small, false);
  VectorRecords source = Rows({{1, 2}, {0, 3.5}});
  ASSERT_TRUE(data.InputData(source, settings).IsOK());
  std::ostringstream list;
  small.Display(list);
  std::ostringstream os;
  data.Display(os);
  EXPECT_EQ(os.str(),
            "\nBegin display of DLDataSet object.\n"
            "\t\tVar meta data for this data set:\n\t\t" +
                list.str() +
                "Num of attributes: 2\n"
                "Attribute 0\n"
                "\tDLAttribute: name = t\n\t\tNum of cases: 2\n\t\tCase values\n0. 1\n1. 0\n\n"
                "Attribute 1\n"
                "\tDLAttribute: name = w\n\t\tNum of cases: 2\n\t\tCase values\n0. 2\n1. 3\n\n"
                "End of display for DLDataSet object.\n");
}

}  // namespace
