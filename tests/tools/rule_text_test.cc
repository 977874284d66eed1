// Tests of rules and segments written in plain words.
#include "rule_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace ruleweave_cli {
namespace {

constexpr double kBig = std::numeric_limits<double>::max();

class RuleTextTest : public ::testing::Test {
 protected:
  RuleTextTest() {
    vars.AddContVar("age", "", 0, 100, IDLVar::kPredictor);
    vars.AddCatVar("region", "", std::vector<std::string>{"north", "south", "new york"},
                   /*nominal=*/true, IDLVar::kPredictor);
    vars.AddCatVar("edu", "", std::vector<std::string>{"low", "mid", "high"}, /*nominal=*/false,
                   IDLVar::kPredictor);
    vars.AddCatVar("kids", "", std::vector<double>{0, 2, 1}, /*nominal=*/true, IDLVar::kPredictor,
                   IDLVar::kInteger);
  }
  std::string Text(const DLSegment& s) { return SegmentText(s, vars, 255); }

  DLVarList vars;
};

TEST_F(RuleTextTest, ContinuousRangesReadAsIntervalsAndBounds) {
  DLSegment s("age", false);
  s.SetRange(30, 50, /*lowOpen=*/true, /*highOpen=*/false);
  EXPECT_EQ(Text(s), "age in (30, 50]");
  s.SetRange(2.5, 7, /*lowOpen=*/false, /*highOpen=*/true);
  EXPECT_EQ(Text(s), "age in [2.5, 7)");
  s.SetRange(-kBig, 10, /*lowOpen=*/false, /*highOpen=*/false);
  EXPECT_EQ(Text(s), "age <= 10");
  s.SetRange(33.333333333333336, kBig, /*lowOpen=*/true, /*highOpen=*/false);
  EXPECT_EQ(Text(s), "age > 33.3333");
  s.SetRange(-kBig, 4, /*lowOpen=*/false, /*highOpen=*/true);
  EXPECT_EQ(Text(s), "age < 4");
  s.SetValueEqualTo(42);
  EXPECT_EQ(Text(s), "age = 42");
  s.SetAsMissingSegment();
  EXPECT_EQ(Text(s), "age is missing");
  s.SetAsNotMissingSegment();
  EXPECT_EQ(Text(s), "age is not missing");
}

TEST_F(RuleTextTest, CategoryCodesReadAsTheirValues) {
  DLSegment s("region", false);
  s.SetValueSet({0, 2}, /*isIn=*/true);
  EXPECT_EQ(Text(s), "region in {north, \"new york\"}");
  s.SetValueSet({1, 255}, /*isIn=*/true);
  EXPECT_EQ(Text(s), "region in {south, missing}");
  s.SetValueSet({0, 1}, /*isIn=*/false);
  EXPECT_EQ(Text(s), "region not in {north, south}");
  s.SetValueEqualTo(1);
  EXPECT_EQ(Text(s), "region = south");
  DLSegment k("kids", false);
  k.SetValueSet({1, 2}, /*isIn=*/true);
  EXPECT_EQ(Text(k), "kids in {2, 1}");
}

TEST_F(RuleTextTest, OrdinalCodeRangesListTheCategoriesTheyHold) {
  DLSegment s("edu", false);
  s.SetRange(1, 2, /*lowOpen=*/false, /*highOpen=*/false);
  EXPECT_EQ(Text(s), "edu in {mid, high}");
  s.SetRange(0, 1, /*lowOpen=*/true, /*highOpen=*/false);
  EXPECT_EQ(Text(s), "edu = mid");
  // A range up to the missing code holds the missing cases too.
  s.SetRange(2, 255, /*lowOpen=*/false, /*highOpen=*/false);
  EXPECT_EQ(Text(s), "edu in {high, missing}");
}

TEST_F(RuleTextTest, RulesJoinTheirSegments) {
  DLRule rule;
  EXPECT_EQ(RuleText(rule, vars, 255), "(all cases)");
  auto age = std::make_unique<DLSegment>("age", false);
  age->SetRange(30, 50, true, false);
  auto region = std::make_unique<DLSegment>("region", false);
  region->SetValueEqualTo(0);
  ASSERT_TRUE(rule.AddSegment(region.release()));
  ASSERT_TRUE(rule.AddSegment(age.release()));
  EXPECT_EQ(RuleText(rule, vars, 255), "region = north and age in (30, 50]");
}

}  // namespace
}  // namespace ruleweave_cli
