// The sea-level segment search on hand-made per-category measures, and the extending segment.
#include "search/sea_level_parameters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <sstream>
#include <utility>
#include <vector>

#include "data/data_views.h"
#include "model/attribute_measure.h"
#include "ruleweave/ruleweave.h"
#include "search_testing.h"

namespace {

using search_testing::CancelAt;
using search_testing::Table;

// A data set and an encoded view whose predictors are "ord" (ordinal, index 0 of the view) and
// "nom" (nominal, index 1); the per-category measures of each test are made by hand.
class SegmentGeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    table.vars.AddCatVar("ord", "", {1, 2, 3, 4}, /*nominal=*/false, IDLVar::kPredictor,
                         IDLVar::kInteger);
    table.vars.AddCatVar("nom", "", {1, 2, 3}, /*nominal=*/true, IDLVar::kPredictor,
                         IDLVar::kInteger);
    table.vars.AddCatVar("y", "", {0, 1}, /*nominal=*/true, IDLVar::kTarget, IDLVar::kInteger);
    table.Add(1, {0, 0, 1});
    data = table.Load();
    ASSERT_TRUE(data);
    query = DLDataQuery(nullptr, {"ord", "nom"}, "y", "1");
    view = std::make_unique<DLEncDataView>(params, *data, query);
  }

  static DLAttributeMeasure Measures(const std::vector<std::pair<double, double>>& categories,
                                     std::pair<double, double> missing = {0, 0}) {
    DLAttributeMeasure am(static_cast<int>(categories.size()), 255);
    for (std::size_t i = 0; i < categories.size(); ++i) {
      am.GetMeasure(static_cast<int>(i))->SetValues(categories[i].first, categories[i].second);
    }
    am.GetMissingMeasure()->SetValues(missing.first, missing.second);
    return am;
  }

  // "[left, right] coverage/response" for each candidate.
  std::vector<std::string> Generate(int index, DLAttributeMeasure am) {
    DLSegmentGenerator generator(params, *view);
    DLSegmentGenerator::Segments out;
    generator.Generate(index, am, out);
    requirement = generator.GetSeaLevelParameters().mSegmentSizeRequirement;
    std::vector<std::string> texts;
    for (const auto& s : out) {
      std::ostringstream os;
      os << "[" << s->GetLeft() << ", " << s->GetRight() << "] " << s->GetMeasure().GetCoverage()
         << "/" << s->GetMeasure().GetResponse();
      texts.push_back(os.str());
    }
    return texts;
  }

  Table table;
  std::unique_ptr<DLDataSet> data;
  DLParameters params;
  DLDataQuery query;
  std::unique_ptr<DLEncDataView> view;
  int requirement = -1;
};

using Texts = std::vector<std::string>;

TEST_F(SegmentGeneratorTest, OrdinalPeakWidensTowardsTheBetterNeighbour) {
  // Rates 0.1, 0.5, 0.6, 0.2 on 100 cases each: the only seed is [2, 2] (lower bound 0.497
  // against the sea level 0.399); it is not grown, both neighbours being lower. Its first step
  // goes left, category 1 being better than category 3: [1, 2] = 110/200 (lower bound 0.478)
  // is kept next to [2, 2] only when it covers more than g times the cases.
  const auto am = Measures({{100, 10}, {100, 50}, {100, 60}, {100, 20}});
  EXPECT_EQ(Generate(0, am), Texts({"[2, 2] 100/60"}));
  ASSERT_TRUE(params.SetSegmentGrowthFactor(1.5));
  EXPECT_EQ(Generate(0, am), Texts({"[2, 2] 100/60", "[1, 2] 200/110"}));
}

TEST_F(SegmentGeneratorTest, GrowthFactorKeepsTheNarrowerOfCloseNestedRanges) {
  // [2, 2] covers 40 cases at 0.9 (lower bound 0.763); growing stops there (neighbours 0.15 and
  // 0.2). Its step right gives [2, 3] = 50/42, which [2, 2] inside it rejects (50 / 40 <= 2), and
  // then [1, 3] = 70/45 (lower bound 0.519 above the sea level 0.369), rejected as 70 / 40 <= 2.
  const auto am = Measures({{100, 5}, {20, 3}, {40, 36}, {10, 6}});
  EXPECT_EQ(Generate(0, am), Texts({"[2, 2] 40/36"}));
}

TEST_F(SegmentGeneratorTest, NominalCategoriesAreCandidatesOnlyAboveTheSeaLevel) {
  // Three equal rates: nothing rises above the overall upper bound.
  EXPECT_EQ(Generate(1, Measures({{40, 10}, {40, 10}, {40, 10}})), Texts());
  // Category 1 (30 of 40, lower bound 0.588) beats the overall upper bound 0.425; a nominal
  // attribute only yields single categories.
  EXPECT_EQ(Generate(1, Measures({{40, 5}, {40, 30}, {40, 5}})), Texts({"[1, 1] 40/30"}));
}

TEST_F(SegmentGeneratorTest, MissingCategoryComesAfterTheOrdinaryCandidates) {
  const auto am = Measures({{40, 5}, {40, 30}, {40, 5}}, {30, 27});
  EXPECT_EQ(Generate(1, am), Texts({"[1, 1] 40/30", "[255, 255] 30/27"}));
  params.AllowMissing(false);
  EXPECT_EQ(Generate(1, am), Texts({"[1, 1] 40/30"}));
}

TEST_F(SegmentGeneratorTest, GroupSizeDecaySetsTheRequirement) {
  // 10% of 250 non-missing cases: candidates need more than 25 cases.
  params.SetGroupDecay(10);
  EXPECT_EQ(Generate(1, Measures({{25, 25}, {26, 26}, {199, 0}}, {40, 0})),
            Texts({"[1, 1] 26/26"}));
  EXPECT_EQ(requirement, 25);
  // Below the minimal group size the minimal group size holds.
  params.SetGroupDecay(1);
  params.SetMinGroupSize(30);
  EXPECT_EQ(Generate(1, Measures({{25, 25}, {26, 26}, {199, 0}})), Texts());
  EXPECT_EQ(requirement, 30);
}

TEST_F(SegmentGeneratorTest, RequirementIsComputedOnceFromTheFirstAttribute) {
  params.SetGroupDecay(10);
  DLSegmentGenerator generator(params, *view);
  DLSegmentGenerator::Segments out;
  auto first = Measures({{100, 10}, {100, 50}, {100, 60}, {100, 20}});
  generator.Generate(0, first, out);
  EXPECT_EQ(generator.GetSeaLevelParameters().mSegmentSizeRequirement, 40);
  auto second = Measures({{25, 25}, {26, 26}, {199, 0}});
  generator.Generate(1, second, out);
  EXPECT_EQ(generator.GetSeaLevelParameters().mSegmentSizeRequirement, 40);
}

TEST_F(SegmentGeneratorTest, DownLooksForLowRatesAndKeepsTrueCounts) {
  params.SetSearchDirection(DLConst::Down);
  EXPECT_EQ(Generate(1, Measures({{100, 50}, {100, 5}, {100, 50}})), Texts({"[1, 1] 100/5"}));
}

TEST_F(SegmentGeneratorTest, EmptyNeighbourStopsGrowth) {
  // Category 3 is empty, so the seed [2, 2] does not grow towards the equally good category 4
  // and is offered as it is. Its steps then reach [2, 4] = 108/120 (rejected: twice the cases)
  // and [1, 4] = 113/220 (lower bound 0.446 above the sea level 0.424, kept at 3.7 times).
  EXPECT_EQ(Generate(0, Measures({{100, 5}, {100, 5}, {60, 54}, {0, 0}, {60, 54}})),
            Texts({"[2, 2] 60/54", "[1, 4] 220/113"}));
}

// The pool search written the plain way: a linear pick of the best segment on every step and a
// linear search for an equal one, on ranges of `am` (Up direction).
std::vector<std::string> PlainPoolSearch(const DLAttributeMeasure& am, bool ordered, double sea,
                                         int requirement, double conf, double g) {
  struct Seg {
    int l, r;
    DLMeasure m;
  };
  const int n = am.GetNumOfCategories();
  auto rate = [&](int k) { return k < 0 || k >= n ? -1.0 : am.GetMeasure(k)->GetProbability(); };
  auto above = [&](const DLMeasure& m) {
    double lo = 0, hi = 0;
    GetProbabilityBoundaries(m, conf, lo, hi);
    return m.GetCoverage() > requirement && lo > sea;
  };
  auto extend = [&](Seg& s) {
    const int p = am.PrevNonEmpty(s.l), q = am.NextNonEmpty(s.r);
    if (p < 0 && q < 0) return false;
    const bool left = q < 0 || (p >= 0 && *am.GetMeasure(q) < *am.GetMeasure(p));
    (left ? s.l : s.r) = left ? p : q;
    s.m += *am.GetMeasure(left ? p : q);
    return true;
  };
  std::vector<Seg> pool;
  // Every category of a nominal attribute; the local peaks of an ordered one, scanned as before.
  for (int k = 0; k >= 0 && k < n;) {
    const int p = am.PrevNonEmpty(k), q = am.NextNonEmpty(k);
    int d = q;
    while (d >= 0 && rate(d) == rate(k)) d = am.NextNonEmpty(d);
    const bool aboveP = p < 0 || rate(k) > rate(p);
    if (!ordered || (aboveP && (d < 0 || rate(d) < rate(k)))) {
      pool.push_back({k, k, *am.GetMeasure(k)});
      k = !ordered ? k + 1 : (d < 0 ? -1 : am.NextNonEmpty(d));
    } else {
      k = aboveP && q >= 0 && rate(q) == rate(k) ? d : q;
    }
  }
  const double overall = am.TotalMeasure(false).GetProbability();
  std::vector<Seg> result;
  while (!pool.empty()) {
    std::size_t best = 0;
    for (std::size_t j = 1; j < pool.size(); ++j) {
      if (pool[best].m < pool[j].m) best = j;
    }
    Seg& s = pool[best];
    if (above(s.m)) {
      while (ordered && s.r - s.l + 1 < n &&
             s.m.GetProbability() <= std::max(rate(s.l - 1), rate(s.r + 1)) && extend(s)) {
      }
      bool rejected = false;
      for (const Seg& t : result) {
        rejected =
            rejected || (s.l <= t.l && t.r <= s.r && s.m.GetCoverage() / t.m.GetCoverage() <= g);
      }
      if (!rejected) {
        std::vector<Seg> kept;
        for (const Seg& t : result) {
          if (!(t.l <= s.l && s.r <= t.r && t.m.GetCoverage() / s.m.GetCoverage() <= g))
            kept.push_back(t);
        }
        kept.push_back(s);
        result = kept;
      }
    }
    std::size_t erase = best;
    if (ordered && s.m.GetProbability() > overall && extend(s)) {
      erase = pool.size();
      for (std::size_t j = 0; j < pool.size(); ++j) {
        if (j != best && pool[j].l == s.l && pool[j].r == s.r) {
          erase = std::min(j, best);
          break;
        }
      }
    }
    if (erase < pool.size()) pool.erase(pool.begin() + static_cast<std::ptrdiff_t>(erase));
  }
  std::vector<std::string> texts;
  for (const Seg& t : result) {
    std::ostringstream os;
    os << "[" << t.l << ", " << t.r << "] " << t.m.GetCoverage() << "/" << t.m.GetResponse();
    texts.push_back(os.str());
  }
  return texts;
}

TEST_F(SegmentGeneratorTest, SameCandidatesAsThePlainPoolSearch) {
  std::mt19937 random(17);
  params.AllowMissing(false);
  for (int trial = 0; trial < 3000; ++trial) {
    const bool ordered = trial % 2 == 0;
    const int n = 1 + static_cast<int>(random() % 14);
    std::vector<std::pair<double, double>> categories;
    for (int k = 0; k < n; ++k) {
      // Few distinct sizes and rates, so ties and plateaus are common.
      const double coverage = random() % 4 == 0 ? 0 : 10.0 * (1 + random() % 4);
      categories.push_back({coverage, coverage * static_cast<double>(random() % 5) / 4});
    }
    ASSERT_TRUE(params.SetSegmentGrowthFactor(1.25 + static_cast<double>(random() % 4) / 2));
    ASSERT_TRUE(params.SetConfLevel(trial % 3 == 0 ? 0.5 : 0.9));
    DLSegmentGenerator generator(params, *view);
    DLSegmentGenerator::Segments out;
    auto am = Measures(categories);
    ASSERT_TRUE(generator.Generate(ordered ? 0 : 1, am, out));
    std::vector<std::string> texts;
    for (const auto& c : out) {
      std::ostringstream os;
      os << "[" << c->GetLeft() << ", " << c->GetRight() << "] " << c->GetMeasure().GetCoverage()
         << "/" << c->GetMeasure().GetResponse();
      texts.push_back(os.str());
    }
    ASSERT_EQ(texts, PlainPoolSearch(am, ordered, generator.GetSeaLevel(),
                                     generator.GetSeaLevelParameters().mSegmentSizeRequirement,
                                     params.GetConfLevel(), params.GetSegmentGrowthFactor()))
        << "trial " << trial;
  }
}

TEST_F(SegmentGeneratorTest, CancelIsAnsweredInsideTheCategoryLoop) {
  // One attribute of many categories is a single call; the cancel object must be asked inside.
  CancelAt cancel(1);
  params.SetCancelPointer(&cancel);
  std::vector<std::pair<double, double>> categories(20000, {10, 5});
  DLSegmentGenerator generator(params, *view);
  DLSegmentGenerator::Segments out;
  auto am = Measures(categories);
  EXPECT_FALSE(generator.Generate(1, am, out));
  EXPECT_TRUE(out.empty());
  EXPECT_EQ(cancel.GetPolls(), 1);
}

TEST(DLSeaLevelParameters, DefaultsAndDisplay) {
  DLSeaLevelParameters defaults;
  EXPECT_EQ(defaults.mSegmentGrowthFactor, 2.0);
  EXPECT_EQ(defaults.mConfLevel, 0.95);
  EXPECT_EQ(defaults.mAttributeIndex, -1);
  EXPECT_EQ(defaults.mAttributeMeasure, nullptr);
  DLParameters params;
  params.SetMinGroupSize(7);
  params.SetGroupDecay(3);
  params.AllowMissing(true);
  DLSeaLevelParameters fromParams(params);
  EXPECT_TRUE(fromParams.mMissingAllowed);
  std::ostringstream os;
  fromParams.Display(os);
  EXPECT_EQ(
      os.str(),
      "DLSeaLevelParameters: \nMinGroupSize:\t7\nGroupDecay:\t3\nSegmentSizeRequirement\t0\n");
}

TEST(DLExtendingSegment, RejectsEmptyNameAndInvalidRanges) {
  const DLMeasure m(10, 5);
  EXPECT_NO_THROW(DLExtendingSegment(nullptr, "a", 3, 3, m, false, false));
  EXPECT_NO_THROW(DLExtendingSegment(nullptr, "a", 2, 3, m, true, true));
  try {
    DLExtendingSegment(nullptr, "", 1, 2, m, false, false);
    FAIL();
  } catch (const QXDecision::ConstructorException& e) {
    EXPECT_EQ(e.GetMessage(),
              "CANNOT CREATE OBJECT of DLExtendingSegment:\nPre-condition is not satisfied: ( "
              "attrName is not empty && IsValidRange(left, right, leftOpen, rightOpen) )");
  }
  EXPECT_THROW(DLExtendingSegment(nullptr, "a", 3, 3, m, true, false),
               QXDecision::ConstructorException);
  EXPECT_THROW(DLExtendingSegment(nullptr, "a", 4, 3, m, false, false),
               QXDecision::ConstructorException);
}

TEST(DLExtendingSegment, EqualityIgnoresTheMeasure) {
  DLExtendingSegment a(nullptr, "a", 1, 2, DLMeasure(10, 5), false, false);
  EXPECT_TRUE(a == DLExtendingSegment(nullptr, "a", 1, 2, DLMeasure(3, 1), false, false));
  EXPECT_FALSE(a == DLExtendingSegment(nullptr, "b", 1, 2, DLMeasure(10, 5), false, false));
  EXPECT_FALSE(a == DLExtendingSegment(nullptr, "a", 1, 2, DLMeasure(10, 5), true, false));
  EXPECT_FALSE(a == DLExtendingSegment(nullptr, "a", 1, 3, DLMeasure(10, 5), false, false));
}

TEST_F(SegmentGeneratorTest, SpecialRangesFollowTheDataSet) {
  DLExtendingSegment s(data.get(), "ord", 255, 255, DLMeasure(), false, false);
  EXPECT_TRUE(s.IsMissing());
  EXPECT_FALSE(s.IsCoveringAll());
  s.SetFinalizedMissing();
  EXPECT_TRUE(s.IsMissing());
  EXPECT_TRUE(QXMV::IsMissing(s.GetLeft()));
  DLExtendingSegment all(data.get(), "ord", 0, 255, DLMeasure(), false, false);
  EXPECT_TRUE(all.IsCoveringAll());
  DLExtendingSegment some(data.get(), "ord", 0, 254, DLMeasure(), false, false);
  EXPECT_FALSE(some.IsCoveringAll());
  EXPECT_FALSE(some.SetRange(3, 3, true, false));
  EXPECT_EQ(some.GetRight(), 254);
}

}  // namespace
