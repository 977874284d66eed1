// Tests of DLRule: ownership of segments (also when refused), the edits and the refreshed flag,
// redundant segments, copying without the label, equality, measuring and the dump.
#include "ruleweave/model/rule.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

#include "data/data_views.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/foundation/exceptions.h"
#include "testing/model_table.h"

namespace {

using model_testing::Equal;
using model_testing::Ids;
using model_testing::RandomTable;
using model_testing::SetOf;
using model_testing::TableShape;

std::vector<std::string> Names(const DLRule& r) {
  std::vector<std::string> names;
  for (int i = 0; i < r.GetNumOfSegments(); ++i) names.push_back(r.GetSegment(i)->GetAttrName());
  return names;
}

TEST(DLRule, NewRuleIsEmptyAndRefreshed) {
  DLRule r;
  EXPECT_TRUE(r.IsEmpty());
  EXPECT_TRUE(r.IsRefreshed());
  EXPECT_EQ(r.GetCoverage(), nullptr);
  EXPECT_EQ(r.GetMeasure().GetCoverage(), 0);
  EXPECT_EQ(r.GetSearchDirection(), DLConst::Up);
  EXPECT_FALSE(r.GetDisableFlag());
  EXPECT_EQ(r.GetLabel(), "");
  EXPECT_EQ(r.GetSegment(0), nullptr);
}

TEST(DLRule, ConstructorRefusesNullOrInvalidSegmentsAndFreesThem) {
  const DLBitSet cover(10);
  EXPECT_THROW(DLRule(DLMeasure(), cover, {Equal("a", 1), nullptr}, DLConst::Up),
               QXDecision::ConstructorException);
  try {
    DLRule(DLMeasure(), cover, {Equal("a", 1), new DLSegment("b", false)}, DLConst::Down);
    FAIL() << "no exception";
  } catch (const QXDecision::ConstructorException& e) {
    EXPECT_EQ(e.GetMessage(),
              "CANNOT CREATE OBJECT of DLRule:\nPre-condition is not satisfied: ( each segment "
              "is valid )");
  }
  // The leak checker of the sanitizer build sees that the segments above were deleted.
  DLRule r(DLMeasure(4, 2), SetOf(10, {1, 2, 3, 4}), {Equal("a", 1), Equal("b", 2)}, DLConst::Down);
  EXPECT_TRUE(r.IsRefreshed());
  EXPECT_EQ(r.GetSearchDirection(), DLConst::Down);
  EXPECT_EQ(Ids(*r.GetCoverage()), std::vector<int>({1, 2, 3, 4}));
  EXPECT_EQ(r.GetMeasure().GetResponse(), 2);
}

TEST(DLRule, RefusedSegmentsStayTheCallers) {
  DLRule r;
  std::unique_ptr<DLSegment> first(Equal("age", 3));
  ASSERT_TRUE(r.AddSegment(first.release()));
  EXPECT_FALSE(r.IsRefreshed());

  std::unique_ptr<DLSegment> again(Equal("age", 4));
  EXPECT_FALSE(r.AddSegment(again.get()));
  EXPECT_FALSE(r.InsertSegment(again.get(), 0));
  std::unique_ptr<DLSegment> invalid(new DLSegment("b", false));
  EXPECT_FALSE(r.AddSegment(invalid.get()));
  EXPECT_FALSE(r.InsertSegment(invalid.get(), 0));
  EXPECT_FALSE(r.AddSegment(nullptr));
  EXPECT_EQ(r.GetNumOfSegments(), 1);
  // unique_ptrs above still own what was refused: no double free, no leak.
}

TEST(DLRule, InsertPositions) {
  DLRule r;
  ASSERT_TRUE(r.AddSegment(Equal("b", 1)));
  ASSERT_TRUE(r.InsertSegment(Equal("a", 1), -3));
  ASSERT_TRUE(r.InsertSegment(Equal("d", 1), 7));
  ASSERT_TRUE(r.InsertSegment(Equal("c", 1), 2));
  EXPECT_EQ(Names(r), std::vector<std::string>({"a", "b", "c", "d"}));
}

TEST(DLRule, SetSegmentCopiesAndRefuses) {
  RandomTable table(TableShape{});
  DLRule r;
  r.AddSegment(Equal("c0", 1));
  r.AddSegment(Equal("c1", 2));
  r.RefreshMeasure(DLRawDataView(table.Data(), table.Query()), DLBitSet(table.NumCases()));
  ASSERT_TRUE(r.IsRefreshed());

  DLSegment same("c0", false);
  same.SetValueEqualTo(1);
  EXPECT_FALSE(r.SetSegment(&same, 0));  // no change
  EXPECT_TRUE(r.IsRefreshed());
  DLSegment clash("c1", false);
  clash.SetValueEqualTo(0);
  EXPECT_FALSE(r.SetSegment(&clash, 0));  // c1 is tested by segment 1
  EXPECT_FALSE(r.SetSegment(&clash, 2));
  EXPECT_FALSE(r.SetSegment(&clash, -1));
  EXPECT_FALSE(r.SetSegment(nullptr, 0));
  DLSegment invalid("z", false);
  EXPECT_FALSE(r.SetSegment(&invalid, 0));
  EXPECT_TRUE(r.IsRefreshed());

  EXPECT_TRUE(r.SetSegment(&clash, 1));  // same attribute as the segment it replaces
  EXPECT_FALSE(r.IsRefreshed());
  DLSegment other("x", false);
  other.SetRange(1, 2, false, false);
  EXPECT_TRUE(r.SetSegment(&other, 0));
  EXPECT_EQ(Names(r), std::vector<std::string>({"x", "c1"}));
  EXPECT_NE(r.GetSegment(0), &other);  // a copy
  other.SetAsMissingSegment();
  EXPECT_EQ(r.GetSegment(0)->GetOperator(), DLConst::OpRange);
}

TEST(DLRule, RemoveRedundantSegmentsKeepsTheLaterOne) {
  DLRule r(DLMeasure(), DLBitSet(4), {Equal("a", 1), Equal("b", 1), Equal("a", 2)}, DLConst::Up);
  ASSERT_TRUE(r.IsRefreshed());
  r.RemoveRedundantSegments();
  EXPECT_EQ(Names(r), std::vector<std::string>({"b", "a"}));
  EXPECT_EQ(r.GetSegment(1)->GetValueEqualTo(), 2);
  EXPECT_FALSE(r.IsRefreshed());

  DLRule runs(DLMeasure(), DLBitSet(4),
              {Equal("a", 1), Equal("a", 2), Equal("a", 3), Equal("b", 1), Equal("b", 2)},
              DLConst::Up);
  runs.RemoveRedundantSegments();
  EXPECT_EQ(Names(runs), std::vector<std::string>({"a", "b"}));
  EXPECT_EQ(runs.GetSegment(0)->GetValueEqualTo(), 3);

  DLRule clean(DLMeasure(), DLBitSet(4), {Equal("a", 1), Equal("b", 1)}, DLConst::Up);
  clean.RemoveRedundantSegments();
  EXPECT_TRUE(clean.IsRefreshed());
  EXPECT_EQ(clean.GetNumOfSegments(), 2);
}

TEST(DLRule, CopiesDropTheLabelAndAssignmentKeepsTheTargets) {
  DLRule r(DLMeasure(2, 1), SetOf(8, {1, 6}), {Equal("a", 1)}, DLConst::Down);
  r.SetLabel("R1");
  r.SetDisableFlag(true);
  DLRule copy(r);
  EXPECT_EQ(copy.GetLabel(), "");
  EXPECT_TRUE(copy.GetDisableFlag());
  EXPECT_EQ(copy.GetSearchDirection(), DLConst::Down);
  EXPECT_EQ(*copy.GetCoverage(), *r.GetCoverage());
  EXPECT_NE(copy.GetCoverage(), r.GetCoverage());
  EXPECT_NE(copy.GetSegment(0), r.GetSegment(0));
  EXPECT_EQ(copy, r);

  DLRule target;
  target.SetLabel("mine");
  target.AddSegment(Equal("z", 1));
  target = r;
  EXPECT_EQ(target.GetLabel(), "mine");
  EXPECT_TRUE(target.IsRefreshed());
  EXPECT_EQ(Names(target), std::vector<std::string>({"a"}));
  target = target;  // NOLINT: self-assignment changes nothing
  EXPECT_EQ(target.GetNumOfSegments(), 1);

  DLRule unmeasured;
  unmeasured.AddSegment(Equal("q", 1));
  target = unmeasured;
  EXPECT_EQ(target.GetCoverage(), nullptr);
  EXPECT_FALSE(target.IsRefreshed());
  EXPECT_FALSE(DLRule(unmeasured).IsRefreshed());
}

TEST(DLRule, EqualityBySegmentSets) {
  DLRule a, b;
  a.AddSegment(Equal("a", 1));
  a.AddSegment(Equal("b", 2));
  b.AddSegment(Equal("b", 2));
  b.AddSegment(Equal("a", 1));
  b.SetLabel("other");
  EXPECT_EQ(a, b);
  b.RemoveSegment(0);
  EXPECT_NE(a, b);
  b.AddSegment(Equal("b", 3));
  EXPECT_NE(a, b);
  EXPECT_FALSE(b.RemoveSegment(2));
}

TEST(DLRule, RefreshMeasuresTheCoveredCasesOfTheSpace) {
  RandomTable table(TableShape{});
  const int n = table.NumCases();
  const DLDataQuery query = table.Query();
  DLRawDataView view(table.Data(), query);
  std::mt19937 rng(5);
  const DLBitSet space = model_testing::RandomSubset(n, 0.5, rng);

  DLRule all;
  all.ClearMeasure();
  all.RefreshMeasure(view, space);
  EXPECT_EQ(*all.GetCoverage(), space);
  EXPECT_EQ(all.GetMeasure().GetCoverage(), space.GetNumOfElements());

  DLRule r;
  r.AddSegment(Equal("c0", 0));
  DLSegment* range = new DLSegment("x", false);
  range->SetRange(20, 60, true, false);
  r.AddSegment(range);
  r.AddSegment(Equal("nosuch", 1));  // the view lacks it: no restriction
  r.RefreshMeasure(view, space);
  std::vector<int> want;
  for (int id : Ids(space)) {
    const double x = table.Value("x", id);
    if (table.Value("c0", id) == 0 && x > 20 && x <= 60) want.push_back(id);
  }
  EXPECT_EQ(Ids(*r.GetCoverage()), want);
  EXPECT_EQ(r.GetMeasure().GetCoverage(), table.Measure(want).GetCoverage());
  EXPECT_EQ(r.GetMeasure().GetResponse(), table.Measure(want).GetResponse());

  // Refreshed: another space changes nothing until the measure is cleared.
  const DLBitSet everything = [&] {
    DLBitSet s(n);
    s.FillUp();
    return s;
  }();
  r.RefreshMeasure(view, everything);
  EXPECT_EQ(Ids(*r.GetCoverage()), want);
  r.ClearMeasure();
  EXPECT_EQ(r.GetMeasure().GetCoverage(), 0);
  EXPECT_NE(r.GetCoverage(), nullptr);  // the set stays
  r.RefreshMeasure(view, everything);
  EXPECT_GE(r.GetMeasure().GetCoverage(), want.size());

  // A space of the wrong capacity throws and leaves the rule as it was.
  r.ClearMeasure();
  EXPECT_THROW(r.RefreshMeasure(view, DLBitSet(n + 1)), QXDecision::ConstructorException);
  EXPECT_FALSE(r.IsRefreshed());
}

TEST(DLRule, DisplayWritesMeasureAndSegments) {
  DLSegment* range = new DLSegment("age", false);
  range->SetRange(2, 7, true, false);
  DLRule r(DLMeasure(4, 1), SetOf(8, {0, 1, 2, 3}), {Equal("c", 1), range}, DLConst::Up);
  r.SetLabel("hidden");
  std::ostringstream os;
  os.precision(3);
  r.Display(os);
  os << ' ' << 1.0 / 3.0;
  EXPECT_EQ(os.str(),
            "Prob: 0.25\tCover: 4\tFreq: 1\n"
            "\n\t\t\tSeg: 0 c = 1"
            "\n\t\t\tSeg: 1 2 < age <= 7 0.333");

  std::ostringstream third;
  DLRule(DLMeasure(3, 1), DLBitSet(3), {}, DLConst::Up).Display(third);
  EXPECT_EQ(third.str(), "Prob: 0.3333333333333333\tCover: 3\tFreq: 1\n");
}

}  // namespace
