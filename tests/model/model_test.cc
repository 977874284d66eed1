// Tests of DLModel: lists measured in stages, case spaces, the refreshed flags, ownership of
// lists handed in, copying and the dump.
#include "ruleweave/model/model.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <sstream>
#include <vector>

#include "ruleweave/data/data_query.h"
#include "testing/model_table.h"

namespace {

using model_testing::Equal;
using model_testing::Ids;
using model_testing::RandomTable;
using model_testing::RuleOf;
using model_testing::SetOf;
using model_testing::TableShape;

// A list on `table` with the given rules, its query holding `space`.
DLList* ListOf(const RandomTable& table, const DLBitSet* space, std::vector<DLRule*> rules) {
  return new DLList(table.Data(), table.Query(space), DLMeasure(), DLBitSet(table.NumCases()),
                    rules);
}

// Ids of `space` (all cases when null) not covered by any rule of `rules`, first hit aside.
std::vector<int> Uncovered(const RandomTable& table, const DLBitSet* space, const DLList& list) {
  std::vector<int> out;
  for (int id = 0; id < table.NumCases(); ++id) {
    if (space != nullptr && !space->HasElement(id)) continue;
    bool hit = false;
    for (int k = 0; k < list.GetNumOfRules() && !hit; ++k) hit = table.Covers(*list.GetRule(k), id);
    if (!hit) out.push_back(id);
  }
  return out;
}

class DLModelTest : public ::testing::Test {
 protected:
  DLModelTest() : table(TableShape{}) {}
  // Two stages: c0 = 0, then c1 = 1 / c1 = 2.
  std::unique_ptr<DLModel> TwoStages(const DLBitSet* space) {
    std::vector<DLList*> lists = {
        ListOf(table, space, {RuleOf({Equal("c0", 0)})}),
        ListOf(table, space, {RuleOf({Equal("c1", 1)}), RuleOf({Equal("c1", 2)})})};
    return std::make_unique<DLModel>(table.Data(), lists);
  }

  RandomTable table;
};

TEST_F(DLModelTest, NewModelIsRefreshedAndHasNothingToRefresh) {
  DLModel empty;
  EXPECT_TRUE(empty.IsRefreshed());
  EXPECT_TRUE(empty.IsEmpty());
  EXPECT_FALSE(empty.RefreshMeasure());  // no data set
  std::unique_ptr<DLModel> model = TwoStages(nullptr);
  EXPECT_TRUE(model->IsRefreshed());
  EXPECT_FALSE(model->RefreshMeasure());  // already refreshed
  EXPECT_EQ(model->GetDataSet(), &table.Data());
  EXPECT_EQ(model->GetList(2), nullptr);
  EXPECT_EQ(model->GetList(-1), nullptr);
}

TEST_F(DLModelTest, CaseSpaceComesFromTheFirstListsQuery) {
  const DLBitSet space = SetOf(table.NumCases(), {0, 2, 4});
  std::unique_ptr<DLModel> model = TwoStages(&space);
  // SetCaseSpace with an equal set is refused and clears nothing.
  DLBitSet same(space);
  EXPECT_FALSE(model->SetCaseSpace(&same));
  EXPECT_TRUE(model->IsRefreshed());
  EXPECT_TRUE(model->GetList(0)->IsRefreshed());
  EXPECT_TRUE(TwoStages(nullptr)->SetCaseSpace(&same));
  EXPECT_FALSE(TwoStages(nullptr)->SetCaseSpace(nullptr));
}

TEST_F(DLModelTest, SecondListIsMeasuredOnTheFirstListsRemainder) {
  std::unique_ptr<DLModel> model = TwoStages(nullptr);
  std::mt19937 rng(3);
  DLBitSet space = model_testing::RandomSubset(table.NumCases(), 0.7, rng);
  ASSERT_TRUE(model->SetCaseSpace(&space));
  EXPECT_FALSE(model->IsRefreshed());
  EXPECT_FALSE(model->GetList(0)->IsRefreshed());
  EXPECT_FALSE(model->GetList(1)->IsRefreshed());
  EXPECT_EQ(std::unique_ptr<const DLBitSet>(model->GetRemainder()), nullptr);
  EXPECT_EQ(std::unique_ptr<DLMeasure>(model->GetRemainderMeasure()), nullptr);

  ASSERT_TRUE(model->RefreshMeasure());
  EXPECT_TRUE(model->IsRefreshed());
  const std::vector<int> rest1 = Uncovered(table, &space, *model->GetList(0));
  const DLBitSet rest1Set = SetOf(table.NumCases(), rest1);
  EXPECT_EQ(*model->GetList(1)->GetDataQuery()->GetCaseSpace(), rest1Set);
  const std::vector<int> rest2 = Uncovered(table, &rest1Set, *model->GetList(1));
  std::unique_ptr<const DLBitSet> remainder(model->GetRemainder());
  ASSERT_NE(remainder, nullptr);
  EXPECT_EQ(Ids(*remainder), rest2);
  std::unique_ptr<DLMeasure> restMeasure(model->GetRemainderMeasure());
  ASSERT_NE(restMeasure, nullptr);
  EXPECT_EQ(restMeasure->GetCoverage(), table.Measure(rest2).GetCoverage());
  EXPECT_EQ(restMeasure->GetResponse(), table.Measure(rest2).GetResponse());
  // The second list's measure counts only cases the first list left.
  for (int id : Ids(*model->GetList(1)->GetCoverage())) {
    EXPECT_TRUE(rest1Set.HasElement(id));
  }
}

TEST_F(DLModelTest, SkippedListPassesOnTheSpaceItWouldHaveReceived) {
  std::unique_ptr<DLModel> partial = TwoStages(nullptr);
  partial->ClearMeasure();
  // The first list is refreshed on its own beforehand, so the model's refresh skips it and the
  // second list is measured on the model's case space (all cases), not on its remainder.
  const_cast<DLList*>(partial->GetList(0))->RefreshMeasure(nullptr);
  ASSERT_TRUE(partial->RefreshMeasure());
  EXPECT_EQ(partial->GetList(1)->GetDataQuery()->GetCaseSpace(), nullptr);
  const std::vector<int> rest = Uncovered(table, nullptr, *partial->GetList(1));
  std::unique_ptr<const DLBitSet> remainder(partial->GetRemainder());
  EXPECT_EQ(Ids(*remainder), rest);
}

TEST_F(DLModelTest, EditsMarkOnlyTheModel) {
  std::unique_ptr<DLModel> model = TwoStages(nullptr);
  model->ClearMeasure();
  ASSERT_TRUE(model->RefreshMeasure());

  EXPECT_FALSE(model->AddList(nullptr));
  EXPECT_FALSE(model->InsertList(nullptr, 0));
  EXPECT_FALSE(model->SetList(nullptr, 0));
  EXPECT_FALSE(model->RemoveList(2));
  EXPECT_TRUE(model->IsRefreshed());

  DLList* added = new DLList();
  added->AddRule(RuleOf({Equal("c0", 1)}));
  EXPECT_TRUE(model->AddList(added));
  EXPECT_EQ(added->GetDataSet(), &table.Data());
  EXPECT_FALSE(model->IsRefreshed());
  EXPECT_TRUE(model->GetList(0)->IsRefreshed());
  EXPECT_EQ(std::unique_ptr<const DLBitSet>(model->GetRemainder()), nullptr);

  DLList* front = new DLList();
  EXPECT_TRUE(model->InsertList(front, -2));
  EXPECT_EQ(model->GetList(0), front);
  EXPECT_EQ(front->GetDataSet(), &table.Data());
  EXPECT_TRUE(model->InsertList(new DLList(), 10));
  EXPECT_EQ(model->GetNumOfLists(), 5);

  DLList replacement;
  replacement.AddRule(RuleOf({Equal("c1", 0)}));
  EXPECT_TRUE(model->SetList(&replacement, 0));
  EXPECT_NE(model->GetList(0), &replacement);
  EXPECT_EQ(model->GetList(0)->GetDataSet(), &table.Data());
  EXPECT_FALSE(model->SetList(&replacement, 0));  // now equal
  EXPECT_TRUE(model->RemoveList(4));
  EXPECT_EQ(model->GetNumOfLists(), 4);
}

TEST_F(DLModelTest, TheSameListObjectIsTakenOnlyOnce) {
  DLModel model;
  DLList* l = new DLList();
  ASSERT_TRUE(model.AddList(l));
  EXPECT_FALSE(model.AddList(l));
  EXPECT_FALSE(model.InsertList(l, 0));
  EXPECT_EQ(model.GetNumOfLists(), 1);
}

TEST_F(DLModelTest, RefreshFailsWhenAListRefuses) {
  std::unique_ptr<DLModel> model = TwoStages(nullptr);
  model->AddList(new DLList());  // no query: refuses to refresh
  model->ClearMeasure();
  EXPECT_FALSE(model->RefreshMeasure());
  EXPECT_FALSE(model->IsRefreshed());
  EXPECT_TRUE(model->GetList(0)->IsRefreshed());
  EXPECT_TRUE(model->GetList(1)->IsRefreshed());
}

TEST_F(DLModelTest, RemoveRemainderRuleRemovesOnlyAnEmptyLastRule) {
  std::unique_ptr<DLModel> model = TwoStages(nullptr);
  model->RemoveRemainderRule();
  EXPECT_EQ(model->GetList(1)->GetNumOfRules(), 2);
  model->AddList(ListOf(table, nullptr, {RuleOf({Equal("c0", 1)}), new DLRule()}));
  ASSERT_TRUE(model->RefreshMeasure());
  model->RemoveRemainderRule();
  EXPECT_EQ(model->GetList(2)->GetNumOfRules(), 1);
  EXPECT_TRUE(model->IsRefreshed());
  model->RemoveRemainderRule();
  EXPECT_EQ(model->GetList(2)->GetNumOfRules(), 1);
  DLModel().RemoveRemainderRule();
}

TEST_F(DLModelTest, CopyListsReplacesWhatTheVectorHeld) {
  std::unique_ptr<DLModel> model = TwoStages(nullptr);
  std::vector<DLList*> out = {new DLList(), new DLList(), new DLList()};
  model->CopyLists(out);  // the three lists are deleted (the sanitizer build checks)
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(*out[0], *model->GetList(0));
  EXPECT_NE(out[0], model->GetList(0));
  for (DLList* l : out) delete l;
}

TEST_F(DLModelTest, CopiesHaveTheirOwnLists) {
  std::unique_ptr<DLModel> model = TwoStages(nullptr);
  const DLBitSet space = SetOf(table.NumCases(), {1, 2, 3});
  DLBitSet spaceCopy(space);
  model->SetCaseSpace(&spaceCopy);
  DLModel copy(*model);
  EXPECT_EQ(copy.GetDataSet(), model->GetDataSet());
  EXPECT_FALSE(copy.IsRefreshed());
  copy.RemoveList(0);
  EXPECT_EQ(model->GetNumOfLists(), 2);
  // Same case space: refused on the copy too.
  EXPECT_FALSE(copy.SetCaseSpace(&spaceCopy));

  DLModel assigned;
  assigned = *model;
  EXPECT_EQ(assigned.GetNumOfLists(), 2);
  EXPECT_NE(assigned.GetList(0), model->GetList(0));
  assigned = assigned;  // NOLINT: self-assignment changes nothing
  EXPECT_EQ(assigned.GetNumOfLists(), 2);
  ASSERT_TRUE(assigned.RefreshMeasure());
  EXPECT_EQ(*assigned.GetList(0)->GetDataQuery()->GetCaseSpace(), space);
}

TEST_F(DLModelTest, DisplayWritesEveryList) {
  DLList* one = new DLList();
  DLList* two = new DLList();
  two->AddRule(RuleOf({Equal("c0", 1)}));
  DLModel model(table.Data(), {one, two});
  std::ostringstream os;
  model.Display(os);
  EXPECT_EQ(os.str(),
            "List: 0\n"
            "Prob: missing\tCover: 0\tFreq: 0\n"
            "List: 1\n"
            "Prob: missing\tCover: 0\tFreq: 0\n"
            "\tRule: 0\n"
            "Prob: missing\tCover: 0\tFreq: 0\n"
            "\n\t\t\tSeg: 0 c0 = 1");
}

TEST_F(DLModelTest, SetDataSetReachesEveryList) {
  DLModel model;
  DLList* list = new DLList();
  model.AddList(list);
  EXPECT_EQ(list->GetDataSet(), nullptr);
  model.SetDataSet(table.Data());
  EXPECT_EQ(list->GetDataSet(), &table.Data());
  EXPECT_FALSE(model.IsRefreshed());  // from AddList, not from SetDataSet
}

}  // namespace
