// Tests of DLRuleCoverage, DLListCoverage and DLAttributeMeasure: narrowing by ranges and
// segments, list unions, and the one-pass per-category breakdown checked against splitting the
// covered cases into one set per code and measuring each through the view.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "data/data_views.h"
#include "model/attribute_measure.h"
#include "model/list_coverage.h"
#include "model/rule_coverage.h"
#include "ruleweave/data/data_query.h"
#include "ruleweave/data/data_set.h"
#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/foundation/parameters.h"
#include "ruleweave/foundation/record.h"
#include "ruleweave/foundation/settings.h"
#include "ruleweave/model/segment.h"
#include "ruleweave/variables/var_list.h"
#include "testing/model_table.h"
#include "testing/row_records.h"

namespace {

using model_testing::Ids;
using model_testing::RandomTable;
using model_testing::SetOf;
using model_testing::TableShape;

DLBitSet All(int n) {
  DLBitSet s(n);
  s.FillUp();
  return s;
}

// The breakdown as its definition states it: one set per category and one for the missing code,
// each measured by the view.
void ExpectSplitAndMeasure(const IDLDataView& view, const DLBitSet& covered,
                           const std::string& name, const DLAttributeMeasure& got) {
  const IDLAttribute* attr = view.GetAttribute(name);
  const int n = attr->GetNumOfCategories();
  ASSERT_EQ(got.GetNumOfCategories(), n);
  EXPECT_EQ(got.GetMissingCategory(), attr->GetMissingCategory());
  std::vector<DLBitSet> parts(static_cast<std::size_t>(n + 1), DLBitSet(covered.GetCapacity()));
  for (int id : Ids(covered)) {
    const double code = attr->GetValue(id);
    if (code == attr->GetMissingCategory()) {
      parts[static_cast<std::size_t>(n)].AddElement(id);
    } else {
      parts[static_cast<std::size_t>(code)].AddElement(id);
    }
  }
  for (int i = 0; i <= n; ++i) {
    DLMeasure want;
    view.ComputeMeasure(want, parts[static_cast<std::size_t>(i)]);
    const DLMeasure& have = i < n ? *got.GetMeasure(i) : *got.GetMissingMeasure();
    EXPECT_EQ(have.GetCoverage(), want.GetCoverage()) << name << " category " << i;
    EXPECT_EQ(have.GetResponse(), want.GetResponse()) << name << " category " << i;
  }
}

void CheckAttributeMeasures(const TableShape& shape, bool encoded) {
  RandomTable table(shape);
  const DLDataQuery query = table.Query();
  DLParameters params;
  params.SetNumOfBins(7);
  std::unique_ptr<IDLDataView> view;
  if (encoded) {
    view = std::make_unique<DLEncDataView>(params, table.Data(), query);
  } else {
    view = std::make_unique<DLRawDataView>(table.Data(), query);
  }
  std::mt19937 rng(shape.seed + 1);
  const double shares[] = {1.0, 0.5, 0.05, 0.0};
  for (double p : shares) {
    DLBitSet covered =
        p == 1.0 ? All(table.NumCases()) : model_testing::RandomSubset(table.NumCases(), p, rng);
    DLRuleCoverage coverage(*view, covered);
    std::vector<std::string> names = table.CategoricalNames();
    if (encoded) names.push_back("x");  // binned in the encoded view
    // The group form answers every position of the view in one pass, as the single form does.
    std::vector<int> positions;
    for (const std::string& name : names) positions.push_back(view->GetVarList().FindVar(name));
    const long long code = coverage.GetResponseCode();
    const auto group = coverage.GetAttributeMeasures(positions, code);
    // Likewise with the responder bits of the whole table, as a search shares them with the
    // narrower coverages of a rule.
    const auto responders = DLRuleCoverage(*view, All(table.NumCases())).MakeResponders(code);
    ASSERT_NE(responders, nullptr);
    const auto viaBits = coverage.GetAttributeMeasures(positions, code, responders.get());
    ASSERT_EQ(group.size(), names.size());
    ASSERT_EQ(viaBits.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (covered.IsEmpty()) {
        EXPECT_EQ(group[i], nullptr);
        EXPECT_EQ(viaBits[i], nullptr);
      } else {
        ASSERT_NE(group[i], nullptr) << names[i];
        ExpectSplitAndMeasure(*view, covered, names[i], *group[i]);
        ASSERT_NE(viaBits[i], nullptr) << names[i];
        ExpectSplitAndMeasure(*view, covered, names[i], *viaBits[i]);
      }
    }
    for (const std::string& name : names) {
      std::unique_ptr<DLAttributeMeasure> am(coverage.GetAttributeMeasure(name));
      if (covered.IsEmpty()) {
        EXPECT_EQ(am, nullptr);
        continue;
      }
      ASSERT_NE(am, nullptr) << name;
      ExpectSplitAndMeasure(*view, covered, name, *am);
      // Nothing is lost: the breakdown adds up to the coverage's own measure.
      const DLMeasure total = am->TotalMeasure(/*withMissing=*/true);
      EXPECT_EQ(total.GetCoverage(), coverage.GetMeasure().GetCoverage());
      EXPECT_EQ(total.GetResponse(), coverage.GetMeasure().GetResponse());
    }
  }
}

TEST(DLRuleCoverage, AttributeMeasureEqualsSplitAndMeasure) {
  TableShape shape;
  shape.numCases = 20000;  // large enough for the interleaved tallies
  shape.categories = {2, 10, 100, 254};
  CheckAttributeMeasures(shape, /*encoded=*/false);
}

TEST(DLRuleCoverage, AttributeMeasureEqualsSplitAndMeasureWithWeights) {
  TableShape shape;
  shape.numCases = 20001;  // interleaved tallies, and a last word with one case
  shape.categories = {3, 40};
  shape.weighted = true;
  shape.seed = 5;
  CheckAttributeMeasures(shape, /*encoded=*/false);
  CheckAttributeMeasures(shape, /*encoded=*/true);
}

TEST(DLRuleCoverage, AttributeMeasureEqualsSplitAndMeasureWithLargeCategories) {
  TableShape shape;
  shape.numCases = 1500;
  shape.categories = {2, 400};
  shape.largeCategory = true;
  shape.seed = 9;
  CheckAttributeMeasures(shape, /*encoded=*/true);
  shape.weighted = true;
  CheckAttributeMeasures(shape, /*encoded=*/false);
}

TEST(DLRuleCoverage, AttributeMeasureCodesAStringResponseAsTheViewDoes) {
  DLVarList vars;
  ASSERT_GE(vars.AddCatVar("c", "", std::vector<double>{0, 1, 2}, true, IDLVar::kPredictor,
                           IDLVar::kInteger),
            0);
  ASSERT_GE(vars.AddCatVar("y", "", std::vector<std::string>{"no", "yes"}, true, IDLVar::kTarget),
            0);
  DLDataSet data(vars, false);
  // c, y (codes): "yes" is code 1.
  testing_support::RowRecords rows(
      {{0, 1}, {0, 0}, {1, 1}, {1, 1}, {2, 0}, {-1, 1}, {2, 1}, {-1, 0}});
  DLSettings settings;
  ASSERT_TRUE(data.InputData(rows, settings).IsOK());
  DLBitSet all = All(data.GetNumOfCases());

  const DLDataQuery yes(nullptr, {"c"}, "y", "yes");
  DLRawDataView view(data, yes);
  DLRuleCoverage coverage(view, all);
  std::unique_ptr<DLAttributeMeasure> am(coverage.GetAttributeMeasure("c"));
  ASSERT_NE(am, nullptr);
  ExpectSplitAndMeasure(view, all, "c", *am);
  EXPECT_EQ(am->GetMeasure(1)->GetResponse(), 2);
  EXPECT_EQ(am->GetMissingMeasure()->GetCoverage(), 2);
  EXPECT_EQ(am->GetMissingMeasure()->GetResponse(), 1);

  // A response value the target has never seen responds nowhere.
  const DLDataQuery maybe(nullptr, {"c"}, "y", "maybe");
  DLRawDataView maybeView(data, maybe);
  DLRuleCoverage maybeCoverage(maybeView, all);
  std::unique_ptr<DLAttributeMeasure> none(maybeCoverage.GetAttributeMeasure("c"));
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none->TotalMeasure(true).GetResponse(), 0);
  EXPECT_EQ(none->TotalMeasure(true).GetCoverage(), 8);
}

TEST(DLRuleCoverage, AttributeMeasureIsNullWhereItDoesNotApply) {
  TableShape shape;
  shape.weighted = true;
  RandomTable table(shape);
  const DLDataQuery query = table.Query();
  DLRawDataView view(table.Data(), query);
  DLRuleCoverage coverage(view, All(table.NumCases()));
  EXPECT_EQ(coverage.GetAttributeMeasure(""), nullptr);
  EXPECT_EQ(coverage.GetAttributeMeasure("nosuch"), nullptr);
  EXPECT_EQ(coverage.GetAttributeMeasure("y"), nullptr);  // target
  EXPECT_EQ(coverage.GetAttributeMeasure("w"), nullptr);  // frequency weight
  EXPECT_EQ(coverage.GetAttributeMeasure("x"), nullptr);  // continuous, not binned here
  std::unique_ptr<DLAttributeMeasure> c0(coverage.GetAttributeMeasure("c0"));
  EXPECT_NE(c0, nullptr);
}

TEST(DLRuleCoverage, ConstructorChecksTheCapacity) {
  RandomTable table(TableShape{});
  const DLDataQuery query = table.Query();
  DLRawDataView view(table.Data(), query);
  try {
    DLRuleCoverage bad(view, DLBitSet(table.NumCases() + 1));
    FAIL() << "no exception";
  } catch (const QXDecision::ConstructorException& e) {
    EXPECT_EQ(e.GetMessage(),
              "CANNOT CREATE OBJECT of DLRuleCoverage:\nPre-condition is not satisfied: ( "
              "dataview.NumOfCases > 0 && coveredCases.Capacity == dataview.NumOfCases )");
  }
}

TEST(DLRuleCoverage, RangesAndSegmentsNarrowAndRemeasure) {
  RandomTable table(TableShape{});
  const int n = table.NumCases();
  const DLDataQuery query = table.Query();
  DLRawDataView view(table.Data(), query);
  DLRuleCoverage coverage(view, All(n));
  EXPECT_EQ(coverage.GetMeasure().GetCoverage(), n);

  EXPECT_FALSE(coverage.AddRange("", 1, 2, false, false));
  EXPECT_FALSE(coverage.AddRange("x", 3, 3, true, false));
  EXPECT_FALSE(coverage.AddRange("x", 5, 3, false, false));
  EXPECT_TRUE(coverage.AddRange("nosuch", 1, 2, false, false));
  EXPECT_EQ(coverage.GetMeasure().GetCoverage(), n);

  ASSERT_TRUE(coverage.AddRange("x", 10, 80, false, true));
  std::vector<int> want;
  for (int id = 0; id < n; ++id) {
    const double x = table.Value("x", id);
    if (x >= 10 && x < 80) want.push_back(id);
  }
  EXPECT_EQ(Ids(coverage.GetCoveredCases()), want);
  EXPECT_EQ(coverage.GetMeasure().GetResponse(), table.Measure(want).GetResponse());

  DLSegment unknown("nosuch", false);
  unknown.SetValueEqualTo(1);
  EXPECT_FALSE(coverage.AddSegment(unknown));

  DLRuleCoverage copy(coverage);
  DLSegment set("c1", false);
  set.SetValueSet({1, 3, 255}, /*isIn=*/true);
  ASSERT_TRUE(coverage.AddSegment(set));
  std::vector<int> inSet;
  for (int id : want) {
    const double c = table.Value("c1", id);
    if (c == 1 || c == 3 || c == 255) inSet.push_back(id);
  }
  EXPECT_EQ(Ids(coverage.GetCoveredCases()), inSet);
  EXPECT_EQ(Ids(copy.GetCoveredCases()), want);  // copies are independent

  // Assignment only between coverages over one view.
  const DLDataQuery query2 = table.Query();
  DLRawDataView otherView(table.Data(), query2);
  DLRuleCoverage other(otherView, DLBitSet(n));
  other = coverage;
  EXPECT_TRUE(other.GetCoveredCases().IsEmpty());
  copy = coverage;
  EXPECT_EQ(Ids(copy.GetCoveredCases()), inSet);

  DLSegment none("c0", false);
  none.SetValueSet({7}, /*isIn=*/true);  // no such code: nothing left
  ASSERT_TRUE(coverage.AddSegment(none));
  EXPECT_EQ(coverage.GetMeasure().GetCoverage(), 0);
  EXPECT_FALSE(coverage.AddRange("x", 0, 100, false, false));
  EXPECT_FALSE(coverage.AddSegment(set));
  EXPECT_EQ(coverage.GetAttributeMeasure("c0"), nullptr);
}

TEST(DLRuleCoverage, EverySegmentKindMatchesTheBruteForceTest) {
  TableShape shape;
  shape.numCases = 500;
  RandomTable table(shape);
  const DLDataQuery query = table.Query();
  DLRawDataView view(table.Data(), query);
  std::mt19937 rng(21);
  for (int round = 0; round < 200; ++round) {
    std::unique_ptr<DLSegment> s(table.RandomSegment(rng));
    DLRuleCoverage coverage(view, All(table.NumCases()));
    coverage.AddSegment(*s);
    std::vector<int> want;
    for (int id = 0; id < table.NumCases(); ++id) {
      if (table.Admits(*s, id)) want.push_back(id);
    }
    EXPECT_EQ(Ids(coverage.GetCoveredCases()), want) << s->GetAttrName() << " " << s->GetOperator();
  }
}

TEST(DLListCoverage, UnionWithinTheCaseSpace) {
  RandomTable table(TableShape{});
  const int n = table.NumCases();
  const DLDataQuery query = table.Query();
  DLRawDataView view(table.Data(), query);

  DLListCoverage all(view, nullptr);
  EXPECT_TRUE(all.GetCaseSpace().IsFull());
  EXPECT_TRUE(all.GetCoveredCases().IsEmpty());
  EXPECT_EQ(all.GetMeasure().GetCoverage(), 0);
  std::unique_ptr<DLBitSet> rest(all.Remainder());
  EXPECT_TRUE(rest->IsFull());

  const DLBitSet space = SetOf(n, {1, 2, 3, 4, 5});
  DLListCoverage list(view, &space);
  EXPECT_FALSE(list.AddRule(SetOf(n, {5, 6})));
  EXPECT_EQ(list.GetMeasure().GetCoverage(), 0);
  EXPECT_TRUE(list.AddRule(SetOf(n, {1, 2})));
  EXPECT_TRUE(list.AddRule(SetOf(n, {2, 3})));
  EXPECT_EQ(Ids(list.GetCoveredCases()), std::vector<int>({1, 2, 3}));
  EXPECT_EQ(list.GetMeasure().GetCoverage(), 3);
  EXPECT_EQ(list.GetMeasure().GetResponse(), table.Measure({1, 2, 3}).GetResponse());
  rest.reset(list.Remainder());
  EXPECT_EQ(Ids(*rest), std::vector<int>({4, 5}));
  EXPECT_TRUE(list.AddRule(SetOf(n, {4, 5})));
  rest.reset(list.Remainder());
  EXPECT_TRUE(rest->IsEmpty());
  EXPECT_TRUE(list.AddRule(SetOf(n, {1})));  // everything covered: nothing changes
  EXPECT_EQ(list.GetMeasure().GetCoverage(), 5);

  DLListCoverage copy(list);
  DLListCoverage assigned(view, nullptr);
  assigned = list;
  EXPECT_EQ(assigned.GetCaseSpace(), space);
  EXPECT_EQ(assigned.GetMeasure().GetCoverage(), 5);
}

TEST(DLListCoverage, ConstructorChecks) {
  RandomTable table(TableShape{});
  const DLDataQuery query = table.Query();
  DLRawDataView view(table.Data(), query);
  DLBitSet wrong(table.NumCases() + 3);
  try {
    DLListCoverage bad(view, &wrong);
    FAIL() << "no exception";
  } catch (const QXDecision::ConstructorException& e) {
    EXPECT_EQ(e.GetMessage(),
              "CANNOT CREATE OBJECT of DLListCoverage:\nPre-condition is not satisfied: ( "
              "pCaseSpace == 0 ||pCaseSpace->Capacity == dataview.NumOfCases )");
  }
}

TEST(DLAttributeMeasure, NeighboursTotalsAndReversal) {
  EXPECT_THROW(DLAttributeMeasure(0, 255), QXDecision::ConstructorException);
  DLAttributeMeasure am(5, 255);
  EXPECT_EQ(am.GetMeasure(5), nullptr);
  EXPECT_EQ(am.GetMeasure(-1), nullptr);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(am.PrevNonEmpty(i), -1);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(am.NextNonEmpty(i), -1);
  EXPECT_EQ(am.PrevNonEmpty(5), -2);
  EXPECT_EQ(am.NextNonEmpty(-1), -2);

  am.GetMeasure(1)->SetValues(4, 1);
  am.GetMeasure(3)->SetValues(6, 6);
  am.GetMissingMeasure()->SetValues(2, 1);
  EXPECT_EQ(am.PrevNonEmpty(3), 1);
  EXPECT_EQ(am.PrevNonEmpty(4), 3);
  EXPECT_EQ(am.PrevNonEmpty(1), -1);
  EXPECT_EQ(am.NextNonEmpty(0), 1);
  EXPECT_EQ(am.NextNonEmpty(1), 3);
  EXPECT_EQ(am.NextNonEmpty(3), -1);
  EXPECT_EQ(am.TotalMeasure(false).GetCoverage(), 10);
  EXPECT_EQ(am.TotalMeasure(false).GetResponse(), 7);
  EXPECT_EQ(am.TotalMeasure(true).GetCoverage(), 12);
  am.ReverseResponses();
  EXPECT_EQ(am.GetMeasure(1)->GetResponse(), 3);
  EXPECT_EQ(am.GetMeasure(3)->GetResponse(), 0);
  EXPECT_EQ(am.GetMissingMeasure()->GetResponse(), 1);
}

TEST(DLAttributeMeasure, AllMissingLeavesEveryCategoryEmpty) {
  RandomTable table(TableShape{});
  const DLDataQuery query = table.Query();
  DLRawDataView view(table.Data(), query);
  DLRuleCoverage coverage(view, All(table.NumCases()));
  DLSegment missing("c1", false);
  missing.SetAsMissingSegment();
  ASSERT_TRUE(coverage.AddSegment(missing));
  ASSERT_FALSE(coverage.GetCoveredCases().IsEmpty());
  std::unique_ptr<DLAttributeMeasure> am(coverage.GetAttributeMeasure("c1"));
  ASSERT_NE(am, nullptr);
  for (int i = 0; i < am->GetNumOfCategories(); ++i) {
    EXPECT_EQ(am->GetMeasure(i)->GetCoverage(), 0);
    EXPECT_EQ(am->PrevNonEmpty(i), -1);
    EXPECT_EQ(am->NextNonEmpty(i), -1);
  }
  EXPECT_EQ(am->GetMissingMeasure()->GetCoverage(), coverage.GetMeasure().GetCoverage());
}

}  // namespace
