// Round trips through PMML: models found by the search and random models built by hand are
// exported, imported and compared; the imported model, re-measured on the same data, exports
// to the very same document.
#include <algorithm>
#include <cfloat>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ruleweave/ruleweave.h"
#include "testing/row_records.h"

namespace {

const double kAwkward = 0.1 + 0.2;  // 0.30000000000000004

// Every variable kind: string nominal (with a quote and a backslash in a category), string
// ordinal, integer ordinal, double nominal, continuous with awkward cut points, continuous with
// a range. Responses depend on colour, grade and x so that the search finds rules.
class PMMLRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(
        vars.AddCatVar("color", "Colour",
                       std::vector<std::string>{"red", "green", "dark \"navy\"", "back\\slash"},
                       true, IDLVar::kPredictor),
        0);
    ASSERT_EQ(vars.AddCatVar("size", "", std::vector<std::string>{"S", "M", "L", "XL"}, false,
                             IDLVar::kPredictor),
              1);
    ASSERT_EQ(vars.AddCatVar("grade", "", std::vector<double>{10, 20, 30, 40}, false,
                             IDLVar::kPredictor, IDLVar::kInteger),
              2);
    ASSERT_EQ(vars.AddCatVar("ratio", "", std::vector<double>{0.5, 2.7, kAwkward}, true,
                             IDLVar::kPredictor, IDLVar::kDouble),
              3);
    ASSERT_EQ(
        vars.AddContVar("x", "", std::vector<double>{1e-9, kAwkward, 0.7, 1.5}, IDLVar::kPredictor),
        4);
    ASSERT_EQ(vars.AddContVar("y", "", -1.0, 1.0, IDLVar::kPredictor), 5);
    ASSERT_EQ(
        vars.AddCatVar("resp", "", std::vector<std::string>{"no", "yes"}, true, IDLVar::kTarget),
        6);

    std::mt19937 rng(20261208);
    std::uniform_int_distribution<int> four(0, 3);
    std::uniform_int_distribution<int> three(0, 2);
    std::uniform_real_distribution<double> x(-0.5, 2.0);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    for (int i = 0; i < 800; ++i) {
      const int color = chance(rng) < 0.05 ? -1 : four(rng);
      const int size = four(rng);
      const int grade = four(rng);
      const int ratio = three(rng);
      const double xv = chance(rng) < 0.05 ? QXMV::Missing() : x(rng);
      const double yv = unit(rng);
      double p = 0.15;
      if (color == 0) p += 0.35;
      if (grade >= 2) p += 0.25;
      if (xv > kAwkward && xv < 1.5) p += 0.2;
      rows.push_back({static_cast<double>(color), static_cast<double>(size),
                      static_cast<double>(grade), static_cast<double>(ratio), xv, yv,
                      chance(rng) < p ? 1.0 : 0.0});
    }
    testing_support::RowRecords records(rows);
    DLFactory factory;
    data.reset(factory.CreateDataSet(settings, vars, records));
    ASSERT_NE(data, nullptr) << factory.GetStatus().GetErrorCode();
    algorithm.reset(factory.CreateAlgorithm(settings));
  }

  std::string Export(const DLModel& model) {
    std::ostringstream out;
    const QXDecision::QXStatus status = algorithm->ExportModel(out, model, vars, nullptr);
    EXPECT_TRUE(status.IsOK()) << status.GetErrorCode();
    return out.str();
  }

  std::unique_ptr<DLModel> Import(const std::string& document) {
    DLModel* raw = nullptr;
    const QXDecision::QXStatus status = algorithm->ImportModel(document.c_str(), vars, &raw);
    EXPECT_TRUE(status.IsOK()) << status.GetErrorCode();
    return std::unique_ptr<DLModel>(raw);
  }

  // The first line where two documents differ, for failure messages.
  static std::string FirstDifference(const std::string& a, const std::string& b) {
    std::istringstream sa(a), sb(b);
    std::string la, lb;
    for (int line = 1;; ++line) {
      const bool ga = static_cast<bool>(std::getline(sa, la));
      const bool gb = static_cast<bool>(std::getline(sb, lb));
      if (!ga && !gb) return "no difference";
      if (!ga || !gb || la != lb) {
        return "line " + std::to_string(line) + ": '" + (ga ? la : "<end>") + "' vs '" +
               (gb ? lb : "<end>") + "'";
      }
    }
  }

  // Exports `model`, imports the document, compares the two models, re-measures the imported
  // one on the data set and checks that it exports to the very same document.
  void CheckRoundTrip(const DLModel& model, const std::string& what) {
    SCOPED_TRACE(what);
    const std::string first = Export(model);
    ASSERT_FALSE(first.empty());
    std::unique_ptr<DLModel> back = Import(first);
    ASSERT_NE(back, nullptr) << first;
    ExpectSameModel(model, *back);
    back->SetDataSet(*data);
    ASSERT_TRUE(back->RefreshMeasure());
    const std::string second = Export(*back);
    EXPECT_TRUE(second == first) << FirstDifference(first, second);
  }

  static void ExpectSameModel(const DLModel& a, const DLModel& b) {
    ASSERT_EQ(a.GetNumOfLists(), b.GetNumOfLists());
    for (int l = 0; l < a.GetNumOfLists(); ++l) {
      const DLList& la = *a.GetList(l);
      const DLList& lb = *b.GetList(l);
      ASSERT_EQ(la.GetNumOfRules(), lb.GetNumOfRules()) << "list " << l;
      std::vector<std::string> used;
      for (int r = 0; r < la.GetNumOfRules(); ++r) {
        const DLRule& ra = *la.GetRule(r);
        const DLRule& rb = *lb.GetRule(r);
        EXPECT_EQ(ra.GetLabel(), rb.GetLabel());
        EXPECT_EQ(ra.GetDisableFlag(), rb.GetDisableFlag());
        EXPECT_EQ(ra.GetSearchDirection(), rb.GetSearchDirection());
        ASSERT_EQ(ra.GetNumOfSegments(), rb.GetNumOfSegments()) << "rule " << r;
        for (int s = 0; s < ra.GetNumOfSegments(); ++s) {
          std::ostringstream da, db;
          ra.GetSegment(s)->Display(da);
          rb.GetSegment(s)->Display(db);
          EXPECT_TRUE(*ra.GetSegment(s) == *rb.GetSegment(s))
              << "list " << l << " rule " << r << ": " << da.str() << " came back as " << db.str();
          const std::string& name = ra.GetSegment(s)->GetAttrName();
          bool seen = false;
          for (const std::string& u : used) seen = seen || u == name;
          if (!seen) used.push_back(name);
        }
      }
      ASSERT_NE(lb.GetDataQuery(), nullptr);
      EXPECT_EQ(lb.GetDataQuery()->GetTargetName(), la.GetDataQuery()->GetTargetName());
      EXPECT_EQ(lb.GetDataQuery()->GetResponseVal(), la.GetDataQuery()->GetResponseVal());
      EXPECT_EQ(lb.GetDataQuery()->GetPredictorNames(), used);
    }
  }

  // A random segment on variable `index` of the list; every kind each variable can take.
  DLSegment* RandomSegment(int index, std::mt19937& rng) {
    const IDLVar& var = *vars.GetVarAt(index);
    auto segment = std::make_unique<DLSegment>(var.GetVarName(), false);
    auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const bool continuous = var.GetMeasureLevel() == IDLVar::kContinuous;
    const bool ordered = continuous || IDLVar::IsOrdinal(var.GetMeasureLevel());
    const int categories = var.GetNumOfCategories();
    const std::vector<double> pool = {1e-9, kAwkward, -2.5, 7.0, 1e300, -123.456};
    auto value = [&]() -> double {
      return continuous ? pool[static_cast<size_t>(pick(static_cast<int>(pool.size())))]
                        : pick(categories);
    };
    switch (pick(ordered ? 6 : 5)) {
      case 0:
        segment->SetValueEqualTo(value());
        break;
      case 1:
        segment->SetAsMissingSegment();
        break;
      case 2:
        segment->SetAsNotMissingSegment();
        break;
      case 3: {  // an "in" set of two or more distinct values in random order
        std::vector<double> values;
        while (values.size() < 2) {
          const double v = value();
          bool seen = false;
          for (double w : values) seen = seen || w == v;
          if (!seen) values.push_back(v);
        }
        segment->SetValueSet(values, true);
        break;
      }
      case 4:
        segment->SetValueSet({value()}, false);
        break;
      default: {  // a range; continuous ranges may be open-ended on one side
        double low = value(), high = value();
        while (high == low) high = value();
        if (low > high) std::swap(low, high);
        if (continuous && pick(3) == 0) low = -DBL_MAX;
        if (continuous && low != -DBL_MAX && pick(3) == 0) high = DBL_MAX;
        EXPECT_TRUE(segment->SetRange(low, high, pick(2) == 0, pick(2) == 0));
        break;
      }
    }
    return segment.release();
  }

  std::unique_ptr<DLModel> RandomModel(std::mt19937& rng) {
    static const std::vector<std::string> labels = {
        "", "plain", "tab\there", "quote \"q\" and back\\slash", "new\nline\r", "<&>", "  "};
    auto pick = [&rng](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    auto model = std::make_unique<DLModel>();
    model->SetDataSet(*data);
    const int lists = 1 + pick(3);
    for (int l = 0; l < lists; ++l) {
      auto list = std::make_unique<DLList>();
      const int rules = 1 + pick(4);
      for (int r = 0; r < rules; ++r) {
        auto rule = std::make_unique<DLRule>();
        rule->SetLabel(labels[static_cast<size_t>(pick(static_cast<int>(labels.size())))]);
        rule->SetDisableFlag(pick(2) == 0);
        rule->SetSearchDirection(pick(2) == 0 ? DLConst::Up : DLConst::Down);
        std::vector<int> fields = {0, 1, 2, 3, 4, 5};
        std::shuffle(fields.begin(), fields.end(), rng);
        const int segments = 1 + pick(3);
        for (int s = 0; s < segments; ++s) {
          EXPECT_TRUE(rule->AddSegment(RandomSegment(fields[static_cast<size_t>(s)], rng)));
        }
        list->AddRule(rule.release());
      }
      list->SetDataQuery(DLDataQuery(nullptr, {"color", "size", "grade", "ratio", "x", "y"}, "resp",
                                     pick(2) == 0 ? "yes" : "no"));
      model->AddList(list.release());
    }
    EXPECT_TRUE(model->RefreshMeasure());
    return model;
  }

  DLVarList vars;
  std::vector<std::vector<double>> rows;
  DLSettings settings;
  std::unique_ptr<DLDataSet> data;
  std::unique_ptr<IDLAlgorithm> algorithm;
};

TEST_F(PMMLRoundTrip, ModelsOfTheSearchComeBackUnchanged) {
  for (DLConst::BinningType binning : {DLConst::EqualWidth, DLConst::EqualFrequency}) {
    DLParameters params;
    params.SetListDepth(2);
    params.SetNumOfBins(6);
    params.SetBinningType(binning);
    DLDataQuery query(nullptr, {"color", "size", "grade", "ratio", "x", "y"}, "resp", "yes");
    std::vector<DLModel*> found;
    ASSERT_TRUE(algorithm->Run(params, *data, query, found, nullptr).IsOK());
    ASSERT_FALSE(found.empty());
    // A second stage on the first model's remainder gives models of two or more lists.
    std::unique_ptr<DLModel> previous(found.front());
    found.erase(found.begin());
    DLDataQuery next(nullptr, {"color", "size", "grade", "ratio", "x", "y"}, "resp", "yes");
    ASSERT_TRUE(algorithm->Run(params, *data, next, found, previous.get()).IsOK());
    std::vector<std::unique_ptr<DLModel>> models;
    for (DLModel* m : found) models.emplace_back(m);
    models.push_back(std::move(previous));
    int multiList = 0;
    for (std::size_t i = 0; i < models.size(); ++i) {
      multiList += models[i]->GetNumOfLists() > 1 ? 1 : 0;
      CheckRoundTrip(*models[i], "search model " + std::to_string(i));
    }
    EXPECT_GT(multiList, 0);
  }
}

TEST_F(PMMLRoundTrip, RandomModelsBuiltByHandComeBackUnchanged) {
  std::mt19937 rng(8);
  for (int i = 0; i < 60; ++i) {
    std::unique_ptr<DLModel> model = RandomModel(rng);
    CheckRoundTrip(*model, "random model " + std::to_string(i));
    if (HasFatalFailure()) return;
  }
}

TEST_F(PMMLRoundTrip, UnformattedAndNarrowDocumentsReadTheSame) {
  std::mt19937 rng(99);
  std::unique_ptr<DLModel> model = RandomModel(rng);
  const std::string formatted = Export(*model);
  for (bool utf8 : {true, false}) {
    QXDecisionXML::PMMLExportOptions options{utf8, "app", "1", "c", /*formatted=*/false};
    std::ostringstream out;
    ASSERT_TRUE(algorithm->ExportModel(out, *model, vars, &options).IsOK());
    std::unique_ptr<DLModel> back = Import(out.str());
    ASSERT_NE(back, nullptr);
    ExpectSameModel(*model, *back);
    back->SetDataSet(*data);
    ASSERT_TRUE(back->RefreshMeasure());
    EXPECT_EQ(Export(*back), formatted);
  }
}

}  // namespace
