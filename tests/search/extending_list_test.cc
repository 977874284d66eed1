// Rules and lists under construction: copies made only while alternatives remain, the Down
// reset, finishing bin ranges into value ranges, and the list's extension by its best rule.
#include "search/extending_list.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "data/data_views.h"
#include "ruleweave/ruleweave.h"
#include "search/extending_rule.h"
#include "search_testing.h"

namespace {

using search_testing::Table;

}  // namespace

// Reaches into rules and lists to set up states the search makes only on large data.
class DLExtendingRuleTestAccess {
 public:
  static void AddCandidate(DLExtendingRule& rule, const DLExtendingSegment& segment) {
    rule.mCandidates.push_back(std::make_unique<DLExtendingSegment>(segment));
  }
};

class DLExtendingListTestAccess {
 public:
  static void AddRule(DLExtendingList& list, std::unique_ptr<DLExtendingRule> rule) {
    list.mExtending.push_back(std::move(rule));
  }
};

namespace {

// "g" (nominal, codes 0..3) responds at 0.9, 0.7, 0.5, 0.02; "x" is continuous on 0..10, binned
// into 10 bins of width 1, and holds 5.5 for every case (so it never offers a candidate).
class ExtendingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table.vars.AddCatVar("g", "", {1, 2, 3, 4}, /*nominal=*/true, IDLVar::kPredictor,
                         IDLVar::kInteger);
    table.vars.AddContVar("x", "", 0.0, 10.0, IDLVar::kPredictor);
    table.vars.AddCatVar("y", "", {0, 1}, /*nominal=*/true, IDLVar::kTarget, IDLVar::kInteger);
    const int cases[4] = {50, 50, 50, 250};
    const int responders[4] = {45, 35, 25, 5};
    for (int g = 0; g < 4; ++g) {
      for (int i = 0; i < cases[g]; ++i)
        table.Add(1, {double(g), 5.5, i < responders[g] ? 1.0 : 0.0});
    }
    data = table.Load();
    ASSERT_TRUE(data);
    params.SetNumOfBins(10);
    query = DLDataQuery(nullptr, {"g", "x"}, "y", "1");
    view = std::make_unique<DLEncDataView>(params, *data, query);
    all = std::make_unique<DLBitSet>(data->GetNumOfCases());
    all->FillUp();
  }

  std::unique_ptr<DLExtendingRule> NewRule() {
    return std::make_unique<DLExtendingRule>(params, *view, *all);
  }

  Table table;
  std::unique_ptr<DLDataSet> data;
  DLParameters params;
  DLDataQuery query;
  std::unique_ptr<DLEncDataView> view;
  std::unique_ptr<DLBitSet> all;
};

std::string SegmentsOf(const DLRule& rule) {
  std::ostringstream os;
  for (int i = 0; i < rule.GetNumOfSegments(); ++i) {
    if (i > 0) os << "; ";
    rule.GetSegment(i)->Display(os);
  }
  return os.str();
}

TEST_F(ExtendingTest, ExtendingCopiesWhileOtherCandidatesRemain) {
  auto rule = NewRule();
  bool cancelled = true;
  ASSERT_TRUE(rule->GenerateCandidates(cancelled));
  EXPECT_FALSE(cancelled);
  // g = 0, 1, 2 clear the sea level 0.3216; x has no bin that does.
  ASSERT_EQ(rule->GetNumOfCandidates(), 3);
  DLMeasure best;
  EXPECT_EQ(rule->GetBestCandidate(best), 0);
  EXPECT_EQ(best.GetCoverage(), 50);
  EXPECT_EQ(best.GetResponse(), 45);

  std::unique_ptr<DLExtendingRule> copy(rule->ExtendWith(1));
  ASSERT_NE(copy.get(), rule.get());
  EXPECT_EQ(copy->GetNumOfCandidates(), 0);
  ASSERT_EQ(copy->GetNumOfFixedSegments(), 1);
  EXPECT_EQ(copy->GetFixedSegment(0)->GetLeft(), 1);
  EXPECT_EQ(copy->GetMeasure().GetCoverage(), 50);
  EXPECT_EQ(copy->GetMeasure().GetResponse(), 35);
  EXPECT_EQ(copy->GetCoveredCases().GetNumOfElements(), 50);
  // The original lost that candidate only.
  EXPECT_EQ(rule->GetNumOfCandidates(), 2);
  EXPECT_TRUE(rule->HasNoSegments());
  EXPECT_EQ(rule->GetMeasure().GetCoverage(), 400);

  EXPECT_EQ(rule->ExtendWith(5), rule.get());  // out of range: unchanged
  std::unique_ptr<DLExtendingRule> second(rule->ExtendWith(0));
  EXPECT_NE(second.get(), rule.get());  // still two candidates: another copy
  EXPECT_EQ(rule->GetNumOfCandidates(), 1);
  EXPECT_EQ(rule->ExtendWith(0), rule.get());  // the last one extends the rule itself
  EXPECT_EQ(rule->GetNumOfFixedSegments(), 1);
  EXPECT_TRUE(rule->UsesAttribute("g"));
  EXPECT_FALSE(rule->UsesAttribute("x"));
}

TEST_F(ExtendingTest, AttributeNotReusableOffersNoCandidateOnAUsedPredictor) {
  auto rule = NewRule();
  bool cancelled = false;
  ASSERT_TRUE(rule->GenerateCandidates(cancelled));
  DLMeasure best;
  while (rule->GetNumOfCandidates() > 1) delete rule->ExtendWith(1);
  ASSERT_EQ(rule->ExtendWith(0), rule.get());  // g = 0: every case responds at 0.9
  params.SetAttributeReusable(false);
  EXPECT_FALSE(rule->GenerateCandidates(cancelled));
  EXPECT_EQ(rule->GetNumOfCandidates(), 0);
  EXPECT_EQ(rule->GetBestCandidate(best), -1);
  EXPECT_EQ(best.GetCoverage(), 50);  // the rule's own measure
}

TEST_F(ExtendingTest, DownLooksForTheLowestRate) {
  params.SetSearchDirection(DLConst::Down);
  auto rule = NewRule();
  bool cancelled = false;
  // Down: only g = 3 (5 of 250) lies significantly below the overall rate.
  ASSERT_TRUE(rule->GenerateCandidates(cancelled));
  ASSERT_EQ(rule->GetNumOfCandidates(), 1);
  DLMeasure best;
  EXPECT_EQ(rule->GetBestCandidate(best), 0);
  EXPECT_EQ(best.GetCoverage(), 250);
  EXPECT_EQ(best.GetResponse(), 5);
}

TEST_F(ExtendingTest, DownCandidatesThatAllRespondNeverBeatTheReset) {
  params.SetSearchDirection(DLConst::Down);
  auto rule = NewRule();
  // Candidates of probability 1 and coverage 1 tie with the reset (1, 1), so they never beat it.
  DLExtendingRuleTestAccess::AddCandidate(*rule,
                                          {data.get(), "g", 0, 0, DLMeasure(1, 1), false, false});
  DLExtendingRuleTestAccess::AddCandidate(*rule,
                                          {data.get(), "g", 1, 1, DLMeasure(1, 1), false, false});
  DLMeasure best;
  EXPECT_EQ(rule->GetBestCandidate(best), 0);
  EXPECT_EQ(best.GetCoverage(), 1);
  EXPECT_EQ(best.GetResponse(), 1);
  // A list's rule selection takes nothing from such a rule.
  DLExtendingList list(params, query, *view);
  DLExtendingListTestAccess::AddRule(list, std::move(rule));
  EXPECT_EQ(list.PopBestRule(), nullptr);
  EXPECT_EQ(list.GetNumOfExtendingRules(), 1);
}

TEST_F(ExtendingTest, FinishedBinsBecomeValueIntervals) {
  struct Case {
    double left, right;
    const char* text;
  } cases[] = {{4, 5, "4 < x <= 6"},
               {0, 3, "x <= 4"},
               {9, 9, "9 < x"},
               {255, 255, "x is missing"},
               {0, 9, "x is not missing"}};
  for (const Case& c : cases) {
    auto rule = NewRule();
    DLExtendingRuleTestAccess::AddCandidate(
        *rule, {data.get(), "x", c.left, c.right, DLMeasure(), false, false});
    ASSERT_EQ(rule->ExtendWith(0), rule.get());
    rule->FinalizeSegments();
    std::unique_ptr<DLRule> finished(rule->ToRule());
    ASSERT_NE(finished, nullptr);
    EXPECT_EQ(SegmentsOf(*finished), c.text);
    // Every x is 5.5, in bin 5.
    const bool inBin5 = c.left <= 5 && 5 <= c.right;
    EXPECT_EQ(finished->GetMeasure().GetCoverage(), inBin5 ? 400 : 0) << c.text;
  }
  // Categorical ranges keep their codes.
  auto rule = NewRule();
  DLExtendingRuleTestAccess::AddCandidate(*rule,
                                          {data.get(), "g", 1, 2, DLMeasure(), false, false});
  rule->ExtendWith(0);
  rule->FinalizeSegments();
  std::unique_ptr<DLRule> finished(rule->ToRule());
  EXPECT_EQ(SegmentsOf(*finished), "1 <= g <= 2");
  EXPECT_EQ(finished->GetMeasure().GetCoverage(), 100);
  EXPECT_EQ(finished->GetCoverage()->GetNumOfElements(), 100);
  EXPECT_EQ(NewRule()->ToRule(), nullptr);
}

TEST_F(ExtendingTest, ListTakesItsBestRuleAndCopiesWhileOthersRemain) {
  DLExtendingList list(params, query, *view);
  DLMeasure m;
  EXPECT_EQ(list.GetBestExtension(m), -1);
  EXPECT_EQ(m.GetCoverage(), 0);
  bool extended = false;
  ASSERT_TRUE(list.ExtendRules(extended).IsOK());
  EXPECT_TRUE(extended);
  // Rule width 5 keeps the three single-category rules, best first.
  ASSERT_EQ(list.GetNumOfExtendingRules(), 3);
  EXPECT_EQ(list.GetBestExtension(m), 0);
  EXPECT_EQ(m.GetResponse(), 45);

  std::unique_ptr<DLExtendingList> first(list.ExtendWith(0));
  ASSERT_NE(first.get(), &list);
  EXPECT_EQ(first->GetNumOfFixedRules(), 1);
  EXPECT_EQ(first->GetNumOfExtendingRules(), 0);
  EXPECT_EQ(first->GetMeasure().GetCoverage(), 50);
  EXPECT_EQ(list.GetNumOfFixedRules(), 0);
  EXPECT_EQ(list.GetNumOfExtendingRules(), 2);
  EXPECT_EQ(list.ExtendWith(2), &list);  // out of range

  // The next level searches the remainder: g = 1 and g = 2 are left.
  ASSERT_TRUE(first->ExtendRules(extended).IsOK());
  EXPECT_EQ(first->GetNumOfExtendingRules(), 2);
  EXPECT_EQ(first->GetBestExtension(m), 0);
  EXPECT_EQ(m.GetCoverage(), 100);
  EXPECT_EQ(m.GetResponse(), 80);
  // Its breakdowns are the first level's minus those of the rule taken (cases 0 .. 49); the rules
  // are those of a fresh list over the same cases, which breaks them down afresh.
  DLBitSet rest(data->GetNumOfCases());
  rest.AddElements(50, data->GetNumOfCases());
  DLDataQuery restQuery = query;
  restQuery.SetCaseSpace(&rest);
  DLExtendingList fresh(params, restQuery, *view);
  ASSERT_TRUE(fresh.ExtendRules(extended).IsOK());
  ASSERT_EQ(fresh.GetNumOfExtendingRules(), first->GetNumOfExtendingRules());
  for (int i = 0; i < fresh.GetNumOfExtendingRules(); ++i) {
    const DLExtendingRule& a = *fresh.GetExtendingRule(i);
    const DLExtendingRule& b = *first->GetExtendingRule(i);
    EXPECT_EQ(a.GetMeasure().GetCoverage(), b.GetMeasure().GetCoverage()) << i;
    EXPECT_EQ(a.GetMeasure().GetResponse(), b.GetMeasure().GetResponse()) << i;
    ASSERT_EQ(a.GetNumOfCandidates(), b.GetNumOfCandidates()) << i;
    for (int c = 0; c < a.GetNumOfCandidates(); ++c) {
      EXPECT_EQ(a.GetCandidate(c)->GetMeasure().GetCoverage(),
                b.GetCandidate(c)->GetMeasure().GetCoverage());
      EXPECT_EQ(a.GetCandidate(c)->GetMeasure().GetResponse(),
                b.GetCandidate(c)->GetMeasure().GetResponse());
    }
  }
  DLExtendingList* second = first->ExtendWith(0);
  std::unique_ptr<DLExtendingList> owned(second);
  std::unique_ptr<DLList> made(second->ToList());
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetNumOfRules(), 2);
  EXPECT_EQ(made->GetMeasure().GetResponse(), 80);
  EXPECT_EQ(second->GetNumOfFixedRules(), 0);
  EXPECT_EQ(second->ToList(), nullptr);
}

TEST_F(ExtendingTest, ListWithNothingToFindKeepsNoEmptyRule) {
  DLBitSet none(data->GetNumOfCases());
  none.AddElements(300, 400);  // only g = 3 cases: nothing stands out
  query.SetCaseSpace(&none);
  DLExtendingList list(params, query, *view);
  bool extended = true;
  ASSERT_TRUE(list.ExtendRules(extended).IsOK());
  EXPECT_FALSE(extended);
  EXPECT_EQ(list.GetNumOfExtendingRules(), 0);
}

TEST_F(ExtendingTest, RuleSelectionReportsAndStopsOnCancel) {
  search_testing::RecordingListener listener;
  search_testing::CancelAt cancel(6);
  params.SetProgressListener(&listener);
  params.SetCancelPointer(&cancel);
  DLExtendingList list(params, query, *view);
  bool extended = false;
  // Polls: the start of ExtendRules (1), before the one breakdown pass over g, x and y (2),
  // before the candidates of x and of y (3, 4; g's come first, unpolled), the start of the
  // selection (5) and after the first rule taken (6: cancel). The rule taken is dropped; the
  // search rule left behind has no segments and is dropped too.
  EXPECT_EQ(list.ExtendRules(extended).GetErrorCode(), 1);
  EXPECT_TRUE(extended);
  EXPECT_EQ(cancel.GetPolls(), 6);
  ASSERT_EQ(listener.reports.size(), 1u);
  EXPECT_EQ(listener.reports[0].candidates, 1);
  EXPECT_EQ(list.GetNumOfExtendingRules(), 0);
}

}  // namespace
