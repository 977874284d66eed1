// Tests of DLList: first-hit measuring against a brute-force recount, remainders, edits and the
// refreshed flag, copying, equality and the dump.
#include "ruleweave/model/list.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>
#include <vector>

#include "ruleweave/data/data_query.h"
#include "ruleweave/data/data_set.h"
#include "ruleweave/foundation/exceptions.h"
#include "testing/model_table.h"

namespace {

using model_testing::Equal;
using model_testing::Ids;
using model_testing::RandomTable;
using model_testing::RuleOf;
using model_testing::SetOf;
using model_testing::TableShape;

// A list on `table` holding `rules`, cleared so that the next refresh measures everything.
std::unique_ptr<DLList> ClearedList(const RandomTable& table, const std::vector<DLRule*>& rules) {
  DLBitSet none(table.NumCases());
  auto list = std::make_unique<DLList>(table.Data(), table.Query(), DLMeasure(), none, rules);
  list->ClearMeasure();
  return list;
}

void ExpectSameMeasure(const DLMeasure& got, const DLMeasure& want, const std::string& what) {
  EXPECT_EQ(got.GetCoverage(), want.GetCoverage()) << what;
  EXPECT_EQ(got.GetResponse(), want.GetResponse()) << what;
}

// Refreshes a list of random rules on random case spaces and recounts every measure by looping
// over the cases: each case goes to the first rule that covers it.
void CheckFirstHit(const TableShape& shape) {
  RandomTable table(shape);
  std::mt19937 rng(shape.seed + 100);
  const int n = table.NumCases();
  for (int round = 0; round < 12; ++round) {
    std::vector<DLRule*> rules;
    const int numRules = 1 + round % 5;
    for (int k = 0; k < numRules; ++k) rules.push_back(table.RandomRule(rng, 3));
    std::unique_ptr<DLList> list = ClearedList(table, rules);

    std::unique_ptr<DLBitSet> space;
    if (round % 2 == 1) {
      space = std::make_unique<DLBitSet>(model_testing::RandomSubset(n, 0.6, rng));
    }
    ASSERT_TRUE(list->RefreshMeasure(space.get()));
    ASSERT_TRUE(list->IsRefreshed());

    std::vector<std::vector<int>> taken(static_cast<std::size_t>(numRules));
    std::vector<int> covered, remainder;
    for (int id = 0; id < n; ++id) {
      if (space && !space->HasElement(id)) continue;
      int hit = -1;
      for (int k = 0; k < numRules && hit < 0; ++k) {
        if (table.Covers(*list->GetRule(k), id)) hit = k;
      }
      if (hit < 0) {
        remainder.push_back(id);
      } else {
        taken[static_cast<std::size_t>(hit)].push_back(id);
        covered.push_back(id);
      }
    }
    const std::string where = "round " + std::to_string(round);
    for (int k = 0; k < numRules; ++k) {
      const DLRule& rule = *list->GetRule(k);
      EXPECT_TRUE(rule.IsRefreshed());
      ASSERT_NE(rule.GetCoverage(), nullptr);
      EXPECT_EQ(Ids(*rule.GetCoverage()), taken[static_cast<std::size_t>(k)]) << where;
      ExpectSameMeasure(rule.GetMeasure(), table.Measure(taken[static_cast<std::size_t>(k)]),
                        where + " rule " + std::to_string(k));
    }
    ASSERT_NE(list->GetCoverage(), nullptr);
    EXPECT_EQ(Ids(*list->GetCoverage()), covered) << where;
    ExpectSameMeasure(list->GetMeasure(), table.Measure(covered), where + " list");
    std::unique_ptr<DLBitSet> rest(list->GetRemainder());
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(Ids(*rest), remainder) << where;
    std::unique_ptr<DLMeasure> restMeasure(list->GetRemainderMeasure());
    ASSERT_NE(restMeasure, nullptr);
    ExpectSameMeasure(*restMeasure, table.Measure(remainder), where + " remainder");
  }
}

TEST(DLList, FirstHitMatchesBruteForce) { CheckFirstHit(TableShape{}); }

TEST(DLList, FirstHitMatchesBruteForceWithWeights) {
  TableShape shape;
  shape.weighted = true;
  shape.seed = 7;
  CheckFirstHit(shape);
}

TEST(DLList, FirstHitMatchesBruteForceWithLargeCategories) {
  TableShape shape;
  shape.largeCategory = true;
  shape.categories = {3, 300};
  shape.seed = 11;
  CheckFirstHit(shape);
}

TEST(DLList, LaterRuleSeesOnlyWhatEarlierRulesLeft) {
  TableShape shape;
  shape.numCases = 10;
  shape.categories = {2};
  RandomTable table(shape);
  // A takes the cases with c0 = 0; B (c0 is not 1) would take them too, but sees only what A
  // left: the cases where c0 is missing.
  std::vector<int> a, b;
  for (int id = 0; id < 10; ++id) {
    if (table.Value("c0", id) == 0) a.push_back(id);
  }
  for (int id = 0; id < 10; ++id) {
    if (table.Value("c0", id) != 1) b.push_back(id);  // code 0 and missing
  }
  DLSegment* notOne = new DLSegment("c0", false);
  notOne->SetValueSet({1}, /*isIn=*/false);
  std::unique_ptr<DLList> list = ClearedList(table, {RuleOf({Equal("c0", 0)}), RuleOf({notOne})});
  ASSERT_TRUE(list->RefreshMeasure(nullptr));
  std::vector<int> bOnly;
  for (int id : b) {
    if (table.Value("c0", id) != 0) bOnly.push_back(id);
  }
  EXPECT_EQ(Ids(*list->GetRule(0)->GetCoverage()), a);
  EXPECT_EQ(Ids(*list->GetRule(1)->GetCoverage()), bOnly);
  EXPECT_EQ(Ids(*list->GetCoverage()), b);
}

TEST(DLList, RefreshedListIgnoresANewCaseSpaceUntilCleared) {
  RandomTable table(TableShape{});
  const int n = table.NumCases();
  std::unique_ptr<DLList> list = ClearedList(table, {RuleOf({Equal("c0", 0)})});
  ASSERT_TRUE(list->RefreshMeasure(nullptr));
  const DLMeasure all = list->GetMeasure();

  const DLBitSet firstHalf = SetOf(n, [&] {
    std::vector<int> ids;
    for (int i = 0; i < n / 2; ++i) ids.push_back(i);
    return ids;
  }());
  EXPECT_TRUE(list->RefreshMeasure(&firstHalf));
  EXPECT_EQ(list->GetMeasure().GetCoverage(), all.GetCoverage());
  EXPECT_EQ(list->GetDataQuery()->GetCaseSpace(), nullptr);

  list->ClearMeasure();
  EXPECT_FALSE(list->IsRefreshed());
  EXPECT_FALSE(list->GetRule(0)->IsRefreshed());
  EXPECT_EQ(list->GetMeasure().GetCoverage(), 0);
  std::unique_ptr<DLBitSet> none(list->GetRemainder());
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(std::unique_ptr<DLMeasure>(list->GetRemainderMeasure()), nullptr);

  ASSERT_TRUE(list->RefreshMeasure(&firstHalf));
  ASSERT_NE(list->GetDataQuery()->GetCaseSpace(), nullptr);
  EXPECT_EQ(*list->GetDataQuery()->GetCaseSpace(), firstHalf);
  std::unique_ptr<DLBitSet> rest(list->GetRemainder());
  for (int id : Ids(*rest)) EXPECT_LT(id, n / 2);
  EXPECT_LT(list->GetMeasure().GetCoverage(), all.GetCoverage());
}

TEST(DLList, RefreshRefusals) {
  RandomTable table(TableShape{});
  std::unique_ptr<DLList> list = ClearedList(table, {RuleOf({Equal("c0", 0)})});
  DLBitSet wrong(table.NumCases() - 1);
  EXPECT_FALSE(list->RefreshMeasure(&wrong));
  EXPECT_FALSE(list->IsRefreshed());
  EXPECT_EQ(list->GetDataQuery()->GetCaseSpace(), nullptr);

  DLList empty;
  empty.ClearMeasure();
  EXPECT_FALSE(empty.RefreshMeasure(nullptr));  // no data set, no query
  empty.SetDataSet(table.Data());
  EXPECT_FALSE(empty.RefreshMeasure(nullptr));  // no query
  empty.SetDataQuery(table.Query());
  EXPECT_FALSE(empty.IsRefreshed());
  EXPECT_TRUE(empty.RefreshMeasure(nullptr));
}

TEST(DLList, ListWithoutRulesLeavesTheWholeCaseSpace) {
  RandomTable table(TableShape{});
  const int n = table.NumCases();
  DLList list;
  EXPECT_TRUE(list.IsRefreshed());
  EXPECT_EQ(std::unique_ptr<DLBitSet>(list.GetRemainder()), nullptr);  // no coverage set yet
  list.SetDataSet(table.Data());
  list.SetDataQuery(table.Query());
  list.ClearMeasure();
  const DLBitSet space = SetOf(n, {1, 5, 9});
  ASSERT_TRUE(list.RefreshMeasure(&space));
  EXPECT_EQ(list.GetMeasure().GetCoverage(), 0);
  EXPECT_EQ(list.GetMeasure().GetResponse(), 0);
  ASSERT_NE(list.GetCoverage(), nullptr);
  EXPECT_TRUE(list.GetCoverage()->IsEmpty());
  std::unique_ptr<DLBitSet> rest(list.GetRemainder());
  EXPECT_EQ(*rest, space);
}

TEST(DLList, EditsClearTheRefreshedFlagAndRefusalsChangeNothing) {
  RandomTable table(TableShape{});
  std::unique_ptr<DLList> list = ClearedList(table, {RuleOf({Equal("c0", 0)})});
  ASSERT_TRUE(list->RefreshMeasure(nullptr));

  EXPECT_FALSE(list->AddRule(nullptr));
  EXPECT_FALSE(list->InsertRule(nullptr, 0));
  EXPECT_FALSE(list->SetRule(nullptr, 0));
  EXPECT_FALSE(list->RemoveRule(1));
  EXPECT_FALSE(list->RemoveRule(-1));
  DLRule same;
  same.AddSegment(Equal("c0", 0));
  EXPECT_FALSE(list->SetRule(&same, 0));  // equal to rule 0
  DLRule other;
  other.AddSegment(Equal("c0", 1));
  EXPECT_FALSE(list->SetRule(&other, 1));  // out of range
  EXPECT_TRUE(list->IsRefreshed());
  list->SetDataSet(table.Data());
  list->SetDataQuery(table.Query());
  EXPECT_TRUE(list->IsRefreshed());

  EXPECT_TRUE(list->AddRule(RuleOf({Equal("c1", 2)})));
  EXPECT_FALSE(list->IsRefreshed());
  ASSERT_TRUE(list->RefreshMeasure(nullptr));
  // Inserting in front of a negative position puts the rule first; a large one appends.
  EXPECT_TRUE(list->InsertRule(RuleOf({Equal("c1", 3)}), -4));
  EXPECT_EQ(list->GetRule(0)->GetSegment(0)->GetValueEqualTo(), 3);
  EXPECT_TRUE(list->InsertRule(RuleOf({Equal("c1", 4)}), 99));
  EXPECT_EQ(list->GetRule(3)->GetSegment(0)->GetValueEqualTo(), 4);
  ASSERT_TRUE(list->RefreshMeasure(nullptr));

  DLRule labelled;
  labelled.AddSegment(Equal("c1", 5));
  labelled.SetLabel("new");
  EXPECT_TRUE(list->SetRule(&labelled, 1));
  EXPECT_FALSE(list->IsRefreshed());
  EXPECT_EQ(list->GetRule(1)->GetSegment(0)->GetAttrName(), "c1");
  EXPECT_EQ(list->GetRule(1)->GetLabel(), "");
  ASSERT_TRUE(list->RefreshMeasure(nullptr));
  EXPECT_TRUE(list->RemoveRule(0));
  EXPECT_FALSE(list->IsRefreshed());
  EXPECT_EQ(list->GetNumOfRules(), 3);
  EXPECT_EQ(list->GetRule(3), nullptr);
  EXPECT_EQ(list->GetRule(-1), nullptr);
}

TEST(DLList, TheSameRuleObjectIsTakenOnlyOnce) {
  DLList list;
  DLRule* r = RuleOf({Equal("c0", 0)});
  ASSERT_TRUE(list.AddRule(r));
  EXPECT_FALSE(list.AddRule(r));  // taking it twice would delete it twice
  EXPECT_FALSE(list.InsertRule(r, 0));
  EXPECT_EQ(list.GetNumOfRules(), 1);
  EXPECT_TRUE(list.AddRule(RuleOf({Equal("c0", 0)})));  // an equal rule is fine
}

TEST(DLList, ConstructorRemovesRedundantSegments) {
  RandomTable table(TableShape{});
  DLRule* rule = new DLRule(DLMeasure(3, 1), DLBitSet(table.NumCases()),
                            {Equal("c0", 0), Equal("c1", 1), Equal("c0", 1)}, DLConst::Up);
  DLList list(table.Data(), table.Query(), DLMeasure(3, 1), DLBitSet(table.NumCases()), {rule});
  EXPECT_TRUE(list.IsRefreshed());
  ASSERT_EQ(list.GetRule(0)->GetNumOfSegments(), 2);
  EXPECT_EQ(list.GetRule(0)->GetSegment(0)->GetAttrName(), "c1");
  EXPECT_EQ(list.GetRule(0)->GetSegment(1)->GetValueEqualTo(), 1);
  EXPECT_FALSE(list.GetRule(0)->IsRefreshed());
}

TEST(DLList, CopiesAreDeepAndKeepTheFlag) {
  RandomTable table(TableShape{});
  std::unique_ptr<DLList> list = ClearedList(table, {RuleOf({Equal("c0", 0)})});
  const_cast<DLRule*>(list->GetRule(0))->SetLabel("R1");

  DLList notRefreshed(*list);
  EXPECT_FALSE(notRefreshed.IsRefreshed());
  EXPECT_EQ(notRefreshed.GetDataSet(), &table.Data());
  EXPECT_EQ(notRefreshed.GetRule(0)->GetLabel(), "");

  ASSERT_TRUE(list->RefreshMeasure(nullptr));
  DLList copy(*list);
  EXPECT_TRUE(copy.IsRefreshed());
  EXPECT_NE(copy.GetRule(0), list->GetRule(0));
  EXPECT_EQ(*copy.GetCoverage(), *list->GetCoverage());
  EXPECT_NE(copy.GetDataQuery(), list->GetDataQuery());
  EXPECT_EQ(*copy.GetDataQuery(), *list->GetDataQuery());

  DLList assigned;
  assigned = notRefreshed;
  EXPECT_FALSE(assigned.IsRefreshed());
  assigned = *list;
  EXPECT_TRUE(assigned.IsRefreshed());
  EXPECT_EQ(assigned, *list);
  assigned = assigned;  // NOLINT: self-assignment keeps everything
  EXPECT_EQ(assigned.GetNumOfRules(), 1);

  copy.AddRule(RuleOf({Equal("c1", 0)}));
  EXPECT_EQ(list->GetNumOfRules(), 1);
  EXPECT_NE(copy, *list);
}

TEST(DLList, EqualityIgnoresOrder) {
  DLList a, b;
  a.AddRule(RuleOf({Equal("c0", 0)}));
  a.AddRule(RuleOf({Equal("c1", 1), Equal("c0", 1)}));
  b.AddRule(RuleOf({Equal("c0", 1), Equal("c1", 1)}));
  b.AddRule(RuleOf({Equal("c0", 0)}));
  EXPECT_EQ(a, b);
  b.AddRule(RuleOf({}));
  EXPECT_NE(a, b);
}

TEST(DLList, DisplayWritesMeasureAndRules) {
  RandomTable table(TableShape{});
  std::vector<int> ids = {0, 1, 2, 3};
  DLRule* r0 =
      new DLRule(DLMeasure(4, 1), SetOf(table.NumCases(), ids), {Equal("c0", 1)}, DLConst::Up);
  DLRule* r1 = new DLRule(DLMeasure(0, 0), SetOf(table.NumCases(), {}), {}, DLConst::Down);
  DLList list(table.Data(), table.Query(), DLMeasure(3, 1), SetOf(table.NumCases(), ids), {r0, r1});
  std::ostringstream os;
  list.Display(os);
  EXPECT_EQ(os.str(),
            "Prob: 0.3333333333333333\tCover: 3\tFreq: 1\n"
            "\tRule: 0\n"
            "Prob: 0.25\tCover: 4\tFreq: 1\n"
            "\n\t\t\tSeg: 0 c0 = 1"
            "\tRule: 1\n"
            "Prob: missing\tCover: 0\tFreq: 0\n");
}

TEST(DLList, RefreshOnAViewWithoutCasesThrows) {
  DLVarList vars;
  vars.AddCatVar("c", "", std::vector<double>{0, 1}, true, IDLVar::kPredictor, IDLVar::kInteger);
  vars.AddCatVar("y", "", std::vector<double>{0, 1}, true, IDLVar::kTarget, IDLVar::kInteger);
  DLDataSet empty(vars, false);
  DLDataQuery query(nullptr, {"c"}, "y", "1");
  DLList list;
  list.SetDataSet(empty);
  list.SetDataQuery(query);
  list.AddRule(new DLRule());
  try {
    list.RefreshMeasure(nullptr);
    FAIL() << "no exception";
  } catch (const QXDecision::ConstructorException& e) {
    EXPECT_EQ(e.GetMessage(),
              "CANNOT CREATE OBJECT of DLDataView:\nPre-condition is not satisfied: ( "
              "dataset.NumOfCases > 0 )");
  }
  EXPECT_FALSE(list.IsRefreshed());
}

}  // namespace
