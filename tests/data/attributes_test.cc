// Tests of the attribute columns: value intake per storage kind, missing tests, the filters
// against a brute-force model, case queries, equality and the dump.
#include "data/attributes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

#include "ruleweave/ruleweave.h"

namespace {

const double kMissing = QXMV::Missing();

DLCatVar MakeCatVar(const std::string& name = "c") {
  return DLCatVar(name, "", IDLVar::kNominalNumeric, IDLVar::kPredictor, IDLVar::kInteger);
}

std::vector<double> Values(const IDLAttribute& a) {
  std::vector<double> out;
  for (int i = 0; i < a.GetNumOfCases(); ++i) out.push_back(a.GetValue(i));
  return out;
}

std::vector<int> Elements(const DLBitSet& s) {
  std::vector<int> out;
  s.GetElementIDs(out);
  return out;
}

// Memory per case: one byte for categorical and binned codes (four with large categories), eight
// for a continuous value, four for a weight.
static_assert(sizeof(DLAttribute<1, 2>::Element) == 1 && sizeof(DLAttribute<1, 3>::Element) == 1);
static_assert(sizeof(DLAttribute<2, 2>::Element) == 4 && sizeof(DLAttribute<2, 3>::Element) == 4);
static_assert(sizeof(DLAttribute<0, 0>::Element) == 8 && sizeof(DLAttribute<0, 4>::Element) == 4);

TEST(DLAttribute, KindsAndMissingCodes) {
  DLCatVar var = MakeCatVar();
  DLAttribute<0, 0> cont(var, false);
  DLAttribute<0, 4> weight(var, false);
  DLAttribute<1, 2> byteCat(var, false);
  DLAttribute<1, 3> byteBin(var, false);
  DLAttribute<2, 2> intCat(var, false);
  DLAttribute<2, 3> intBin(var, false);
  EXPECT_EQ(cont.GetAttributeKind(), 0);
  EXPECT_EQ(weight.GetAttributeKind(), 4);
  EXPECT_EQ(byteCat.GetAttributeKind(), 2);
  EXPECT_EQ(byteBin.GetAttributeKind(), 3);
  EXPECT_EQ(intCat.GetStorageKind(), IDLAttribute::kIntCodes);
  EXPECT_EQ(byteBin.GetStorageKind(), IDLAttribute::kByteCodes);
  EXPECT_EQ(weight.GetStorageKind(), IDLAttribute::kRawValues);
  EXPECT_EQ(cont.GetMissingCategory(), -1);
  EXPECT_EQ(weight.GetMaxCategories(), -1);
  EXPECT_EQ(byteCat.GetMissingCategory(), 255);
  EXPECT_EQ(byteBin.GetMaxCategories(), 255);
  EXPECT_EQ(intCat.GetMissingCategory(), 2147483647);
  EXPECT_EQ(intBin.GetMaxCategories(), 2147483647);
  EXPECT_EQ(byteCat.GetVar(), &var);
}

TEST(DLAttribute, ByteCodesAcceptCodesBelow255AndStoreTheMissingCodeOtherwise) {
  DLCatVar var = MakeCatVar();
  DLAttribute<1, 2> a(var, false);
  EXPECT_TRUE(a.AddValue(254.0));
  EXPECT_FALSE(a.AddValue(255.0));
  EXPECT_TRUE(a.AddValue(-1.0));
  EXPECT_TRUE(a.AddValue(kMissing));
  EXPECT_TRUE(a.AddValue(3.9));
  EXPECT_FALSE(a.AddValue(-2.0));
  EXPECT_FALSE(a.AddValue(std::nan("")));
  EXPECT_FALSE(a.AddValue(std::numeric_limits<double>::infinity()));
  EXPECT_TRUE(a.AddValue(0.0));
  EXPECT_EQ(Values(a), (std::vector<double>{254, 255, 255, 255, 3, 255, 255, 255, 0}));
  EXPECT_TRUE(a.IsMissing(1));
  EXPECT_FALSE(a.IsMissing(0));
  EXPECT_TRUE(a.IsMissingValue(255.0));
  EXPECT_FALSE(a.IsMissingValue(-1.0));
}

TEST(DLAttribute, IntCodesAcceptCodesBelowTheirMissingCode) {
  DLCatVar var = MakeCatVar();
  DLAttribute<2, 2> a(var, false);
  EXPECT_TRUE(a.AddValue(1000.0));
  EXPECT_FALSE(a.AddValue(2147483647.0));
  EXPECT_TRUE(a.AddValue(2147483646.0));
  EXPECT_FALSE(a.AddValue(1e300));
  EXPECT_FALSE(a.AddValue(-std::numeric_limits<double>::infinity()));
  EXPECT_TRUE(a.AddValue(-1.0));
  EXPECT_EQ(Values(a), (std::vector<double>{1000, 2147483647, 2147483646, 2147483647, 2147483647,
                                            2147483647}));
  EXPECT_TRUE(a.IsMissingValue(2147483647.0));
  EXPECT_FALSE(a.IsMissingValue(255.0));
}

TEST(DLAttribute, WeightsAreTruncatedTowardZeroAndOutOfRangeValuesAreSafe) {
  DLWeightVar var("w", "", IDLVar::kTruncate);
  DLAttribute<0, 4> a(var, false);
  EXPECT_TRUE(a.AddValue(2.7));
  EXPECT_TRUE(a.AddValue(-2.7));
  EXPECT_TRUE(a.AddValue(std::nan("")));
  EXPECT_TRUE(a.AddValue(1e20));
  EXPECT_TRUE(a.AddValue(-1e20));
  EXPECT_EQ(Values(a), (std::vector<double>{2, -2, -1, 2147483647, -2147483648.0}));
  EXPECT_TRUE(a.IsMissingValue(-1.0));
  EXPECT_TRUE(a.IsMissing(2));
  EXPECT_FALSE(a.IsMissing(0));
}

TEST(DLAttribute, ContinuousValuesAreStoredAsGivenAndOutOfRangeIdsReadMissing) {
  DLContVar var("x", "", 0.0, 10.0, IDLVar::kPredictor);
  DLAttribute<0, 0> a(var, false);
  EXPECT_TRUE(a.AddValue(0.1));
  EXPECT_TRUE(a.AddValue(kMissing));
  EXPECT_EQ(a.GetValue(0), 0.1);
  EXPECT_EQ(a.GetValue(-1), kMissing);
  EXPECT_EQ(a.GetValue(2), kMissing);
  EXPECT_TRUE(a.IsMissing(1));
  EXPECT_FALSE(a.IsMissing(0));
  // No encoder, so no user-missing values are consulted.
  EXPECT_FALSE(a.IsMissingValue(99.0));
}

TEST(DLAttribute, ContinuousMissingIncludesTheEncodersUserMissingValues) {
  DLContVar var("x", "", std::vector<double>{1.0, 2.0}, IDLVar::kPredictor);
  auto* userMissing = new DLNumericUserMissing();
  userMissing->AddValue(99.0, "unknown");
  ASSERT_TRUE(var.SetUserMissingInfo(userMissing));  // the variable owns it
  DLAttribute<0, 0> a(var, false);
  a.AddValue(99.0);
  a.AddValue(98.0);
  a.AddValue(kMissing);
  EXPECT_TRUE(a.IsMissingValue(99.0));
  EXPECT_FALSE(a.IsMissingValue(98.0));
  EXPECT_TRUE(a.IsMissing(0));
  EXPECT_TRUE(a.IsMissing(2));

  DLBitSet all(3);
  all.FillUp();
  a.KeepMissing(all);
  EXPECT_EQ(Elements(all), (std::vector<int>{0, 2}));
}

TEST(DLAttribute, RemoveLastValuesAndClear) {
  DLCatVar var = MakeCatVar();
  DLAttribute<1, 2> a(var, false);
  for (int i = 0; i < 5; ++i) a.AddValue(i);
  a.RemoveLastValues(0);
  a.RemoveLastValues(-3);
  EXPECT_EQ(a.GetNumOfCases(), 5);
  a.RemoveLastValues(2);
  EXPECT_EQ(Values(a), (std::vector<double>{0, 1, 2}));
  a.RemoveLastValues(3);
  EXPECT_EQ(a.GetNumOfCases(), 0);
  a.AddValue(7);
  a.RemoveLastValues(10);
  EXPECT_EQ(a.GetNumOfCases(), 0);
  a.AddValue(7);
  a.ClearValues();
  EXPECT_EQ(a.GetNumOfCases(), 0);
}

TEST(DLAttribute, ClonedVariableIsOwnedAndBorrowedOneIsNot) {
  DLCatVar var = MakeCatVar("mine");
  auto owner = std::make_unique<DLAttribute<1, 3>>(var, true);
  EXPECT_NE(owner->GetVar(), &var);
  EXPECT_EQ(owner->GetVar()->GetVarName(), "mine");
  EXPECT_TRUE(owner->OwnsVar());
  owner.reset();  // deletes the clone (ASan would report a leak otherwise)
  DLAttribute<1, 2> borrower(var, false);
  EXPECT_FALSE(borrower.OwnsVar());
  EXPECT_EQ(var.GetVarName(), "mine");
}

TEST(DLAttribute, FilterByRangeEdges) {
  DLCatVar var = MakeCatVar();
  DLAttribute<1, 2> a(var, false);
  for (double v : {1, 2, 2, 3, 255}) a.AddValue(v);
  DLBitSet s(5);
  s.FillUp();
  a.FilterByRange(s, 2, 2, /*leftOpen=*/false, /*rightOpen=*/false);
  EXPECT_EQ(Elements(s), (std::vector<int>{1, 2}));
  s.FillUp();
  a.FilterByRange(s, 2, 2, /*leftOpen=*/true, /*rightOpen=*/false);
  EXPECT_TRUE(s.IsEmpty());
  s.FillUp();
  a.FilterByRange(s, 3, 2, /*leftOpen=*/false, /*rightOpen=*/false);
  EXPECT_TRUE(s.IsEmpty());
  // The missing code takes part as a number.
  s.FillUp();
  a.FilterByRange(s, 3, 255, /*leftOpen=*/true, /*rightOpen=*/false);
  EXPECT_EQ(Elements(s), (std::vector<int>{4}));
}

TEST(DLAttribute, ContinuousRangeExcludesTheSystemMissingValue) {
  DLContVar var("x", "", 0.0, 10.0, IDLVar::kPredictor);
  DLAttribute<0, 0> a(var, false);
  for (double v : {kMissing, 0.5, 1e300}) a.AddValue(v);
  DLBitSet s(3);
  s.FillUp();
  a.FilterByRange(s, -1e308, 1e308, /*leftOpen=*/false, /*rightOpen=*/false);
  EXPECT_EQ(Elements(s), (std::vector<int>{1, 2}));
}

// Every filter, on random columns and random case sets (empty, sparse, dense, full), against a
// loop over the cases.
template <typename Attribute>
void CheckFiltersAgainstBruteForce(std::mt19937& rng, Attribute& a, int n,
                                   const std::vector<double>& pool) {
  std::uniform_int_distribution<std::size_t> pick(0, pool.size() - 1);
  for (int i = 0; i < n; ++i) a.AddValue(pool[pick(rng)]);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  for (int trial = 0; trial < 60; ++trial) {
    const double density = trial % 6 == 0 ? 0.0 : (trial % 6 == 1 ? 1.0 : unit(rng));
    // Every other set reaches past the column, whose ids read as the system-missing value.
    const int capacity = trial % 2 == 0 ? n : n + 45;
    DLBitSet base(capacity);
    std::vector<bool> in(static_cast<std::size_t>(capacity));
    for (int i = 0; i < capacity; ++i) {
      if (unit(rng) < density) {
        base.AddElement(i);
        in[static_cast<std::size_t>(i)] = true;
      }
    }
    const double v1 = a.GetValue(static_cast<int>(pick(rng)) % n);
    const double v2 = pool[pick(rng)];
    const double lo = std::min(v1, v2), hi = std::max(v1, v2);
    const bool lOpen = trial % 2 == 0, rOpen = trial % 3 == 0;
    const std::vector<double> listed = {v1, v2, pool[pick(rng)]};
    const bool keepFlag = trial % 4 < 2;

    auto check = [&](auto filter, auto keep, const char* what) {
      DLBitSet s(base);
      filter(s);
      std::vector<int> expected;
      for (int i = 0; i < capacity; ++i) {
        if (in[static_cast<std::size_t>(i)] && keep(a.GetValue(i), i)) expected.push_back(i);
      }
      EXPECT_EQ(Elements(s), expected) << what << " trial " << trial;
      EXPECT_EQ(s.GetNumOfElements(), static_cast<int>(expected.size())) << what;
      // Bounds stay exact: a fresh set with the same elements compares equal and adding the
      // first element back does not change the count.
      DLBitSet fresh(capacity, &expected);
      EXPECT_TRUE(s == fresh) << what;
    };
    check([&](DLBitSet& s) { a.FilterByValue(s, v1); }, [&](double v, int) { return v == v1; },
          "FilterByValue");
    check([&](DLBitSet& s) { a.FilterByValues(s, listed, keepFlag); },
          [&](double v, int) {
            const bool found = v == listed[0] || v == listed[1] || v == listed[2];
            return found == keepFlag;
          },
          "FilterByValues");
    check([&](DLBitSet& s) { a.FilterByRange(s, lo, hi, lOpen, rOpen); },
          [&](double v, int) {
            const bool valid = lo < hi || (lo == hi && !lOpen && !rOpen);
            return valid && ((lo < v && v < hi) || (v == lo && !lOpen) || (v == hi && !rOpen));
          },
          "FilterByRange");
    check([&](DLBitSet& s) { a.FilterByMissing(s, keepFlag); },
          [&](double, int i) { return a.IsMissing(i) == keepFlag; }, "FilterByMissing");
    check([&](DLBitSet& s) { a.KeepMissing(s); }, [&](double, int i) { return a.IsMissing(i); },
          "KeepMissing");
  }
}

TEST(DLAttribute, FiltersMatchBruteForceOnByteCodes) {
  std::mt19937 rng(7);
  DLCatVar var = MakeCatVar();
  DLAttribute<1, 2> a(var, false);
  CheckFiltersAgainstBruteForce(rng, a, 197, {0, 1, 2, 3, 7, 254, -1});
}

TEST(DLAttribute, FiltersMatchBruteForceOnIntCodes) {
  std::mt19937 rng(11);
  DLCatVar var = MakeCatVar();
  DLAttribute<2, 3> a(var, false);
  CheckFiltersAgainstBruteForce(rng, a, 64, {0, 1, 300, 70000, -1});
}

TEST(DLAttribute, FiltersMatchBruteForceOnContinuousValues) {
  std::mt19937 rng(13);
  DLContVar var("x", "", 0.0, 10.0, IDLVar::kPredictor);
  DLAttribute<0, 0> a(var, false);
  CheckFiltersAgainstBruteForce(rng, a, 333, {-2.5, 0.0, 0.1, 1.0, 3.25, 1e300, kMissing});
}

TEST(DLAttribute, FiltersMatchBruteForceOnWeights) {
  std::mt19937 rng(17);
  DLWeightVar var("w", "", IDLVar::kTruncate);
  DLAttribute<0, 4> a(var, false);
  CheckFiltersAgainstBruteForce(rng, a, 40, {-1, 0, 1, 2, 5});
}

TEST(DLAttribute, FilterNeverAddsCases) {
  DLCatVar var = MakeCatVar();
  DLAttribute<1, 2> a(var, false);
  for (int i = 0; i < 70; ++i) a.AddValue(i % 3);
  DLBitSet s(70);
  s.AddElement(5);
  s.AddElement(65);
  a.FilterByValues(s, {0, 1, 2}, /*keepListed=*/true);
  EXPECT_EQ(Elements(s), (std::vector<int>{5, 65}));
}

TEST(DLAttribute, QueryCasesCollectsEqualEntries) {
  DLCatVar var = MakeCatVar();
  DLAttribute<1, 2> a(var, false);
  EXPECT_THROW(delete a.QueryCases(1.0), QXDecision::ConstructorException);
  for (double v : {1, 0, 1, 255, 1}) a.AddValue(v);
  std::unique_ptr<DLBitSet> ones(a.QueryCases(1.0));
  EXPECT_EQ(ones->GetCapacity(), 5);
  EXPECT_EQ(Elements(*ones), (std::vector<int>{0, 2, 4}));
  std::unique_ptr<DLBitSet> none(a.QueryCases(1.5));
  EXPECT_TRUE(none->IsEmpty());
}

TEST(DLAttribute, EqualityComparesKindAndEntriesNotVariables) {
  DLCatVar v1 = MakeCatVar("one");
  DLCatVar v2 = MakeCatVar("two");
  DLAttribute<1, 2> cat1(v1, false), cat2(v2, false);
  DLAttribute<1, 3> bin(v1, false);
  for (double v : {0, 1, 255}) {
    cat1.AddValue(v);
    cat2.AddValue(v);
    bin.AddValue(v);
  }
  EXPECT_TRUE(cat1 == cat2);
  EXPECT_FALSE(cat1 != cat2);
  EXPECT_FALSE(cat1 == bin);
  EXPECT_TRUE(cat1 == cat1);
  cat2.AddValue(0);
  EXPECT_TRUE(cat1 != cat2);
  cat1.AddValue(1);
  EXPECT_FALSE(cat1 == cat2);
  // Same kind, other storage: unequal.
  DLAttribute<2, 2> wide(v1, false);
  for (double v : {0, 1, 255, 1}) wide.AddValue(v);
  EXPECT_FALSE(cat1 == wide);
}

TEST(DLAttribute, DisplayWritesNameCountAndOneLinePerCase) {
  DLCatVar var = MakeCatVar("color");
  DLAttribute<1, 2> codes(var, false);
  for (double v : {1, 255, 0}) codes.AddValue(v);
  std::ostringstream os;
  os.precision(3);
  codes.Display(os);
  EXPECT_EQ(os.str(),
            "\tDLAttribute: name = color\n\t\tNum of cases: 3\n\t\tCase values\n"
            "0. 1\n1. 255\n2. 0\n\n");
  EXPECT_EQ(os.precision(), 3);

  DLContVar x("x", "", 0.0, 1.0, IDLVar::kPredictor);
  DLAttribute<0, 0> cont(x, false);
  cont.AddValue(1.0 / 3.0);
  cont.AddValue(2.5);
  std::ostringstream os2;
  cont.Display(os2);
  EXPECT_EQ(os2.str(),
            "\tDLAttribute: name = x\n\t\tNum of cases: 2\n\t\tCase values\n"
            "0. 0.3333333333333333\n1. 2.5\n\n");
}

}  // namespace
