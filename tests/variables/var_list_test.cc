// Tests of the variable list: adding, roles, removal bookkeeping, validity, copying, comparing.
#include "ruleweave/variables/var_list.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

namespace {

// Everything a refusal must leave as it was.
struct Snapshot {
  explicit Snapshot(const DLVarList& list)
      : size(list.Size()),
        cont(list.GetNumContVar()),
        cat(list.GetNumCatVar()),
        target(list.GetTargetIndex()),
        weight(list.GetFreqWeightIndex()) {
    for (int i = 0; i < list.Size(); ++i) {
      names.push_back(list.GetVarNameAt(i));
      roles.push_back(list.GetVarRole(i));
    }
  }
  bool operator==(const Snapshot& o) const {
    return size == o.size && cont == o.cont && cat == o.cat && target == o.target &&
           weight == o.weight && names == o.names && roles == o.roles;
  }
  int size, cont, cat, target, weight;
  std::vector<std::string> names;
  std::vector<IDLVar::VarRole> roles;
};

// a: nominal string predictor, b: continuous predictor, c: ordinal numeric target, w: weight.
DLVarList MakeList() {
  DLVarList list;
  EXPECT_EQ(list.AddCatVar("a", "A", std::vector<std::string>{"x", "y"}, true, IDLVar::kPredictor),
            0);
  EXPECT_EQ(list.AddContVar("b", "B", 0.0, 10.0, IDLVar::kPredictor), 1);
  EXPECT_EQ(
      list.AddCatVar("c", "C", std::vector<double>{1, 2}, false, IDLVar::kTarget, IDLVar::kInteger),
      2);
  EXPECT_EQ(list.AddFreqWeightVar("w", "W", IDLVar::kTruncate), 3);
  return list;
}

TEST(DLVarList, NewListIsEmpty) {
  DLVarList list;
  EXPECT_EQ(list.Size(), 0);
  EXPECT_EQ(list.GetTargetIndex(), -1);
  EXPECT_EQ(list.GetFreqWeightIndex(), -1);
  EXPECT_EQ(list.GetVarAt(0), nullptr);
  EXPECT_EQ(list.GetTargetVar(), nullptr);
  EXPECT_EQ(list.GetTargetName(), "");
  EXPECT_EQ(list.GetNTargetCats(), -1);
  EXPECT_FALSE(list.IsValidList(nullptr, nullptr));
}

TEST(DLVarList, AddKeepsCountsAndIndices) {
  DLVarList list = MakeList();
  EXPECT_EQ(list.Size(), 4);
  EXPECT_EQ(list.GetNumContVar(), 1);
  EXPECT_EQ(list.GetNumCatVar(), 2);
  EXPECT_EQ(list.GetTargetIndex(), 2);
  EXPECT_EQ(list.GetFreqWeightIndex(), 3);
  EXPECT_EQ(list.GetTargetName(), "c");
  EXPECT_EQ(list.GetFreqWeightName(), "w");
  EXPECT_EQ(list.GetNTargetCats(), 2);
  EXPECT_EQ(list.GetNumPredictors(), 2);
  EXPECT_EQ(list.FindVar("b"), 1);
  EXPECT_EQ(list.FindVar("B"), -1);
  EXPECT_EQ(list.FindVar(""), -1);
  EXPECT_EQ(list.GetVarAt("w"), list.GetFreqWeightVar());
  EXPECT_EQ(list.GetEncoderAt(0), list.GetVarAt(0)->GetEncoder());
  EXPECT_EQ(list.GetEncoderAt(1), nullptr);  // no bins yet
  EXPECT_EQ(list.GetEncoderAt(9), nullptr);
  EXPECT_EQ(list.GetVarRole(9), IDLVar::kUndefinedRole);
  EXPECT_EQ(list.GetVarNameAt(-1), "");
  std::vector<std::string> predictors{"stale"};
  std::string target = "stale";
  list.GetVarNames(predictors, target);
  EXPECT_EQ(predictors, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(target, "c");
  EXPECT_EQ(list.GetNPredictorCats(), (std::vector<int>{2, 0}));
  list.SetupContEncoders(3);
  EXPECT_EQ(list.GetNPredictorCats(), (std::vector<int>{2, 3}));
}

TEST(DLVarList, RefusedAddsChangeNothing) {
  DLVarList list = MakeList();
  const Snapshot before(list);
  EXPECT_EQ(list.AddContVar("a", "", IDLVar::kPredictor), -1);
  EXPECT_EQ(list.AddContVar("", "", IDLVar::kPredictor), -1);
  EXPECT_EQ(list.AddContVar("t", "", IDLVar::kTarget), -1);
  EXPECT_EQ(list.AddContVar("t", "", 0.0, 1.0, IDLVar::kTarget), -1);
  EXPECT_EQ(list.AddContVar("t", "", std::vector<double>{}, IDLVar::kPredictor), -1);
  EXPECT_EQ(list.AddCatVar("d", "", IDLVar::kNominalString, IDLVar::kTarget, IDLVar::kString), -1);
  EXPECT_EQ(list.AddCatVar("d", "", IDLVar::kContinuous, IDLVar::kPredictor, IDLVar::kDouble), -1);
  EXPECT_EQ(list.AddCatVar("d", "", IDLVar::kFrequencyWeight, IDLVar::kPredictor, IDLVar::kDouble),
            -1);
  EXPECT_EQ(
      list.AddCatVar("c", "", std::vector<double>{1}, true, IDLVar::kPredictor, IDLVar::kDouble),
      -1);
  EXPECT_EQ(list.AddCatVar("d", "", std::vector<std::string>{"x", "y"},
                           std::vector<std::string>{"only one"}, true, IDLVar::kPredictor),
            -1);
  EXPECT_EQ(list.AddCatVar("d", "", std::vector<double>{1}, std::vector<std::string>{"1", "2"},
                           true, IDLVar::kPredictor, IDLVar::kDouble),
            -1);
  EXPECT_EQ(list.AddFreqWeightVar("w2", "", IDLVar::kRound), -1);
  EXPECT_EQ(list.AddFreqWeightVar("a", "", IDLVar::kRound), -1);
  EXPECT_TRUE(Snapshot(list) == before);

  DLVarList noWeight;
  EXPECT_EQ(noWeight.AddFreqWeightVar("", "", IDLVar::kRound), -1);
  EXPECT_EQ(noWeight.Size(), 0);
}

TEST(DLVarList, CategoricalValuesFixTheCodes) {
  DLVarList list;
  ASSERT_EQ(list.AddCatVar("n", "", std::vector<double>{3, 1, 3, 2}, true, IDLVar::kPredictor,
                           IDLVar::kInteger),
            0);
  const IDLVar* var = list.GetVarAt(0);
  EXPECT_EQ(var->GetMeasureLevel(), IDLVar::kNominalNumeric);
  EXPECT_EQ(var->GetNumOfCategories(), 3);
  const auto* enc = static_cast<const DLCatNumNominalEncoder*>(var->GetEncoder());
  EXPECT_EQ(enc->EncodeConst(3), 0);
  EXPECT_EQ(enc->EncodeConst(1), 1);
  EXPECT_EQ(enc->EncodeConst(2), 2);

  ASSERT_EQ(
      list.AddCatVar("s", "", std::vector<std::string>{"lo", "mid", "hi"},
                     std::vector<std::string>{"Low", "Middle", "High"}, false, IDLVar::kPredictor),
      1);
  EXPECT_EQ(list.GetVarAt(1)->GetMeasureLevel(), IDLVar::kOrdinalString);
  EXPECT_EQ(list.GetVarAt(1)->GetVarDataType(), IDLVar::kString);
  EXPECT_EQ((*list.GetEncoderAt(1)->GetValueLabels())[2], "High");

  // Repeated values leave fewer categories than labels: the labels are refused, the add is not.
  ASSERT_EQ(list.AddCatVar("r", "", std::vector<double>{1, 1}, std::vector<std::string>{"a", "b"},
                           false, IDLVar::kPredictor, IDLVar::kDouble),
            2);
  EXPECT_EQ(list.GetVarAt(2)->GetMeasureLevel(), IDLVar::kOrdinalNumeric);
  EXPECT_TRUE(list.GetEncoderAt(2)->GetValueLabels()->empty());

  // One label per value: fewer, more, or none at all for some values is refused, list unchanged.
  const std::vector<std::string> none, one{"A"}, three{"A", "B", "C"};
  for (const auto* labels : {&none, &one, &three}) {
    EXPECT_EQ(list.AddCatVar("n", "", std::vector<double>{1, 2}, *labels, true, IDLVar::kPredictor,
                             IDLVar::kInteger),
              -1);
    EXPECT_EQ(list.AddCatVar("t", "", std::vector<std::string>{"a", "b"}, *labels, true,
                             IDLVar::kPredictor),
              -1);
  }
  EXPECT_EQ(list.Size(), 3);
  EXPECT_EQ(list.AddCatVar("e", "", std::vector<std::string>{}, none, true, IDLVar::kPredictor), 3);
}

TEST(DLVarList, SetVarRoleMovesTheTarget) {
  DLVarList list = MakeList();
  ASSERT_TRUE(list.SetVarRole(0, IDLVar::kTarget));
  EXPECT_EQ(list.GetTargetIndex(), 0);
  EXPECT_EQ(list.GetVarRole(2), IDLVar::kPredictor);
  EXPECT_EQ(list.GetVarRole(0), IDLVar::kTarget);
  EXPECT_TRUE(list.SetVarRole(0, IDLVar::kTarget));  // already so

  const Snapshot before(list);
  EXPECT_FALSE(list.SetVarRole(1, IDLVar::kTarget));      // continuous
  EXPECT_FALSE(list.SetVarRole(2, IDLVar::kFreqWeight));  // only the weight variable has it
  EXPECT_FALSE(list.SetVarRole(3, IDLVar::kPredictor));   // the weight keeps its role
  EXPECT_FALSE(list.SetVarRole(4, IDLVar::kPredictor));
  EXPECT_FALSE(list.SetVarRole(-1, IDLVar::kPredictor));
  EXPECT_TRUE(Snapshot(list) == before);

  ASSERT_TRUE(list.SetVarRole(0, IDLVar::kPredictor));
  EXPECT_EQ(list.GetTargetIndex(), -1);
  ASSERT_TRUE(list.SetVarRole(2, IDLVar::kTarget));
  ASSERT_TRUE(list.SetVarRole(2, IDLVar::kUnused));
  EXPECT_EQ(list.GetTargetIndex(), -1);  // the index never names a variable of another role
  EXPECT_EQ(list.GetTargetVar(), nullptr);
  ASSERT_TRUE(list.SetVarRole(1, IDLVar::kUnused));
  EXPECT_EQ(list.GetVarRole(1), IDLVar::kUnused);
}

TEST(DLVarList, RemoveVarKeepsIndicesInStep) {
  DLVarList list = MakeList();
  ASSERT_TRUE(list.RemoveVar(0));
  EXPECT_EQ(list.GetTargetIndex(), 1);
  EXPECT_EQ(list.GetFreqWeightIndex(), 2);
  EXPECT_EQ(list.GetTargetName(), "c");
  EXPECT_EQ(list.GetNumCatVar(), 1);
  ASSERT_TRUE(list.RemoveVar("w"));
  EXPECT_EQ(list.GetFreqWeightIndex(), -1);
  EXPECT_EQ(list.GetNumCatVar(), 1);  // the weight was never counted
  EXPECT_EQ(list.GetNumContVar(), 1);
  ASSERT_TRUE(list.RemoveVar(1));
  EXPECT_EQ(list.GetTargetIndex(), -1);
  EXPECT_EQ(list.GetNumCatVar(), 0);
  const Snapshot before(list);
  EXPECT_FALSE(list.RemoveVar(5));
  EXPECT_FALSE(list.RemoveVar(-1));
  EXPECT_FALSE(list.RemoveVar("nope"));
  EXPECT_FALSE(list.RemoveVar(""));
  EXPECT_TRUE(Snapshot(list) == before);
  ASSERT_TRUE(list.RemoveVar(0));
  EXPECT_EQ(list.GetNumContVar(), 0);
  EXPECT_EQ(list.Size(), 0);
  // The names are free again.
  EXPECT_EQ(list.AddContVar("b", "", IDLVar::kPredictor), 0);
}

TEST(DLVarList, LookupByNameFollowsRemovalsAndRenames) {
  DLVarList list;
  for (const char* name : {"a", "b", "c", "d"}) list.AddContVar(name, "", IDLVar::kPredictor);
  auto expectIndexed = [&list](const std::vector<std::string>& names) {
    ASSERT_EQ(list.Size(), static_cast<int>(names.size()));
    for (int i = 0; i < list.Size(); ++i) EXPECT_EQ(list.FindVar(names[i]), i) << names[i];
  };
  ASSERT_TRUE(list.RemoveVar("b"));
  expectIndexed({"a", "c", "d"});
  EXPECT_EQ(list.FindVar("b"), -1);
  // Renamed through a handed-out pointer: found under the new name only.
  static_cast<DLContVar&>(*list.GetVarAt(1)) = DLContVar("e", "", IDLVar::kPredictor);
  expectIndexed({"a", "e", "d"});
  EXPECT_EQ(list.FindVar("c"), -1);
  EXPECT_EQ(list.AddContVar("c", "", IDLVar::kPredictor), 3);
  // Copies belong to no list: renaming one leaves the list (and a dead list) alone.
  DLVarList copy(list);
  std::unique_ptr<IDLVar> clone(list.GetVarAt(0)->Clone());
  static_cast<DLContVar&>(*copy.GetVarAt(0)) = DLContVar("f", "", IDLVar::kPredictor);
  list = DLVarList();
  static_cast<DLContVar&>(*clone) = DLContVar("g", "", IDLVar::kPredictor);
  EXPECT_EQ(copy.FindVar("f"), 0);
  EXPECT_EQ(copy.FindVar("a"), -1);
  EXPECT_EQ(list.FindVar("a"), -1);
}

TEST(DLVarList, RemovingBeforeTheTargetShiftsIt) {
  DLVarList list;
  list.AddContVar("p0", "", 0.0, 1.0, IDLVar::kPredictor);
  list.AddContVar("p1", "", 0.0, 1.0, IDLVar::kPredictor);
  list.AddCatVar("t", "", IDLVar::kNominalString, IDLVar::kTarget, IDLVar::kString);
  ASSERT_TRUE(list.RemoveVar(0));
  EXPECT_EQ(list.GetTargetIndex(), 1);
  ASSERT_TRUE(list.RemoveVar(1));
  EXPECT_EQ(list.GetTargetIndex(), -1);
  EXPECT_EQ(list.Size(), 1);
}

TEST(DLVarList, ContinuousEncoders) {
  DLVarList list;
  list.AddContVar("x", "", 0.0, 10.0, IDLVar::kPredictor);
  list.AddCatVar("t", "", IDLVar::kNominalString, IDLVar::kTarget, IDLVar::kString);
  list.AddContVar("norange", "", IDLVar::kPredictor);
  list.AddContVar("cuts", "", std::vector<double>{1.0, 2.0}, IDLVar::kPredictor);
  list.AddContVar("y", "", -1.0, 1.0, IDLVar::kPredictor);
  EXPECT_EQ(list.SetupContEncoders(1), 0);
  EXPECT_EQ(list.GetEncoderAt(0), nullptr);
  EXPECT_EQ(list.SetupContEncoders(4), 2);  // x and y; no range and existing cuts fail
  EXPECT_EQ(list.GetEncoderAt(4)->GetNumOfCategories(), 4);
  EXPECT_EQ(list.RemoveContEncoders(false), 2);  // the explicit cutpoints stay
  EXPECT_NE(list.GetEncoderAt(3), nullptr);
  EXPECT_EQ(list.RemoveContEncoders(true), 1);
  EXPECT_EQ(list.GetEncoderAt(3), nullptr);
}

TEST(DLVarList, Validity) {
  std::vector<int> constVars{99}, emptyVars{99};
  DLVarList targetOnly;
  targetOnly.AddCatVar("t", "", std::vector<std::string>{"y", "n"}, true, IDLVar::kTarget);
  EXPECT_FALSE(targetOnly.IsValidList(&constVars, &emptyVars));
  EXPECT_TRUE(constVars.empty());
  EXPECT_TRUE(emptyVars.empty());

  DLVarList noTarget;
  noTarget.AddContVar("a", "", 0.0, 1.0, IDLVar::kPredictor);
  noTarget.AddContVar("b", "", 0.0, 1.0, IDLVar::kPredictor);
  EXPECT_FALSE(noTarget.IsValidList(nullptr, nullptr));

  DLVarList valid;
  valid.AddCatVar("t", "", std::vector<std::string>{"y", "n"}, true, IDLVar::kTarget);
  valid.AddCatVar("k", "", std::vector<std::string>{"only"}, true, IDLVar::kPredictor);
  valid.AddContVar("x", "", 0.0, 1.0, IDLVar::kPredictor);
  valid.AddContVar("ignored", "", IDLVar::kUnused);  // empty, but unused
  valid.AddFreqWeightVar("w", "", IDLVar::kRound);
  EXPECT_TRUE(valid.IsValidList(&constVars, &emptyVars));
  EXPECT_EQ(constVars, (std::vector<int>{1}));
  EXPECT_TRUE(emptyVars.empty());

  valid.AddContVar("norange", "", IDLVar::kPredictor);
  EXPECT_FALSE(valid.IsValidList(&constVars, &emptyVars));
  EXPECT_EQ(emptyVars, (std::vector<int>{5}));
  EXPECT_EQ(constVars, (std::vector<int>{1}));
  EXPECT_FALSE(valid.IsValidList(nullptr, nullptr));
}

TEST(DLVarList, CopyAndAssignmentAreDeep) {
  auto source = std::make_unique<DLVarList>(MakeList());
  DLVarList copy(*source);
  DLVarList assigned;
  assigned.AddContVar("gone", "", IDLVar::kPredictor);
  assigned = *source;
  EXPECT_TRUE(copy == *source);
  EXPECT_TRUE(assigned == *source);
  source.reset();
  EXPECT_EQ(copy.GetVarNameAt(0), "a");
  EXPECT_EQ(assigned.FindVar("gone"), -1);
  EXPECT_EQ(assigned.GetTargetIndex(), 2);
  EXPECT_EQ(assigned.GetFreqWeightIndex(), 3);
  const DLVarList& self = assigned;
  assigned = self;
  EXPECT_EQ(assigned.Size(), 4);
  static_cast<DLCatStrNominalEncoder*>(copy.GetEncoderAt(0))->Encode("z");
  EXPECT_EQ(assigned.GetVarAt(0)->GetNumOfCategories(), 2);
}

TEST(DLVarList, CopyBySubsetOfNames) {
  DLVarList src;
  src.AddCatVar("a", "", std::vector<std::string>{"x", "y"}, true, IDLVar::kPredictor);
  src.AddContVar("b", "", 0.0, 1.0, IDLVar::kPredictor);
  src.AddContVar("c", "", 0.0, 1.0, IDLVar::kPredictor);

  const std::vector<std::string> names{"b", "z", "a"};
  DLVarList view;
  view.Copy(src, &names, "a");
  ASSERT_EQ(view.Size(), 2);
  EXPECT_EQ(view.GetVarNameAt(0), "b");
  EXPECT_EQ(view.GetVarNameAt(1), "a");
  EXPECT_EQ(view.GetTargetIndex(), 1);
  EXPECT_EQ(view.GetVarRole(1), IDLVar::kTarget);
  EXPECT_EQ(src.GetVarRole(0), IDLVar::kPredictor);  // the source is untouched
  EXPECT_EQ(view.GetNumContVar(), 1);
  EXPECT_EQ(view.GetNumCatVar(), 1);

  const std::vector<std::string> withoutTarget{"b", "z"};
  view.Copy(src, &withoutTarget, "a");
  ASSERT_EQ(view.Size(), 1);
  EXPECT_EQ(view.GetVarNameAt(0), "b");
  EXPECT_EQ(view.GetTargetIndex(), -1);

  const std::vector<std::string> none;
  view.Copy(src, &none, "a");
  EXPECT_EQ(view.Size(), 0);

  view.Copy(src, static_cast<const std::vector<std::string>*>(nullptr), "a");
  EXPECT_EQ(view.Size(), 3);
  EXPECT_EQ(view.GetTargetIndex(), 0);
}

TEST(DLVarList, CopyByIndicesCarriesRolesAndCounts) {
  DLVarList src = MakeList();
  const std::vector<int> indices{3, 2, 2, 7, 1};
  DLVarList view;
  view.Copy(src, &indices, -1);
  ASSERT_EQ(view.Size(), 3);  // the repeat and the bad index are skipped
  EXPECT_EQ(view.GetFreqWeightIndex(), 0);
  EXPECT_EQ(view.GetTargetIndex(), 1);
  EXPECT_EQ(view.GetNumContVar(), 1);
  EXPECT_EQ(view.GetNumCatVar(), 1);  // the weight counts as neither, as when added
  // A copy onto itself reads intact variables.
  view.Copy(view, nullptr, -1);
  EXPECT_EQ(view.Size(), 3);
  EXPECT_EQ(view.GetVarNameAt(2), "b");
  const std::vector<int> self{2};
  view.Copy(view, &self, -1);
  ASSERT_EQ(view.Size(), 1);
  EXPECT_EQ(view.GetVarNameAt(0), "b");
}

TEST(DLVarList, EqualityAndCompatibility) {
  DLVarList a = MakeList();
  DLVarList b = MakeList();
  EXPECT_TRUE(a == b);
  static_cast<DLCatStrNominalEncoder*>(b.GetEncoderAt(0))->Encode("new");
  b.GetVarAt(0)->GetVarStatus();
  EXPECT_FALSE(a == b);
  EXPECT_TRUE(a != b);
  EXPECT_TRUE(a.IsCompatibleWith(b));
  EXPECT_FALSE(b.IsCompatibleWith(a));

  // Extra variables of the other list do not matter; unused ones of this list do not either.
  DLVarList smaller = MakeList();
  smaller.RemoveVar("b");
  EXPECT_TRUE(smaller.IsCompatibleWith(a));
  EXPECT_FALSE(a.IsCompatibleWith(smaller));
  a.SetVarRole(1, IDLVar::kUnused);
  EXPECT_TRUE(a.IsCompatibleWith(smaller));
}

TEST(DLVarList, Display) {
  DLVarList list;
  list.AddCatVar("t", "T", std::vector<std::string>{"y"}, true, IDLVar::kTarget);
  list.AddContVar("x", "X", IDLVar::kPredictor);
  list.GetVarAt(0)->GetVarStatus();
  std::ostringstream os;
  list.Display(os);
  EXPECT_EQ(os.str(),
            "\nBegin display of DLVarList object.\n"
            "Total variables: 2\n"
            "Num of Continuous Vars = 1\n"
            "Num of Categorical Vars  = 1\n"
            "Target Index  = 0\n"
            "Var 0\n"
            "Categorical variable: name = t, label = T, role = Target\n"
            "\tMeasurement Level = Nominal String Categorical\n"
            "\tNum of Categories = 1\n"
            "\tDLCatStrNominalEncoder: Next code = 1\n"
            "\t\tString values of categories: y \n"
            "Var 1\n"
            "Continuous variable: name = x, label = X, role = Predictor\n"
            "min = 1.797693134862316e+308, max = <missing>\n"
            "\tEncoder not set.\n"
            "End of display for DLVarList object.\n");
}

}  // namespace
