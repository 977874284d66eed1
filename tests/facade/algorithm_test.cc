// End-to-end searches through DLFactory and IDLAlgorithm on small tables whose best lists follow
// from the algorithm by hand (confidence bounds quoted to four decimals).
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "ruleweave/ruleweave.h"
#include "search/search_testing.h"

namespace {

using search_testing::CancelAt;
using search_testing::DisplayOf;
using search_testing::Models;
using search_testing::RecordingListener;
using search_testing::Table;

constexpr double kMissing = -1.0;  // the encoders' code for a missing category

// Nominal "color" (codes 0..2), binary target "y". Code 1 responds at 0.8 (40 cases, lower bound
// 0.6435), codes 0 and 2 at 0.1; the overall rate 40/120 has upper bound 0.4252.
void FillColor(Table& t) {
  t.vars.AddCatVar("color", "", {1, 2, 3}, /*nominal=*/true, IDLVar::kPredictor, IDLVar::kInteger);
  t.vars.AddCatVar("y", "", {0, 1}, /*nominal=*/true, IDLVar::kTarget, IDLVar::kInteger);
  t.Add(36, {0, 0});
  t.Add(4, {0, 1});
  t.Add(8, {1, 0});
  t.Add(32, {1, 1});
  t.Add(36, {2, 0});
  t.Add(4, {2, 1});
}

// Nominal "g" (codes 0..3) with rates 0.9, 0.7, 0.5 and 0.02 on 50, 50, 50 and 250 cases. Each
// of codes 0, 1, 2 clears the sea level of every remainder it is searched on: 0.3216 on all
// cases, 0.2305 without code 0, 0.1397 without codes 0 and 1.
void FillThreeGroups(Table& t) {
  t.vars.AddCatVar("g", "", {1, 2, 3, 4}, /*nominal=*/true, IDLVar::kPredictor, IDLVar::kInteger);
  t.vars.AddCatVar("y", "", {0, 1}, /*nominal=*/true, IDLVar::kTarget, IDLVar::kInteger);
  t.Add(5, {0, 0});
  t.Add(45, {0, 1});
  t.Add(15, {1, 0});
  t.Add(35, {1, 1});
  t.Add(25, {2, 0});
  t.Add(25, {2, 1});
  t.Add(245, {3, 0});
  t.Add(5, {3, 1});
}

DLDataQuery QueryFor(const std::vector<std::string>& predictors) {
  return DLDataQuery(nullptr, predictors, "y", "1");
}

struct SearchRun {
  DLSettings settings;
  DLFactory factory;
  std::unique_ptr<IDLAlgorithm> algorithm{factory.CreateAlgorithm(settings)};
  Models models;

  QXDecision::QXStatus Go(const DLParameters& params, const DLDataSet& data, DLDataQuery& query,
                          const DLModel* previous = nullptr) {
    return algorithm->Run(params, data, query, models.items, previous);
  }
};

// "List: i" and the list's dump for a one-rule list of one segment.
std::string OneRuleList(int i, const std::string& measure, const std::string& segment) {
  return "List: " + std::to_string(i) + "\n" + measure + "\n\tRule: 0\n" + measure +
         "\n\n\t\t\tSeg: 0 " + segment;
}

TEST(DLAlgorithm, FindsPlantedNominalCategory) {
  Table t;
  FillColor(t);
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  DLDataQuery query = QueryFor({"color"});
  SearchRun run;
  QXDecision::QXStatus status = run.Go(params, *data, query);
  EXPECT_TRUE(status.IsOK());
  EXPECT_TRUE(run.algorithm->GetStatus() == status);
  ASSERT_EQ(run.models.size(), 1u);
  EXPECT_EQ(DisplayOf(run.models[0]),
            OneRuleList(0, "Prob: 0.8\tCover: 40\tFreq: 32", "color = 1"));
  EXPECT_EQ(run.models[0].GetDataSet(), data.get());
}

TEST(DLAlgorithm, FindsOrdinalRange) {
  // Codes 2 and 3 respond at 0.8, the rest at 0.1 (20 cases each). The peak [2, 2] grows to
  // [2, 3] (its right neighbour is as good) and is offered; [2, 4] (lower bound 0.4324) clears
  // the sea level 0.4252 but covers only 1.5 times as many cases, and wider ranges fall below.
  Table t;
  t.vars.AddCatVar("age", "", {1, 2, 3, 4, 5, 6}, /*nominal=*/false, IDLVar::kPredictor,
                   IDLVar::kInteger);
  t.vars.AddCatVar("y", "", {0, 1}, /*nominal=*/true, IDLVar::kTarget, IDLVar::kInteger);
  const int responders[6] = {2, 2, 16, 16, 2, 2};
  for (int code = 0; code < 6; ++code) {
    t.Add(20 - responders[code], {double(code), 0});
    t.Add(responders[code], {double(code), 1});
  }
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  DLDataQuery query = QueryFor({"age"});
  SearchRun run;
  ASSERT_TRUE(run.Go(params, *data, query).IsOK());
  ASSERT_EQ(run.models.size(), 1u);
  EXPECT_EQ(DisplayOf(run.models[0]),
            OneRuleList(0, "Prob: 0.8\tCover: 40\tFreq: 32", "2 <= age <= 3"));
}

// Continuous "x" with 20 cases at each of 0.5, 1.5, ..., 9.5; the values 4.5 and 5.5 respond at
// 0.8, the others at 0.1. With the bins (k, k+1] the search finds bins 4 and 5 (the wider
// [4, 6] and [4, 7] are within the growth factor, [4, 8] has lower bound 0.2848 below the sea
// level 0.3053), reported back as the value interval (4, 6].
void FillContinuous(Table& t, double max) {
  t.vars.AddContVar("x", "", 0.0, max, IDLVar::kPredictor);
  t.vars.AddCatVar("y", "", {0, 1}, /*nominal=*/true, IDLVar::kTarget, IDLVar::kInteger);
  for (int bin = 0; bin < 10; ++bin) {
    const int responders = bin == 4 || bin == 5 ? 16 : 2;
    t.Add(20 - responders, {bin + 0.5, 0});
    t.Add(responders, {bin + 0.5, 1});
  }
}

TEST(DLAlgorithm, FindsContinuousRangeWithEqualWidthBins) {
  Table t;
  FillContinuous(t, 10.0);
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  ASSERT_TRUE(params.SetNumOfBins(10));
  DLDataQuery query = QueryFor({"x"});
  SearchRun run;
  ASSERT_TRUE(run.Go(params, *data, query).IsOK());
  ASSERT_EQ(run.models.size(), 1u);
  EXPECT_EQ(DisplayOf(run.models[0]),
            OneRuleList(0, "Prob: 0.8\tCover: 40\tFreq: 32", "4 < x <= 6"));
}

TEST(DLAlgorithm, FindsContinuousRangeWithEqualFrequencyBins) {
  // The declared range 0..100 would put every case in one equal-width bin; equal-frequency cut
  // points fall between the observed values instead (1, 2, ..., 9).
  Table t;
  FillContinuous(t, 100.0);
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  ASSERT_TRUE(params.SetNumOfBins(10));
  DLDataQuery query = QueryFor({"x"});
  {
    SearchRun run;
    ASSERT_TRUE(run.Go(params, *data, query).IsOK());
    EXPECT_EQ(run.models.size(), 0u);
  }
  params.SetBinningType(DLConst::EqualFrequency);
  SearchRun run;
  ASSERT_TRUE(run.Go(params, *data, query).IsOK());
  ASSERT_EQ(run.models.size(), 1u);
  EXPECT_EQ(DisplayOf(run.models[0]),
            OneRuleList(0, "Prob: 0.8\tCover: 40\tFreq: 32", "4 < x <= 6"));
}

TEST(DLAlgorithm, FindsHighRateMissingCategory) {
  // 30 cases without a color respond at 0.9 (lower bound 0.7347); every color responds at 0.1.
  Table t;
  t.vars.AddCatVar("color", "", {1, 2, 3}, /*nominal=*/true, IDLVar::kPredictor, IDLVar::kInteger);
  t.vars.AddCatVar("y", "", {0, 1}, /*nominal=*/true, IDLVar::kTarget, IDLVar::kInteger);
  for (int code = 0; code < 3; ++code) {
    t.Add(36, {double(code), 0});
    t.Add(4, {double(code), 1});
  }
  t.Add(3, {kMissing, 0});
  t.Add(27, {kMissing, 1});
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  DLDataQuery query = QueryFor({"color"});
  SearchRun run;
  ASSERT_TRUE(run.Go(params, *data, query).IsOK());
  ASSERT_EQ(run.models.size(), 1u);
  EXPECT_EQ(DisplayOf(run.models[0]),
            OneRuleList(0, "Prob: 0.9\tCover: 30\tFreq: 27", "color is missing"));

  // Without the missing category nothing is left to find.
  params.AllowMissing(false);
  SearchRun without;
  ASSERT_TRUE(without.Go(params, *data, query).IsOK());
  EXPECT_EQ(without.models.size(), 0u);
}

TEST(DLAlgorithm, DownFindsLowRateSegment) {
  // Rates 0.5, 0.05, 0.5 on 40 cases each. Reversed, code 1 has 38 of 40 (lower bound 0.8308)
  // against the reversed overall upper bound 1 - 0.2652; the rule carries the true counts.
  Table t;
  t.vars.AddCatVar("color", "", {1, 2, 3}, /*nominal=*/true, IDLVar::kPredictor, IDLVar::kInteger);
  t.vars.AddCatVar("y", "", {0, 1}, /*nominal=*/true, IDLVar::kTarget, IDLVar::kInteger);
  t.Add(20, {0, 0});
  t.Add(20, {0, 1});
  t.Add(38, {1, 0});
  t.Add(2, {1, 1});
  t.Add(20, {2, 0});
  t.Add(20, {2, 1});
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  params.SetSearchDirection(DLConst::Down);
  DLDataQuery query = QueryFor({"color"});
  SearchRun run;
  ASSERT_TRUE(run.Go(params, *data, query).IsOK());
  ASSERT_EQ(run.models.size(), 1u);
  EXPECT_EQ(DisplayOf(run.models[0]),
            OneRuleList(0, "Prob: 0.05\tCover: 40\tFreq: 2", "color = 1"));
  EXPECT_EQ(run.models[0].GetList(0)->GetRule(0)->GetSearchDirection(), DLConst::Down);

  // Searching up finds nothing: no color beats the overall rate significantly.
  SearchRun up;
  params.SetSearchDirection(DLConst::Up);
  ASSERT_TRUE(up.Go(params, *data, query).IsOK());
  EXPECT_EQ(up.models.size(), 0u);
}

const char kListABC[] =
    "List: 0\n"
    "Prob: 0.7\tCover: 150\tFreq: 105\n"
    "\tRule: 0\nProb: 0.9\tCover: 50\tFreq: 45\n\n\t\t\tSeg: 0 g = 0"
    "\tRule: 1\nProb: 0.7\tCover: 50\tFreq: 35\n\n\t\t\tSeg: 0 g = 1"
    "\tRule: 2\nProb: 0.5\tCover: 50\tFreq: 25\n\n\t\t\tSeg: 0 g = 2";

TEST(DLAlgorithm, ListDepthThreeFindsThreeDisjointRulesInOrder) {
  Table t;
  FillThreeGroups(t);
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  params.SetListDepth(3);
  params.SetListWidth(1);
  params.SetRuleWidth(1);
  DLDataQuery query = QueryFor({"g"});
  SearchRun run;
  ASSERT_TRUE(run.Go(params, *data, query).IsOK());
  ASSERT_EQ(run.models.size(), 1u);
  EXPECT_EQ(DisplayOf(run.models[0]), kListABC);
}

TEST(DLAlgorithm, ListWidthKeepsOneListPerAlternativeRule) {
  // One level with the default widths: the rule search yields g = 0, 1, 2 and each becomes the
  // first rule of its own list, best first.
  Table t;
  FillThreeGroups(t);
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  DLDataQuery query = QueryFor({"g"});
  SearchRun run;
  ASSERT_TRUE(run.Go(params, *data, query).IsOK());
  ASSERT_EQ(run.models.size(), 3u);
  EXPECT_EQ(DisplayOf(run.models[0]), OneRuleList(0, "Prob: 0.9\tCover: 50\tFreq: 45", "g = 0"));
  EXPECT_EQ(DisplayOf(run.models[1]), OneRuleList(0, "Prob: 0.7\tCover: 50\tFreq: 35", "g = 1"));
  EXPECT_EQ(DisplayOf(run.models[2]), OneRuleList(0, "Prob: 0.5\tCover: 50\tFreq: 25", "g = 2"));

  // With list width 2 the third rule is dropped with the list it came from.
  params.SetListWidth(2);
  SearchRun narrow;
  ASSERT_TRUE(narrow.Go(params, *data, query).IsOK());
  ASSERT_EQ(narrow.models.size(), 2u);
  EXPECT_EQ(DisplayOf(narrow.models[1]), OneRuleList(0, "Prob: 0.7\tCover: 50\tFreq: 35", "g = 1"));
}

TEST(DLAlgorithm, RuleDepthTwoCombinesTwoPredictors) {
  // Only a = 1 and b = 1 together respond (45 of 50). a = 1 alone (49 of 100, lower bound
  // 0.3886) beats b = 1 alone (47 of 100) at the first level; within a = 1 only b = 1 clears the
  // sea level 0.592 of the rule's own cases.
  Table t;
  t.vars.AddCatVar("a", "", {0, 1}, /*nominal=*/true, IDLVar::kPredictor, IDLVar::kInteger);
  t.vars.AddCatVar("b", "", {0, 1}, /*nominal=*/true, IDLVar::kPredictor, IDLVar::kInteger);
  t.vars.AddCatVar("y", "", {0, 1}, /*nominal=*/true, IDLVar::kTarget, IDLVar::kInteger);
  t.Add(48, {0, 0, 0});
  t.Add(2, {0, 0, 1});
  t.Add(48, {0, 1, 0});
  t.Add(2, {0, 1, 1});
  t.Add(46, {1, 0, 0});
  t.Add(4, {1, 0, 1});
  t.Add(5, {1, 1, 0});
  t.Add(45, {1, 1, 1});
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  params.SetRuleDepth(2);
  params.SetRuleWidth(1);
  DLDataQuery query = QueryFor({"a", "b"});
  SearchRun run;
  ASSERT_TRUE(run.Go(params, *data, query).IsOK());
  ASSERT_EQ(run.models.size(), 1u);
  EXPECT_EQ(DisplayOf(run.models[0]),
            "List: 0\nProb: 0.9\tCover: 50\tFreq: 45\n"
            "\tRule: 0\nProb: 0.9\tCover: 50\tFreq: 45\n"
            "\n\t\t\tSeg: 0 a = 1\n\t\t\tSeg: 1 b = 1");
}

TEST(DLAlgorithm, AllLevelsWhenFinalResultsOnlyIsOff) {
  Table t;
  FillThreeGroups(t);
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  params.SetListDepth(2);
  params.SetListWidth(1);
  params.SetRuleWidth(1);
  params.SetFinalResultsOnly(false);
  DLDataQuery query = QueryFor({"g"});
  SearchRun run;
  ASSERT_TRUE(run.Go(params, *data, query).IsOK());
  ASSERT_EQ(run.models.size(), 2u);
  EXPECT_EQ(DisplayOf(run.models[0]), OneRuleList(0, "Prob: 0.9\tCover: 50\tFreq: 45", "g = 0"));
  EXPECT_EQ(DisplayOf(run.models[1]),
            "List: 0\nProb: 0.8\tCover: 100\tFreq: 80\n"
            "\tRule: 0\nProb: 0.9\tCover: 50\tFreq: 45\n\n\t\t\tSeg: 0 g = 0"
            "\tRule: 1\nProb: 0.7\tCover: 50\tFreq: 35\n\n\t\t\tSeg: 0 g = 1");
}

TEST(DLAlgorithm, PreviousModelRestrictsTheCaseSpace) {
  Table t;
  FillThreeGroups(t);
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  params.SetListWidth(1);
  params.SetRuleWidth(1);
  DLDataQuery query = QueryFor({"g"});
  SearchRun first;
  ASSERT_TRUE(first.Go(params, *data, query).IsOK());
  ASSERT_EQ(first.models.size(), 1u);

  SearchRun second;
  second.models.items.push_back(new DLModel());  // results are appended, never cleared
  ASSERT_TRUE(second.Go(params, *data, query, &first.models[0]).IsOK());
  ASSERT_EQ(second.models.size(), 2u);
  // The query keeps the previous model's remainder: everything but the 50 cases of g = 0.
  ASSERT_NE(query.GetCaseSpace(), nullptr);
  EXPECT_EQ(query.GetCaseSpace()->GetNumOfElements(), 350);
  EXPECT_FALSE(query.GetCaseSpace()->HasElement(0));
  EXPECT_EQ(DisplayOf(second.models[1]),
            OneRuleList(0, "Prob: 0.9\tCover: 50\tFreq: 45", "g = 0") +
                OneRuleList(1, "Prob: 0.7\tCover: 50\tFreq: 35", "g = 1"));
}

TEST(DLAlgorithm, NoCandidateAnywhereGivesNoModel) {
  Table t;
  t.vars.AddCatVar("color", "", {1, 2}, /*nominal=*/true, IDLVar::kPredictor, IDLVar::kInteger);
  t.vars.AddCatVar("y", "", {0, 1}, /*nominal=*/true, IDLVar::kTarget, IDLVar::kInteger);
  t.Add(10, {0, 0});
  t.Add(10, {0, 1});
  t.Add(10, {1, 0});
  t.Add(10, {1, 1});
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  params.SetListDepth(3);
  DLDataQuery query = QueryFor({"color"});
  SearchRun run;
  EXPECT_TRUE(run.Go(params, *data, query).IsOK());
  EXPECT_EQ(run.models.size(), 0u);
}

TEST(DLAlgorithm, SetupFailuresBecomeStatusCodes) {
  Table t;
  FillColor(t);
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLDataQuery query = QueryFor({"color"});
  SearchRun run;
  DLParameters params;
  ASSERT_TRUE(params.SetNumOfBins(300));  // more than the 255 codes of byte storage
  EXPECT_EQ(run.Go(params, *data, query).GetErrorCode(), 110018);
  EXPECT_TRUE(run.algorithm->GetStatus().IsError());
  EXPECT_EQ(run.models.size(), 0u);

  // A query whose target is not in the data defines no valid variable list.
  DLDataQuery noTarget(nullptr, {"color"}, "nothing", "1");
  EXPECT_EQ(run.Go(DLParameters(), *data, noTarget).GetErrorCode(), 110018);

  // A successful run clears the stored error.
  EXPECT_TRUE(run.Go(DLParameters(), *data, query).IsOK());
  EXPECT_TRUE(run.algorithm->GetStatus().IsOK());
}

TEST(DLAlgorithm, ConstantContinuousPredictorFailsEqualFrequencyBinning) {
  Table t;
  t.vars.AddContVar("x", "", 0.0, 10.0, IDLVar::kPredictor);
  t.vars.AddCatVar("y", "", {0, 1}, /*nominal=*/true, IDLVar::kTarget, IDLVar::kInteger);
  t.Add(10, {7.0, 0});
  t.Add(10, {7.0, 1});
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  params.SetBinningType(DLConst::EqualFrequency);
  DLDataQuery query = QueryFor({"x"});
  SearchRun run;
  EXPECT_EQ(run.Go(params, *data, query).GetErrorCode(), 110040);
  EXPECT_EQ(run.models.size(), 0u);
}

TEST(DLAlgorithm, CancelBeforeTheRunTouchesNothing) {
  Table t;
  FillThreeGroups(t);
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  params.SetListWidth(1);
  DLDataQuery query = QueryFor({"g"});
  SearchRun first;
  ASSERT_TRUE(first.Go(params, *data, query).IsOK());

  CancelAt cancel(1);
  params.SetCancelPointer(&cancel);
  SearchRun run;
  QXDecision::QXStatus status = run.Go(params, *data, query, &first.models[0]);
  EXPECT_EQ(status.GetErrorCode(), 1);
  EXPECT_TRUE(status.IsError());
  EXPECT_EQ(query.GetCaseSpace(), nullptr);
  EXPECT_EQ(run.models.size(), 0u);
  EXPECT_EQ(cancel.GetPolls(), 1);
}

// Several predictors of every kind and a response that depends on two of them, from a fixed
// linear congruential sequence; `noise` more continuous predictors "z0", "z1", ...: z0 repeats c1
// (its candidates tie with c1's, and the earlier predictor wins), the others are noise.
void FillMixed(Table& t, int cases, int noise = 0) {
  t.vars.AddCatVar("nom", "", {1, 2, 3, 4, 5}, /*nominal=*/true, IDLVar::kPredictor,
                   IDLVar::kInteger);
  t.vars.AddCatVar("ord", "", {1, 2, 3, 4, 5, 6, 7}, /*nominal=*/false, IDLVar::kPredictor,
                   IDLVar::kInteger);
  t.vars.AddContVar("c1", "", 0.0, 1.0, IDLVar::kPredictor);
  t.vars.AddContVar("c2", "", 0.0, 1.0, IDLVar::kPredictor);
  for (int j = 0; j < noise; ++j) {
    t.vars.AddContVar("z" + std::to_string(j), "", 0.0, 1.0, IDLVar::kPredictor);
  }
  t.vars.AddCatVar("y", "", {0, 1}, /*nominal=*/true, IDLVar::kTarget, IDLVar::kInteger);
  unsigned state = 12345;
  auto next = [&state]() {
    state = state * 1103515245u + 12345u;
    return static_cast<double>((state >> 8) & 0xFFFF) / 65536.0;
  };
  for (int i = 0; i < cases; ++i) {
    const double nom = static_cast<int>(next() * 5);
    const double ord = static_cast<int>(next() * 7);
    const double c1 = next();
    const double c2 = next();
    double rate = 0.15;
    if (nom == 2) rate += 0.3;
    if (c1 > 0.6) rate += 0.35;
    if (ord <= 1) rate -= 0.1;
    const double y = next() < rate ? 1 : 0;
    std::vector<double> row = {next() < 0.05 ? kMissing : nom, ord, c1, c2};
    for (int j = 0; j < noise; ++j) row.push_back(j == 0 ? c1 : next());
    row.push_back(y);
    t.Add(1, row);
  }
}

DLParameters MixedParams() {
  DLParameters params;
  params.SetListDepth(2);
  params.SetListWidth(3);
  params.SetRuleDepth(2);
  params.SetRuleWidth(3);
  params.SetNumOfBins(20);
  return params;
}

std::vector<std::string> Displays(const Models& models) {
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < models.size(); ++i) texts.push_back(DisplayOf(models[i]));
  return texts;
}

TEST(DLAlgorithm, SameInputsGiveIdenticalModels) {
  std::vector<std::string> runs[2];
  for (auto& texts : runs) {
    Table t;
    FillMixed(t, 1500);
    auto data = t.Load();
    ASSERT_TRUE(data);
    DLDataQuery query = QueryFor({"nom", "ord", "c1", "c2"});
    SearchRun run;
    ASSERT_TRUE(run.Go(MixedParams(), *data, query).IsOK());
    texts = Displays(run.models);
  }
  EXPECT_GE(runs[0].size(), 1u);
  EXPECT_EQ(runs[0], runs[1]);
}

// The models, their displays and their PMML documents are the same text for every number of
// threads; a wide table gives each thread several predictors per step.
TEST(DLAlgorithm, EveryNumberOfThreadsGivesTheSameModelsAndDocuments) {
  Table t;
  FillMixed(t, 2000, /*noise=*/9);
  auto data = t.Load();
  ASSERT_TRUE(data);
  std::vector<std::string> predictors = {"nom", "ord", "c1", "c2"};
  for (int j = 0; j < 9; ++j) predictors.push_back("z" + std::to_string(j));
  std::vector<std::string> reference;
  for (int threads : {1, 2, 7}) {
    DLParameters params = MixedParams();
    params.SetFinalResultsOnly(false);
    ASSERT_TRUE(params.SetNumThreads(threads));
    DLDataQuery query = QueryFor(predictors);
    SearchRun run;
    ASSERT_TRUE(run.Go(params, *data, query).IsOK()) << threads;
    std::vector<std::string> texts = Displays(run.models);
    for (std::size_t i = 0; i < run.models.size(); ++i) {
      std::ostringstream pmml;
      ASSERT_TRUE(run.algorithm->ExportModel(pmml, run.models[i], t.vars, nullptr).IsOK());
      texts.push_back(pmml.str());
    }
    if (threads == 1) {
      ASSERT_GE(run.models.size(), 2u);
      reference = texts;
    } else {
      EXPECT_EQ(texts, reference) << threads << " threads";
    }
  }
}

TEST(DLAlgorithm, CancelAtAnyPollGivesNothingOrTheWholeResult) {
  Table t;
  FillMixed(t, 600);
  auto data = t.Load();
  ASSERT_TRUE(data);
  const std::vector<std::string> predictors = {"nom", "ord", "c1", "c2"};
  std::vector<std::string> reference;
  {
    DLDataQuery query = QueryFor(predictors);
    SearchRun run;
    ASSERT_TRUE(run.Go(MixedParams(), *data, query).IsOK());
    reference = Displays(run.models);
    ASSERT_FALSE(reference.empty());
  }
  // With three threads the polls come from the calling thread only, as many as it makes.
  for (int threads : {1, 3}) {
    int cancelled = 0;
    for (int k = 1; k < 100000; ++k) {
      CancelAt cancel(k);
      DLParameters params = MixedParams();
      params.SetNumThreads(threads);
      params.SetCancelPointer(&cancel);
      DLDataQuery query = QueryFor(predictors);
      SearchRun run;
      const QXDecision::QXStatus status = run.Go(params, *data, query);
      if (status.GetErrorCode() == 1) {
        ASSERT_TRUE(status.IsError());
        ASSERT_EQ(run.models.size(), 0u) << "k = " << k;
        ++cancelled;
        continue;
      }
      ASSERT_TRUE(status.IsOK()) << "k = " << k;
      EXPECT_EQ(Displays(run.models), reference);
      break;
    }
    // Polls happen at the start, per list and rule search, per selection step and between
    // attributes: many more than a handful.
    EXPECT_GT(cancelled, 20) << threads << " threads";
  }
}

TEST(DLAlgorithm, ReportsCandidatesAndRulesThenResetsTheReporter) {
  Table t;
  FillThreeGroups(t);
  auto data = t.Load();
  ASSERT_TRUE(data);
  RecordingListener listener;
  DLParameters params;
  params.SetProgressListener(&listener);
  DLDataQuery query = QueryFor({"g"});
  SearchRun run;
  ASSERT_TRUE(run.Go(params, *data, query).IsOK());
  // Three rules enter the rule beam, then three lists the list beam; every unit is reported.
  ASSERT_EQ(listener.reports.size(), 6u);
  const int expected[6][2] = {{1, -1}, {2, -1}, {3, -1}, {3, 1}, {3, 2}, {3, 3}};
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(listener.reports[i].cases, -1);
    EXPECT_EQ(listener.reports[i].candidates, expected[i][0]) << i;
    EXPECT_EQ(listener.reports[i].rules, expected[i][1]) << i;
    EXPECT_GE(listener.reports[i].elapsed, 0.0);
  }
  DLReporter* reporter = params.GetReporter();
  ASSERT_NE(reporter, nullptr);
  EXPECT_EQ(reporter->DiscreteMeasure("candidates"), -1);
  EXPECT_EQ(reporter->DiscreteMeasure("rules"), -1);
  EXPECT_EQ(reporter->DiscreteMeasure("cases"), -1);
  EXPECT_EQ(reporter->ScaleMeasure("elapsedTime"), 0.0);

  // Skipping two reports: one report per loop, after its second unit, counting reports sent.
  RecordingListener sparse;
  params.SetProgressListener(&sparse);
  params.SetNumOfSkippedReports(2);
  SearchRun again;
  ASSERT_TRUE(again.Go(params, *data, query).IsOK());
  ASSERT_EQ(sparse.reports.size(), 2u);
  EXPECT_EQ(sparse.reports[0].candidates, 1);
  EXPECT_EQ(sparse.reports[0].rules, -1);
  EXPECT_EQ(sparse.reports[1].candidates, 1);
  EXPECT_EQ(sparse.reports[1].rules, 1);
}

class ThrowingListener : public ProgressListener {
 public:
  bool OnProgress(ProgressReport*) override { throw std::runtime_error("host gave up"); }
};

class ThrowingCancel : public QXQueryCancel {
 public:
  explicit ThrowingCancel(int k) : mK(k) {}
  bool IsCancelled() override {
    if (++mPolls == mK) throw std::runtime_error("host gave up");
    return false;
  }

 private:
  int mK;
  int mPolls = 0;
};

TEST(DLAlgorithm, HostExceptionsPassOutOfRun) {
  Table t;
  FillMixed(t, 300);
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLDataQuery query = QueryFor({"nom", "ord", "c1", "c2"});
  ThrowingListener listener;
  DLParameters params = MixedParams();
  params.SetProgressListener(&listener);
  SearchRun run;
  EXPECT_THROW(run.Go(params, *data, query), std::runtime_error);
  EXPECT_EQ(run.models.size(), 0u);
  EXPECT_EQ(params.GetReporter()->DiscreteMeasure("candidates"), -1);

  // With three threads the poll count varies with the threads' timing: the calling thread's own
  // polls (selections, list and rule searches) still number a few dozen.
  for (int threads : {1, 3}) {
    for (int k : {2, 5, threads == 1 ? 40 : 20}) {
      ThrowingCancel cancel(k);
      DLParameters p = MixedParams();
      p.SetNumThreads(threads);
      p.SetCancelPointer(&cancel);
      SearchRun r;
      EXPECT_THROW(r.Go(p, *data, query), std::runtime_error) << k;
      EXPECT_EQ(r.models.size(), 0u);
    }
  }
}

TEST(DLAlgorithm, ExportAndImportAreRefusedAfterAFailedRun) {
  Table t;
  FillColor(t);
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  params.SetNumOfBins(300);
  DLDataQuery query = QueryFor({"color"});
  SearchRun run;
  ASSERT_EQ(run.Go(params, *data, query).GetErrorCode(), 110018);
  std::ostringstream out;
  DLModel model;
  EXPECT_EQ(run.algorithm->ExportModel(out, model, t.vars, nullptr).GetErrorCode(), 110018);
  EXPECT_TRUE(out.str().empty());
  DLModel* imported = nullptr;
  EXPECT_EQ(run.algorithm->ImportModel("<PMML/>", t.vars, &imported).GetErrorCode(), 110018);
  EXPECT_EQ(imported, nullptr);
}

TEST(DLAlgorithm, ExportedModelReadsBackThroughTheAlgorithm) {
  Table t;
  FillColor(t);
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  DLDataQuery query = QueryFor({"color"});
  SearchRun run;
  ASSERT_TRUE(run.Go(params, *data, query).IsOK());
  ASSERT_EQ(run.models.size(), 1u);
  std::ostringstream out;
  ASSERT_TRUE(run.algorithm->ExportModel(out, run.models[0], t.vars, nullptr).IsOK());
  EXPECT_NE(out.str().find("RuleSetModel"), std::string::npos);
  DLModel* imported = nullptr;
  const QXDecision::QXStatus status =
      run.algorithm->ImportModel(out.str().c_str(), t.vars, &imported);
  ASSERT_TRUE(status.IsOK()) << status.GetErrorCode();
  std::unique_ptr<DLModel> owned(imported);
  ASSERT_NE(imported, nullptr);
  ASSERT_EQ(imported->GetNumOfLists(), 1);
  EXPECT_TRUE(*imported->GetList(0) == *run.models[0].GetList(0));
}

TEST(DLAlgorithm, ModelsOutlivingTheirDataSetRefuseToMeasureAndExport) {
  Table t;
  FillColor(t);
  auto data = t.Load();
  ASSERT_TRUE(data);
  DLParameters params;
  DLDataQuery query = QueryFor({"color"});
  SearchRun run;
  ASSERT_TRUE(run.Go(params, *data, query).IsOK());
  ASSERT_EQ(run.models.size(), 1u);
  DLModel model(run.models[0]);
  model.ClearMeasure();
  DLList list(*model.GetList(0));
  data.reset();
  // Each of these would read the freed data set.
  EXPECT_TRUE(model.IsDataSetGone());
  EXPECT_EQ(model.GetDataSet(), nullptr);
  EXPECT_FALSE(model.RefreshMeasure());
  EXPECT_FALSE(list.RefreshMeasure(nullptr));
  EXPECT_EQ(std::unique_ptr<DLMeasure>(run.models[0].GetRemainderMeasure()), nullptr);
  std::ostringstream out;
  EXPECT_EQ(run.algorithm->ExportModel(out, run.models[0], t.vars, nullptr).GetErrorCode(), 110011);
  EXPECT_TRUE(out.str().empty());
}

TEST(DLAlgorithm, DataSetWithoutCasesCannotBeSearched) {
  Table t;
  FillColor(t);
  DLDataSet empty(t.vars, /*largeCategory=*/false);
  DLDataQuery query = QueryFor({"color"});
  SearchRun run;
  EXPECT_EQ(run.Go(DLParameters(), empty, query).GetErrorCode(), 110018);
  EXPECT_EQ(run.models.size(), 0u);
}

TEST(DLAlgorithm, VersionAndSettings) {
  DLSettings settings;
  DLFactory factory;
  std::unique_ptr<IDLAlgorithm> algorithm(factory.CreateAlgorithm(settings));
  EXPECT_EQ(algorithm->GetSettings(), &settings);
  EXPECT_NE(algorithm->GetVersion().find("1.0"), std::string::npos);
  EXPECT_TRUE(algorithm->GetStatus().IsOK());
}

}  // namespace
