// DLFactory: loading through the factory, and what it refuses.
#include "ruleweave/facade/factory.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ruleweave/ruleweave.h"
#include "search/search_testing.h"

namespace {

using search_testing::CancelAt;
using search_testing::VectorRecords;

class DLFactoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vars.AddCatVar("color", "", {1, 2, 3}, /*nominal=*/true, IDLVar::kPredictor, IDLVar::kInteger);
    vars.AddCatVar("y", "", {0, 1}, /*nominal=*/true, IDLVar::kTarget, IDLVar::kInteger);
  }
  DLVarList vars;
  DLSettings settings;
  DLFactory factory;
};

TEST_F(DLFactoryTest, LoadsEveryRecord) {
  const std::vector<std::vector<double>> rows = {{0, 1}, {1, 0}, {2, 1}};
  VectorRecords records(&rows);
  std::unique_ptr<DLDataSet> data(factory.CreateDataSet(settings, vars, records));
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->GetNumOfCases(), 3);
  EXPECT_TRUE(factory.GetStatus().IsOK());
  EXPECT_FALSE(data->IsUsingLargeCategory());
  settings.UseLargeCategory(true);
  VectorRecords again(&rows);
  data.reset(factory.CreateDataSet(settings, vars, again));
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(data->IsUsingLargeCategory());
}

TEST_F(DLFactoryTest, CancelBeforeLoadingMakesNothing) {
  const std::vector<std::vector<double>> rows = {{0, 1}};
  VectorRecords records(&rows);
  CancelAt cancel(1);
  settings.SetCancelPointer(&cancel);
  EXPECT_EQ(factory.CreateDataSet(settings, vars, records), nullptr);
  EXPECT_EQ(factory.GetStatus().GetErrorCode(), 1);
  EXPECT_TRUE(factory.GetStatus().IsError());
  EXPECT_TRUE(records.HasNext());  // not a record was read
}

TEST_F(DLFactoryTest, FailedOrWarnedLoadsReturnNoDataSet) {
  const std::vector<std::vector<double>> none;
  VectorRecords empty(&none);
  EXPECT_EQ(factory.CreateDataSet(settings, vars, empty), nullptr);
  EXPECT_EQ(factory.GetStatus().GetErrorCode(), 110011);

  // A code beyond byte storage in the last record is a warning, which the factory also refuses.
  const std::vector<std::vector<double>> rows = {{0, 1}, {300, 0}};
  VectorRecords refused(&rows);
  EXPECT_EQ(factory.CreateDataSet(settings, vars, refused), nullptr);
  EXPECT_EQ(factory.GetStatus().GetErrorCode(), 110022);
  EXPECT_TRUE(factory.GetStatus().IsWarning());

  // The algorithm factory leaves the stored status alone.
  std::unique_ptr<IDLAlgorithm> algorithm(factory.CreateAlgorithm(settings));
  EXPECT_EQ(factory.GetStatus().GetErrorCode(), 110022);
  DLFactory copy;
  copy = factory;
  EXPECT_EQ(copy.GetStatus().GetErrorCode(), 110022);
}

}  // namespace
