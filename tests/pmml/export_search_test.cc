// Export of models found by a real search through the algorithm's ExportModel: the documents are
// saved for schema validation alongside those of export_test.cc.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ruleweave/ruleweave.h"
#include "testing/row_records.h"

namespace pmml_export_testing {
void SaveExportedDocument(const std::string& name, const std::string& document);
// Imports `text` and checks that the lists of `model` come back (export_test.cc).
void ExpectRoundTrip(DLVarList& vars, const DLModel& model, const std::string& text);
}  // namespace pmml_export_testing

namespace {

class CancelNow : public QXQueryCancel {
 public:
  bool IsCancelled() override { return true; }
};

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++n;
  }
  return n;
}

// Customers: age (continuous, 18..90), colour (string, with a user-missing "n/a"), size (ordinal
// integer) and whether they bought; buyers are mostly red-preferring customers over 50.
class PMMLExportSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(vars.AddContVar("age", "Age", 18.0, 90.0, IDLVar::kPredictor), 0);
    ASSERT_EQ(
        vars.AddCatVar("color", "Colour", std::vector<std::string>{"red", "green", "blue"},
                       std::vector<std::string>{"Red", "Green", ""}, true, IDLVar::kPredictor),
        1);
    ASSERT_EQ(vars.AddCatVar("size", "", std::vector<double>{1, 2, 3}, false, IDLVar::kPredictor,
                             IDLVar::kInteger),
              2);
    ASSERT_EQ(
        vars.AddCatVar("buy", "", std::vector<std::string>{"no", "yes"}, true, IDLVar::kTarget), 3);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> age(18.0, 90.0);
    std::uniform_int_distribution<int> code(0, 2);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    for (int i = 0; i < 600; ++i) {
      const double a = age(rng);
      const int color = code(rng);
      const int size = code(rng);
      const bool likely = a > 50.0 && color == 0;
      const bool buys = chance(rng) < (likely ? 0.9 : 0.1);
      rows.push_back({a, static_cast<double>(color), static_cast<double>(size), buys ? 1.0 : 0.0});
    }
    testing_support::RowRecords records(rows);
    DLFactory factory;
    data.reset(factory.CreateDataSet(settings, vars, records));
    ASSERT_NE(data, nullptr) << factory.GetStatus().GetErrorCode();
    algorithm.reset(factory.CreateAlgorithm(settings));
    params.SetListDepth(2);
  }

  void TearDown() override {
    for (DLModel* m : models) delete m;
  }

  DLVarList vars;
  std::vector<std::vector<double>> rows;
  DLSettings settings;
  DLParameters params;
  std::unique_ptr<DLDataSet> data;
  std::unique_ptr<IDLAlgorithm> algorithm;
  std::vector<DLModel*> models;
};

TEST_F(PMMLExportSearch, ModelsOfARealSearchExport) {
  DLDataQuery query(nullptr, {"age", "color", "size"}, "buy", "yes");
  ASSERT_TRUE(algorithm->Run(params, *data, query, models, nullptr).IsOK());
  ASSERT_FALSE(models.empty());
  for (std::size_t i = 0; i < models.size(); ++i) {
    SCOPED_TRACE(i);
    const DLModel& model = *models[i];
    std::ostringstream os;
    const QXDecision::QXStatus status = algorithm->ExportModel(os, model, vars, nullptr);
    ASSERT_TRUE(status.IsOK()) << status.GetErrorCode();
    EXPECT_TRUE(algorithm->GetStatus().IsOK());
    const std::string text = os.str();
    int rules = 0;
    for (int l = 0; l < model.GetNumOfLists(); ++l) rules += model.GetList(l)->GetNumOfRules();
    EXPECT_EQ(Count(text, "<RuleSetModel"), static_cast<std::size_t>(model.GetNumOfLists()));
    EXPECT_EQ(Count(text, "<SimpleRule"), static_cast<std::size_t>(rules + model.GetNumOfLists()));
    EXPECT_EQ(Count(text, "score=\"yes\""), Count(text, "<SimpleRule"));
    // The remainder of a measured list carries its real counts.
    EXPECT_EQ(Count(text, "recordCount=\"0\""), 0u);
    pmml_export_testing::SaveExportedDocument("search_model_" + std::to_string(i), text);
    pmml_export_testing::ExpectRoundTrip(vars, model, text);
  }
}

TEST_F(PMMLExportSearch, ExportAfterAFailedRunDoesNothing) {
  DLDataQuery query(nullptr, {"age", "color", "size"}, "buy", "yes");
  ASSERT_TRUE(algorithm->Run(params, *data, query, models, nullptr).IsOK());
  ASSERT_FALSE(models.empty());
  CancelNow cancel;
  DLParameters cancelled = params;
  cancelled.SetCancelPointer(&cancel);
  std::vector<DLModel*> none;
  ASSERT_EQ(algorithm->Run(cancelled, *data, query, none, nullptr).GetErrorCode(), 1);
  std::ostringstream os;
  const QXDecision::QXStatus status = algorithm->ExportModel(os, *models[0], vars, nullptr);
  EXPECT_TRUE(status.IsError());
  EXPECT_EQ(status.GetErrorCode(), 1);
  EXPECT_EQ(os.str(), "");
}

TEST_F(PMMLExportSearch, ExportErrorBecomesTheAlgorithmStatus) {
  DLModel model;
  auto* list = new DLList();
  list->AddRule(new DLRule());
  DLDataQuery query(nullptr, {"age"}, "buy", "yes");
  list->SetDataQuery(query);
  model.AddList(list);
  std::ostringstream os;
  EXPECT_EQ(algorithm->ExportModel(os, model, vars, nullptr).GetErrorCode(), 110027);
  EXPECT_EQ(algorithm->GetStatus().GetErrorCode(), 110027);
  EXPECT_EQ(os.str(), "");
}

}  // namespace
