// Tests of the data views: construction failures with their exact texts, the raw view's borrowed
// columns, equal-width and equal-frequency binning, and ComputeMeasure against a loop over cases.
#include "data/data_views.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "data_testing.h"
#include "foundation/progress_throttle.h"
#include "ruleweave/ruleweave.h"

namespace {

using data_testing::Rows;
using data_testing::VectorRecords;

const double kMissing = QXMV::Missing();

std::string ConstructorMessage(const std::string& cls, const std::string& condition) {
  return "CANNOT CREATE OBJECT of " + cls + ":\nPre-condition is not satisfied: ( " + condition +
         " )";
}

// Runs `make` and returns the message of the ConstructorException it throws ("" if none).
template <typename F>
std::string ThrownMessage(F make) {
  try {
    make();
  } catch (const QXDecision::ConstructorException& e) {
    return e.GetMessage();
  }
  return "";
}

// c: categorical predictor (codes 0..2), x: continuous predictor over [0, 10], w: weight,
// t: numeric target with categories 0 and 1.
class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    vars.AddCatVar("c", "", std::vector<double>{0, 1, 2}, true, IDLVar::kPredictor,
                   IDLVar::kInteger);
    vars.AddContVar("x", "", 0.0, 10.0, IDLVar::kPredictor);
    vars.AddFreqWeightVar("w", "", IDLVar::kTruncate);
    vars.AddCatVar("t", "", std::vector<double>{0, 1}, true, IDLVar::kTarget, IDLVar::kInteger);
  }

  // Loads rows of (c, x, w, t).
  std::unique_ptr<DLDataSet> Load(const std::vector<std::vector<double>>& rows,
                                  bool large = false) {
    auto data = std::make_unique<DLDataSet>(vars, large);
    VectorRecords source = Rows(rows);
    EXPECT_TRUE(data->InputData(source, DLSettings()).IsOK());
    return data;
  }

  // One row per x value; c = i % 3, w = 1, t = i % 2.
  std::unique_ptr<DLDataSet> LoadX(const std::vector<double>& xs, bool large = false) {
    std::vector<std::vector<double>> rows;
    for (std::size_t i = 0; i < xs.size(); ++i) {
      rows.push_back({double(i % 3), xs[i], 1.0, double(i % 2)});
    }
    return Load(rows, large);
  }

  DLVarList vars;
  DLParameters params;
  DLDataQuery query{nullptr, {"c", "x"}, "t", "1"};
};

TEST_F(ViewTest, NoCasesThrows) {
  DLDataSet empty(vars, false);
  const std::string expected = ConstructorMessage("DLDataView", "dataset.NumOfCases > 0");
  EXPECT_EQ(ThrownMessage([&] { DLRawDataView v(empty, query); }), expected);
  EXPECT_EQ(ThrownMessage([&] { DLEncDataView v(params, empty, query); }), expected);
}

TEST_F(ViewTest, QueryWithoutValidListThrows) {
  auto data = LoadX({1, 2, 3});
  const std::string expected =
      ConstructorMessage("DLDataView", "The query defines a valid variable list");
  DLDataQuery noTarget(nullptr, {"c", "x"}, "", "1");
  EXPECT_EQ(ThrownMessage([&] { DLRawDataView v(*data, noTarget); }), expected);
  DLDataQuery noPredictor(nullptr, {}, "t", "1");
  EXPECT_EQ(ThrownMessage([&] { DLEncDataView v(params, *data, noPredictor); }), expected);
}

TEST_F(ViewTest, TooManyBinsForByteCodesThrows) {
  ASSERT_TRUE(params.SetNumOfBins(300));
  auto small = LoadX({1, 2, 3});
  EXPECT_EQ(ThrownMessage([&] { DLEncDataView v(params, *small, query); }),
            ConstructorMessage("DLEncDataView", "param.NumOfBins <= dataset.MaxCategories"));
  auto large = LoadX({1, 2, 3}, /*large=*/true);
  DLEncDataView view(params, *large, query);
  EXPECT_EQ(view.GetAttribute("x")->GetStorageKind(), 2);
  ASSERT_TRUE(params.SetNumOfBins(255));
  EXPECT_NO_THROW(DLEncDataView(params, *small, query));
}

TEST_F(ViewTest, RawViewBorrowsTheDataSetsColumns) {
  auto data = LoadX({1, 2, 3});
  DLRawDataView view(*data, query);
  EXPECT_EQ(view.GetDataSet(), data.get());
  EXPECT_EQ(view.GetDataQuery(), &query);
  EXPECT_EQ(view.GetNumOfCases(), 3);
  EXPECT_EQ(view.GetNumOfAttributes(), 3);
  EXPECT_EQ(view.GetVarList().GetVarNameAt(2), "t");
  EXPECT_EQ(view.GetVarList().GetTargetIndex(), 2);
  EXPECT_EQ(view.GetAttribute("x"), DLDataSetTestAccess::Attribute(*data, "x"));
  EXPECT_EQ(view.GetAttribute(0), DLDataSetTestAccess::Attribute(*data, "c"));
  EXPECT_EQ(view.GetTargetAttribute(), DLDataSetTestAccess::Attribute(*data, "t"));
  EXPECT_EQ(view.GetAttribute(""), nullptr);
  EXPECT_EQ(view.GetAttribute("w"), nullptr) << "the query does not name the weight";
  EXPECT_EQ(view.GetAttribute(3), nullptr);
  EXPECT_EQ(view.GetAttribute(-1), nullptr);
  EXPECT_EQ(view.GetFreqWeightAttribute(), nullptr);
  const IDLDataView& constView = view;
  EXPECT_EQ(constView.GetAttribute("c"), view.GetAttribute("c"));
  EXPECT_EQ(constView.GetTargetAttribute(), view.GetTargetAttribute());
}

TEST_F(ViewTest, EqualWidthCodesAgreeWithTheBinningEncoderAroundEveryCutPoint) {
  // Five bins over [0, 10]: cut points 2, 4, 6, 8; every bin is closed on the right.
  ASSERT_TRUE(params.SetNumOfBins(5));
  std::vector<double> xs = {kMissing, -5, 0, 10, 15};
  std::vector<double> expected = {255, 0, 0, 4, 4};
  for (int k = 1; k <= 4; ++k) {
    const double cut = 2.0 * k;
    xs.insert(xs.end(), {std::nextafter(cut, -1e9), cut, std::nextafter(cut, 1e9)});
    expected.insert(expected.end(), {double(k - 1), double(k - 1), double(k)});
  }
  DLBinningEncoder reference(0.0, 10.0);
  ASSERT_TRUE(reference.SetNumOfBins(5));

  for (bool large : {false, true}) {
    auto data = LoadX(xs, large);
    DLEncDataView view(params, *data, query);
    const IDLAttribute* binned = view.GetAttribute("x");
    ASSERT_NE(binned, nullptr);
    EXPECT_EQ(binned->GetAttributeKind(), IDLAttribute::kBinnedAttribute);
    EXPECT_EQ(binned->GetStorageKind(), large ? 2 : 1);
    EXPECT_NE(binned->GetVar(), vars.GetVarAt("x")) << "owns a binned clone";
    EXPECT_EQ(binned->GetVar()->GetVarName(), "x");
    EXPECT_EQ(binned->GetNumOfCategories(), 5);
    EXPECT_EQ(vars.GetVarAt("x")->GetEncoder(), nullptr) << "the host's variable is untouched";
    ASSERT_EQ(binned->GetNumOfCases(), static_cast<int>(xs.size()));
    for (std::size_t i = 0; i < xs.size(); ++i) {
      const int code = static_cast<int>(i);
      const double want = expected[i] == 255 && large ? 2147483647.0 : expected[i];
      EXPECT_EQ(binned->GetValue(code), want) << "x = " << xs[i];
      if (!QXMV::IsMissing(xs[i])) {
        EXPECT_EQ(binned->GetValue(code), reference.Encode(xs[i]));
      }
    }
    // Categorical columns are the data set's own.
    EXPECT_EQ(view.GetAttribute("c"), DLDataSetTestAccess::Attribute(*data, "c"));
  }
}

TEST_F(ViewTest, UnbinnablePredictorThrowsTheBinningText) {
  const std::string expected =
      ConstructorMessage("DLEncDataView", "Error Binning Method for Continue Variable(s).");
  {
    // A single-point range: valid (constant) for the list, but no equal-width bins.
    DLVarList pointVars;
    pointVars.AddContVar("x", "", 5.0, 5.0, IDLVar::kPredictor);
    pointVars.AddCatVar("t", "", std::vector<double>{0, 1}, true, IDLVar::kTarget,
                        IDLVar::kInteger);
    DLDataSet data(pointVars, false);
    VectorRecords source = Rows({{5, 0}, {5, 1}});
    ASSERT_TRUE(data.InputData(source, DLSettings()).IsOK());
    DLDataQuery q(nullptr, {"x"}, "t", "1");
    EXPECT_EQ(ThrownMessage([&] { DLEncDataView v(params, data, q); }), expected);
  }
  {
    // Equal frequency over one repeated value finds no cut point.
    params.SetBinningType(DLConst::EqualFrequency);
    auto data = LoadX({7, 7, 7, 7});
    EXPECT_EQ(ThrownMessage([&] { DLEncDataView v(params, *data, query); }), expected);
  }
}

TEST_F(ViewTest, EqualFrequencyBinning) {
  params.SetBinningType(DLConst::EqualFrequency);
  ASSERT_TRUE(params.SetNumOfBins(2));
  // 1, 2, 3, 4 with weight 1: the cumulative weight after 2 equals the 50% target, so the cut
  // is the midpoint 2.5.
  auto data = LoadX({4, 1, 3, 2});
  DLEncDataView view(params, *data, query);
  const IDLAttribute* x = view.GetAttribute("x");
  EXPECT_EQ(x->GetValue(0), 1.0);
  EXPECT_EQ(x->GetValue(1), 0.0);
  EXPECT_EQ(x->GetValue(2), 1.0);
  EXPECT_EQ(x->GetValue(3), 0.0);
}

TEST_F(ViewTest, EqualFrequencyCodesAgreeWithTheEncoderOnCutPointsToo) {
  params.SetBinningType(DLConst::EqualFrequency);
  ASSERT_TRUE(params.SetNumOfBins(7));
  // Whole and half values, so that some values fall on the (midpoint) cut points.
  std::mt19937 rng(3);
  std::vector<double> xs = {kMissing};
  for (int i = 0; i < 400; ++i) xs.push_back(static_cast<double>(rng() % 41) / 2.0);
  auto data = LoadX(xs);
  DLEncDataView view(params, *data, query);
  const IDLAttribute* x = view.GetAttribute("x");
  const auto* encoder = dynamic_cast<const DLBinningEncoder*>(x->GetVar()->GetEncoder());
  ASSERT_NE(encoder, nullptr);
  ASSERT_EQ(encoder->GetBinningCutpoints().size(), 6u);
  EXPECT_EQ(x->GetValue(0), 255.0);
  for (std::size_t i = 1; i < xs.size(); ++i) {
    EXPECT_EQ(x->GetValue(static_cast<int>(i)), encoder->Encode(xs[i])) << "x = " << xs[i];
  }
}

TEST_F(ViewTest, BinningAnswersACancel) {
  data_testing::CancelAt cancel(1);
  params.SetCancelPointer(&cancel);
  auto data = LoadX({1, 2, 3});
  EXPECT_THROW(DLEncDataView(params, *data, query), DLCancelledException);
  EXPECT_EQ(cancel.GetPolls(), 1);
}

TEST_F(ViewTest, EqualFrequencyUsesTheStoredTruncatedWeights) {
  params.SetBinningType(DLConst::EqualFrequency);
  ASSERT_TRUE(params.SetNumOfBins(2));
  // x = 1, 2, 3 with weights 2.7 (stored as 2), 1, 1: total 4, target 2 reached exactly after
  // x = 1, so the cut is 1.5. (With 2.7 counted whole the cut would be 2.)
  auto data = Load({{0, 1, 2.7, 0}, {1, 2, 1, 1}, {2, 3, 1, 0}});
  DLDataQuery weighted(nullptr, {"c", "x", "w"}, "t", "1");
  DLEncDataView view(params, *data, weighted);
  ASSERT_NE(view.GetFreqWeightAttribute(), nullptr);
  const IDLAttribute* x = view.GetAttribute("x");
  EXPECT_EQ(x->GetValue(0), 0.0);
  EXPECT_EQ(x->GetValue(1), 1.0);
  EXPECT_EQ(x->GetValue(2), 1.0);
  // Without the weight in the query every case counts 1: target 1.5, passed at x = 2.
  DLEncDataView unweighted(params, *data, query);
  EXPECT_EQ(unweighted.GetAttribute("x")->GetValue(1), 0.0);
  EXPECT_EQ(unweighted.GetAttribute("x")->GetValue(2), 1.0);
}

TEST_F(ViewTest, ComputeMeasureMatchesALoopOverCases) {
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> code(0, 2), weight(0, 4), coin(0, 1);
  std::vector<std::vector<double>> rows;
  for (int i = 0; i < 150; ++i) {
    rows.push_back({double(code(rng)), i * 0.05, double(weight(rng)), double(coin(rng))});
  }
  auto data = Load(rows);
  DLDataQuery weighted(nullptr, {"c", "x", "w"}, "t", "1");
  DLRawDataView plainView(*data, query);
  DLEncDataView weightedView(params, *data, weighted);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 40; ++trial) {
    const double density = trial == 0 ? 1.0 : unit(rng);
    DLBitSet cases(150);
    double n = 0, r = 0, wn = 0, wr = 0;
    for (int i = 0; i < 150; ++i) {
      if (unit(rng) >= density) continue;
      cases.AddElement(i);
      const std::vector<double>& row = rows[static_cast<std::size_t>(i)];
      n += 1;
      wn += row[2];
      if (row[3] == 1) {
        r += 1;
        wr += row[2];
      }
    }
    DLMeasure m(5, 5);
    plainView.ComputeMeasure(m, cases);
    EXPECT_EQ(m.GetCoverage(), n);
    EXPECT_EQ(m.GetResponse(), r);
    weightedView.ComputeMeasure(m, cases);
    EXPECT_EQ(m.GetCoverage(), wn);
    EXPECT_EQ(m.GetResponse(), wn == 0 ? 0 : wr);
  }
}

TEST_F(ViewTest, EmptySetsAndZeroWeightsGiveAClearedMeasure) {
  auto data = Load({{0, 1, 0, 1}, {1, 2, 3, 1}});
  DLDataQuery weighted(nullptr, {"c", "x", "w"}, "t", "1");
  DLRawDataView view(*data, weighted);
  DLMeasure m(4, 2);
  view.ComputeMeasure(m, DLBitSet(2));
  EXPECT_EQ(m.GetCoverage(), 0);
  EXPECT_EQ(m.GetResponse(), 0);
  DLBitSet first(2);
  first.AddElement(0);
  m = DLMeasure(4, 2);
  view.ComputeMeasure(m, first);
  EXPECT_EQ(m.GetCoverage(), 0);
  EXPECT_EQ(m.GetResponse(), 0);
  // A set of another capacity than the weight column counts nothing.
  DLBitSet wrongSize(3);
  wrongSize.FillUp();
  m = DLMeasure(4, 2);
  view.ComputeMeasure(m, wrongSize);
  EXPECT_EQ(m.GetCoverage(), 0);
}

TEST_F(ViewTest, UnknownResponseValueCountsNothingAndAddsATargetCategory) {
  auto data = LoadX({1, 2, 3, 4});
  ASSERT_EQ(vars.GetTargetVar()->GetNumOfCategories(), 2);
  DLDataQuery unknown(nullptr, {"c", "x"}, "t", "7");
  DLRawDataView view(*data, unknown);
  DLBitSet all(4);
  all.FillUp();
  DLMeasure m;
  view.ComputeMeasure(m, all);
  EXPECT_EQ(m.GetCoverage(), 4);
  EXPECT_EQ(m.GetResponse(), 0);
  EXPECT_EQ(vars.GetTargetVar()->GetNumOfCategories(), 3) << "seen in the host's list";
  view.ComputeMeasure(m, all);
  EXPECT_EQ(vars.GetTargetVar()->GetNumOfCategories(), 3);
}

TEST_F(ViewTest, ResponseTextIsReadLikeAtof) {
  auto data = LoadX({1, 2, 3, 4});
  DLBitSet all(4);
  all.FillUp();
  for (const char* text : {"1", " 1.0", "+1", "1abc"}) {
    DLDataQuery q(nullptr, {"c", "x"}, "t", text);
    DLRawDataView view(*data, q);
    DLMeasure m;
    view.ComputeMeasure(m, all);
    EXPECT_EQ(m.GetResponse(), 2) << text;
  }
  DLDataQuery zero(nullptr, {"c", "x"}, "t", "abc");  // no number: 0, the other category
  DLRawDataView view(*data, zero);
  DLMeasure m;
  view.ComputeMeasure(m, all);
  EXPECT_EQ(m.GetResponse(), 2);
}

TEST(DataView, StringTargetCodesTheResponseText) {
  DLVarList vars;
  vars.AddCatVar("c", "", std::vector<double>{0, 1}, true, IDLVar::kPredictor, IDLVar::kInteger);
  vars.AddCatVar("t", "", std::vector<std::string>{"no", "yes"}, true, IDLVar::kTarget);
  DLDataSet data(vars, true);
  VectorRecords source = Rows({{0, 1}, {1, 1}, {1, 0}});
  ASSERT_TRUE(data.InputData(source, DLSettings()).IsOK());
  DLDataQuery q(nullptr, {"c"}, "t", "yes");
  DLParameters params;
  DLEncDataView view(params, data, q);
  DLBitSet all(3);
  all.FillUp();
  DLMeasure m;
  view.ComputeMeasure(m, all);
  EXPECT_EQ(m.GetCoverage(), 3);
  EXPECT_EQ(m.GetResponse(), 2);
}

TEST_F(ViewTest, DisplayWritesTheViewsListAndColumns) {
  auto data = LoadX({1.5});
  DLDataQuery q(nullptr, {"x"}, "t", "1");
  DLRawDataView view(*data, q);
  std::ostringstream list;
  view.GetVarList().Display(list);
  std::ostringstream os;
  view.Display(os);
  EXPECT_EQ(os.str(),
            "\nBegin display of DLDataView object.\n"
            "\t\tVar meta data for this data view:\n\t\t" +
                list.str() +
                "Num of attributes: 2\n"
                "Attribute 0\n"
                "\tDLAttribute: name = x\n\t\tNum of cases: 1\n\t\tCase values\n0. 1.5\n\n"
                "Attribute 1\n"
                "\tDLAttribute: name = t\n\t\tNum of cases: 1\n\t\tCase values\n0. 0\n\n"
                "End of display for DLDataView object.\n");
}

}  // namespace
