// Tests of the variable model: predicates, categorical, continuous and weight variables.
#include "ruleweave/variables/var.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <sstream>

#include "ruleweave/foundation/exceptions.h"
#include "ruleweave/foundation/missing_value.h"
#include "ruleweave/variables/binning_encoder.h"
#include "ruleweave/variables/var_list.h"

namespace {

constexpr double kMax = std::numeric_limits<double>::max();

std::string Message(const std::string& cls, const std::string& condition) {
  return "CANNOT CREATE OBJECT of " + cls + ":\nPre-condition is not satisfied: ( " + condition +
         " )";
}

template <class Make>
std::string ThrownMessage(Make make) {
  try {
    make();
  } catch (const QXDecision::ConstructorException& e) {
    return e.GetMessage();
  }
  return "no exception";
}

const DLBinningEncoder* Binning(const IDLVar& var) {
  return static_cast<const DLBinningEncoder*>(var.GetEncoder());
}

TEST(IDLVar, CategoryTextAndCodeGoThroughTheEncoder) {
  DLVarList list;
  ASSERT_EQ(list.AddCatVar("d", "", std::vector<double>{2.5, 1.5e-7, 3}, true, IDLVar::kPredictor,
                           IDLVar::kDouble),
            0);
  ASSERT_EQ(list.AddCatVar("i", "", std::vector<double>{7, -2.9}, false, IDLVar::kPredictor,
                           IDLVar::kInteger),
            1);
  ASSERT_EQ(list.AddCatVar("s", "", std::vector<std::string>{"a b", ""}, true, IDLVar::kTarget), 2);
  ASSERT_EQ(list.AddContVar("c", "", 0.0, 1.0, IDLVar::kPredictor), 3);

  struct Case {
    int var;
    int code;
    const char* text;  // null: no text
  };
  const Case cases[] = {{0, 0, "2.5"},    {0, 1, "1.5e-07"}, {0, 2, "3"},  {0, 3, nullptr},
                        {0, -1, nullptr}, {1, 0, "7"},       {1, 1, "-2"}, {2, 0, "a b"},
                        {2, 1, ""},       {3, 0, nullptr}};
  for (const Case& c : cases) {
    const IDLVar& var = *list.GetVarAt(c.var);
    std::string text = "unchanged";
    EXPECT_EQ(var.GetCategoryText(c.code, text), c.text != nullptr) << c.var << " " << c.code;
    EXPECT_EQ(text, c.text != nullptr ? c.text : "unchanged") << c.var << " " << c.code;
  }

  const struct {
    int var;
    const char* text;
    int code;
  } reads[] = {{0, "2.5", 0}, {0, "1.5e-7", 1}, {0, "3.0", 2}, {0, " 2.5", -1},
               {0, "9", -1},  {1, "7", 0},      {1, "-2", -1}, {2, "a b", 0},
               {2, "", 1},    {2, "A B", -1},   {3, "0.5", -1}};
  for (const auto& r : reads) {
    EXPECT_EQ(list.GetVarAt(r.var)->GetCategoryCode(r.text), r.code) << r.var << " " << r.text;
  }
  EXPECT_EQ(list.GetVarAt(0)->GetNumOfCategories(), 3);  // reading adds no category
}

TEST(IDLVar, Predicates) {
  EXPECT_TRUE(IDLVar::IsNominal(IDLVar::kNominalNumeric));
  EXPECT_TRUE(IDLVar::IsNominal(IDLVar::kNominalString));
  EXPECT_FALSE(IDLVar::IsNominal(IDLVar::kOrdinalString));
  EXPECT_TRUE(IDLVar::IsOrdinal(IDLVar::kOrdinalNumeric));
  EXPECT_TRUE(IDLVar::IsCategorical(IDLVar::kOrdinalString));
  EXPECT_FALSE(IDLVar::IsCategorical(IDLVar::kContinuous));
  EXPECT_FALSE(IDLVar::IsCategorical(IDLVar::kFrequencyWeight));
  EXPECT_TRUE(IDLVar::IsNumeric(IDLVar::kContinuous));
  EXPECT_FALSE(IDLVar::IsNumeric(IDLVar::kFrequencyWeight));
  EXPECT_TRUE(IDLVar::IsString(IDLVar::kNominalString));
  EXPECT_FALSE(IDLVar::IsUsed(IDLVar::kUnknownLevel));
  EXPECT_FALSE(IDLVar::IsUsed(IDLVar::kFrequencyWeight));
  EXPECT_TRUE(IDLVar::IsUsed(IDLVar::kOrdinalString));
  EXPECT_TRUE(IDLVar::IsIntegerCategorical(IDLVar::kOrdinalNumeric, IDLVar::kInteger));
  EXPECT_FALSE(IDLVar::IsIntegerCategorical(IDLVar::kNominalString, IDLVar::kInteger));
  EXPECT_TRUE(IDLVar::IsDoubleCategorical(IDLVar::kNominalNumeric, IDLVar::kDouble));

  DLCatVar age("age", "", IDLVar::kOrdinalNumeric, IDLVar::kPredictor, IDLVar::kInteger);
  EXPECT_TRUE(IDLVar::IsOrdinal(age));
  EXPECT_TRUE(IDLVar::IsIntegerCategorical(age));
  EXPECT_FALSE(IDLVar::IsDoubleCategorical(age));
  DLContVar income("income", "", IDLVar::kPredictor);
  EXPECT_TRUE(IDLVar::IsContinuous(income));
  EXPECT_FALSE(IDLVar::IsDoubleCategorical(income));
}

TEST(DLCatVar, ConstructorChecksNameBeforeLevel) {
  EXPECT_EQ(ThrownMessage([] {
              DLCatVar v("", "", IDLVar::kContinuous, IDLVar::kPredictor, IDLVar::kDouble);
            }),
            Message("DLCatVar", "! vName.empty()"));
  EXPECT_EQ(ThrownMessage([] {
              DLCatVar v("x", "", IDLVar::kContinuous, IDLVar::kPredictor, IDLVar::kDouble);
            }),
            Message("DLCatVar", "IsCategorical( mLevel )"));
}

TEST(DLCatVar, EncoderFollowsTheLevel) {
  const std::pair<IDLVar::MeasureLevel, IDLEncoder::EncoderType> cases[] = {
      {IDLVar::kNominalNumeric, IDLEncoder::kCatNumNominalEncoder},
      {IDLVar::kOrdinalNumeric, IDLEncoder::kCatNumOrdinalEncoder},
      {IDLVar::kNominalString, IDLEncoder::kCatStrNominalEncoder},
      {IDLVar::kOrdinalString, IDLEncoder::kCatStrOrdinalEncoder}};
  for (const auto& [level, type] : cases) {
    DLCatVar v("v", "", level, IDLVar::kPredictor, IDLVar::kString);
    ASSERT_NE(v.GetEncoder(), nullptr);
    EXPECT_EQ(v.GetEncoder()->GetEncoderType(), type);
    EXPECT_EQ(v.GetNumOfCategories(), 0);
  }
}

TEST(DLCatVar, StatusFollowsTheLargestCategoryCount) {
  DLCatVar v("colour", "", IDLVar::kNominalString, IDLVar::kPredictor, IDLVar::kString);
  auto* encoder = static_cast<DLCatStrNominalEncoder*>(v.GetEncoder());
  EXPECT_EQ(v.GetVarStatus(), IDLVar::kVarEmpty);
  encoder->Encode("red");
  EXPECT_EQ(v.GetVarStatus(), IDLVar::kVarConstant);
  encoder->Encode("green");
  encoder->Encode("blue");
  EXPECT_EQ(v.GetVarStatus(), IDLVar::kVarOK);
  EXPECT_EQ(v.GetNumOfCategories(), 3);
}

TEST(DLCatVar, UserMissingStaysWithTheCaller) {
  DLCatVar v("colour", "", IDLVar::kNominalString, IDLVar::kPredictor, IDLVar::kString);
  DLStringUserMissing um;  // on the stack: the variable must not delete it
  um.AddValue("?");
  ASSERT_TRUE(v.SetUserMissingInfo(&um));
  ASSERT_NE(v.GetUserMissingInfo(), nullptr);
  EXPECT_NE(v.GetUserMissingInfo(), &um);
  EXPECT_EQ(static_cast<DLCatStrNominalEncoder*>(v.GetEncoder())->Encode("?"), -1);
  DLNumericUserMissing numeric;
  EXPECT_FALSE(v.SetUserMissingInfo(&numeric));
  EXPECT_EQ(v.GetUserMissingInfo()->GetDataType(), IDLUserMissing::kStringMissing);
}

TEST(DLCatVar, EqualityNeedsAnalysisRoles) {
  DLCatVar a("x", "", IDLVar::kNominalNumeric, IDLVar::kPredictor, IDLVar::kInteger);
  DLCatVar b("x", "other label", IDLVar::kNominalNumeric, IDLVar::kTarget, IDLVar::kDouble);
  EXPECT_TRUE(a == b);  // predictor and target are compatible roles; labels do not count
  a.SetVarRole(IDLVar::kUnused);
  b.SetVarRole(IDLVar::kUnused);
  EXPECT_FALSE(a == b);
  EXPECT_TRUE(a != b);
  EXPECT_TRUE(a == a);
  EXPECT_FALSE(a.IsCompatibleWith(b));
}

TEST(DLCatVar, CompatibilityIgnoresGrowth) {
  DLCatVar a("x", "", IDLVar::kNominalString, IDLVar::kPredictor, IDLVar::kString);
  static_cast<DLCatStrNominalEncoder*>(a.GetEncoder())->Encode("p");
  std::unique_ptr<IDLVar> b(a.Clone());
  static_cast<DLCatStrNominalEncoder*>(b->GetEncoder())->Encode("q");
  a.GetVarStatus();
  b->GetVarStatus();
  EXPECT_FALSE(a == *b);
  EXPECT_TRUE(a.IsCompatibleWith(*b));
  EXPECT_FALSE(b->IsCompatibleWith(a));
  DLCatVar ordinal("x", "", IDLVar::kOrdinalString, IDLVar::kPredictor, IDLVar::kString);
  DLCatVar empty("x", "", IDLVar::kNominalString, IDLVar::kPredictor, IDLVar::kString);
  EXPECT_FALSE(empty.IsCompatibleWith(ordinal));
  DLContVar cont("x", "", IDLVar::kPredictor);
  EXPECT_FALSE(empty == cont);
}

TEST(DLCatVar, CopyOwnsItsEncoderAndAssignmentKeepsIt) {
  auto source = std::make_unique<DLCatVar>("s", "S", IDLVar::kNominalString, IDLVar::kTarget,
                                           IDLVar::kString);
  static_cast<DLCatStrNominalEncoder*>(source->GetEncoder())->Encode("a");
  source->GetVarStatus();
  DLCatVar copy(*source);
  DLCatVar assigned("t", "T", IDLVar::kNominalString, IDLVar::kPredictor, IDLVar::kInteger);
  static_cast<DLCatStrNominalEncoder*>(assigned.GetEncoder())->Encode("own");
  assigned = *source;
  source.reset();
  EXPECT_EQ(static_cast<DLCatStrNominalEncoder*>(copy.GetEncoder())->Decode(0), "a");
  EXPECT_EQ(assigned.GetVarName(), "s");
  EXPECT_EQ(assigned.GetVarRole(), IDLVar::kTarget);
  EXPECT_EQ(assigned.GetVarDataType(), IDLVar::kInteger);  // kept
  EXPECT_EQ(static_cast<DLCatStrNominalEncoder*>(assigned.GetEncoder())->Decode(0), "own");
}

TEST(DLCatVar, AssigningAnotherLevelBringsAMatchingEncoder) {
  DLCatVar strings("s", "", IDLVar::kNominalString, IDLVar::kPredictor, IDLVar::kString);
  static_cast<DLCatStrNominalEncoder*>(strings.GetEncoder())->Encode("a");
  DLCatVar numbers("n", "", IDLVar::kNominalNumeric, IDLVar::kPredictor, IDLVar::kDouble);
  numbers = strings;
  EXPECT_EQ(numbers.GetMeasureLevel(), IDLVar::kNominalString);
  ASSERT_EQ(numbers.GetEncoder()->GetEncoderType(), IDLEncoder::kCatStrNominalEncoder);
  EXPECT_EQ(static_cast<DLCatStrNominalEncoder*>(numbers.GetEncoder())->Decode(0), "a");
}

TEST(DLCatVar, Display) {
  DLCatVar v("colour", "Colour", IDLVar::kOrdinalString, IDLVar::kPredictor, IDLVar::kString);
  static_cast<DLCatStrOrdinalEncoder*>(v.GetEncoder())->Encode("red");
  v.GetVarStatus();
  std::ostringstream os;
  v.Display(os);
  EXPECT_EQ(os.str(),
            "Categorical variable: name = colour, label = Colour, role = Predictor\n"
            "\tMeasurement Level = Ordinal String Categorical\n"
            "\tNum of Categories = 1\n"
            "\tDLCatStrOrdinalEncoder: Next code = 1\n"
            "\t\tString values of categories: red \n");
}

TEST(DLContVar, ConstructorChecksInOrder) {
  EXPECT_EQ(ThrownMessage([] { DLContVar v("", "", IDLVar::kTarget); }),
            Message("DLContVar", "! vName.empty()"));
  EXPECT_EQ(ThrownMessage([] { DLContVar v("x", "", IDLVar::kTarget); }),
            Message("DLContVar", "vRole != IDLVar::kTarget"));
  EXPECT_EQ(ThrownMessage([] { DLContVar v("x", "", 0.0, 1.0, IDLVar::kTarget); }),
            Message("DLContVar", "vRole != IDLVar::kTarget"));
  EXPECT_EQ(ThrownMessage([] { DLContVar v("x", "", std::vector<double>{}, IDLVar::kTarget); }),
            Message("DLContVar", "cutpoints.size() > 0"));
  EXPECT_EQ(ThrownMessage([] { DLContVar v("", "", std::vector<double>{}, IDLVar::kTarget); }),
            Message("DLContVar", "! vName.empty()"));
}

TEST(DLContVar, RangeFromCutpoints) {
  DLContVar one("x", "", std::vector<double>{10.0}, IDLVar::kPredictor);
  EXPECT_EQ(one.GetMin(), -40.0);
  EXPECT_EQ(one.GetMax(), 60.0);
  DLContVar three("x", "", std::vector<double>{1.0, 2.0, 4.0}, IDLVar::kPredictor);
  EXPECT_EQ(three.GetMin(), 0.0);
  EXPECT_EQ(three.GetMax(), 6.0);
  ASSERT_NE(three.GetEncoder(), nullptr);
  EXPECT_TRUE(Binning(three)->AreCutpointsSetExplicitly());
  EXPECT_EQ(three.GetNumOfCategories(), 4);
  DLContVar unused("x", "", std::vector<double>{1.0, 2.0}, IDLVar::kUnused);
  EXPECT_EQ(unused.GetEncoder(), nullptr);
  EXPECT_EQ(unused.GetNumOfCategories(), 0);
}

TEST(DLContVar, StatusFollowsTheRange) {
  DLContVar v("x", "", IDLVar::kPredictor);
  EXPECT_EQ(v.GetMin(), kMax);
  EXPECT_EQ(v.GetMax(), -kMax);
  EXPECT_EQ(v.GetVarStatus(), IDLVar::kVarEmpty);
  EXPECT_FALSE(v.SetMinMax(3.0, 3.0));
  EXPECT_FALSE(v.SetMinMax(std::nan(""), 3.0));
  EXPECT_EQ(v.GetVarStatus(), IDLVar::kVarEmpty);
  EXPECT_TRUE(v.SetMinMax(3.0, 4.0));
  EXPECT_EQ(v.GetVarStatus(), IDLVar::kVarOK);
  DLContVar point("p", "", 2.0, 2.0, IDLVar::kPredictor);
  EXPECT_EQ(point.GetVarStatus(), IDLVar::kVarConstant);
}

TEST(DLContVar, SetupAndClearEncoder) {
  DLContVar v("x", "", 0.0, 10.0, IDLVar::kPredictor);
  EXPECT_FALSE(v.SetupEncoder(1));
  ASSERT_TRUE(v.SetupEncoder(5));
  EXPECT_EQ(Binning(v)->GetBinningCutpoints(), (std::vector<double>{2.0, 4.0, 6.0, 8.0}));
  EXPECT_FALSE(v.SetupEncoder(3));
  EXPECT_FALSE(v.SetupEncoder(std::vector<double>{1.0}));
  EXPECT_TRUE(v.ClearEncoder(false));  // equal-width cutpoints are not explicit
  EXPECT_FALSE(v.ClearEncoder(false));
  ASSERT_TRUE(v.SetupEncoder(std::vector<double>{5.0, 1.0, 3.0}));
  EXPECT_EQ(Binning(v)->GetBinningCutpoints(), (std::vector<double>{1.0, 3.0, 5.0}));
  EXPECT_FALSE(v.ClearEncoder(false));
  EXPECT_TRUE(v.ClearEncoder(true));
  EXPECT_EQ(v.GetEncoder(), nullptr);
  EXPECT_FALSE(v.SetupEncoder(std::vector<double>{}));

  DLContVar unused("u", "", 0.0, 10.0, IDLVar::kUnused);
  EXPECT_FALSE(unused.SetupEncoder(5));
  DLContVar noRange("n", "", IDLVar::kPredictor);
  EXPECT_FALSE(noRange.SetupEncoder(5));
  DLContVar nanRange("n", "", std::nan(""), 1.0, IDLVar::kPredictor);
  EXPECT_FALSE(nanRange.SetupEncoder(5));  // refused, not thrown
}

TEST(DLContVar, OwnsItsUserMissingSetAndSharesItWithTheEncoder) {
  DLContVar v("x", "", 0.0, 10.0, IDLVar::kPredictor);
  auto* um = new DLNumericUserMissing;
  um->AddValue(5.0);
  ASSERT_TRUE(v.SetUserMissingInfo(um));
  EXPECT_EQ(v.GetUserMissingInfo(), um);
  ASSERT_TRUE(v.SetupEncoder(2));
  EXPECT_EQ(v.GetEncoder()->GetUserMissingInfo(), um);
  EXPECT_EQ(Binning(v)->Encode(5.0), -1);
  EXPECT_TRUE(v.SetUserMissingInfo(um));  // handing it its own set again keeps it alive
  EXPECT_EQ(Binning(v)->Encode(5.0), -1);

  DLStringUserMissing strings;
  EXPECT_FALSE(v.SetUserMissingInfo(&strings));
  EXPECT_EQ(v.GetUserMissingInfo(), um);

  auto* replacement = new DLNumericUserMissing;
  replacement->AddValue(7.0);
  ASSERT_TRUE(v.SetUserMissingInfo(replacement));  // deletes the old set
  EXPECT_EQ(Binning(v)->Encode(5.0), 0);
  EXPECT_EQ(Binning(v)->Encode(7.0), -1);
  ASSERT_TRUE(v.SetUserMissingInfo(nullptr));
  EXPECT_EQ(v.GetEncoder()->GetUserMissingInfo(), nullptr);
  EXPECT_EQ(Binning(v)->Encode(7.0), 1);
}

TEST(DLContVar, CopyAndAssignmentOwnTheirSets) {
  auto source = std::make_unique<DLContVar>("x", "X", 0.0, 10.0, IDLVar::kPredictor);
  auto* um = new DLNumericUserMissing;
  um->AddValue(5.0);
  source->SetUserMissingInfo(um);
  source->SetupEncoder(2);

  DLContVar copy(*source);
  DLContVar noEncoder("y", "", IDLVar::kUnused);
  noEncoder = *source;  // gets a copy of the encoder and the set
  DLContVar withBoth("z", "", 0.0, 100.0, IDLVar::kPredictor);
  withBoth.SetupEncoder(4);  // kept on assignment
  auto* own = new DLNumericUserMissing;
  own->AddValue(1.0);
  withBoth.SetUserMissingInfo(own);
  withBoth = *source;  // its set is assigned from the source's
  source.reset();

  for (DLContVar* v : {&copy, &noEncoder, &withBoth}) {
    ASSERT_NE(v->GetUserMissingInfo(), nullptr);
    EXPECT_EQ(v->GetEncoder()->GetUserMissingInfo(), v->GetUserMissingInfo());
    EXPECT_EQ(Binning(*v)->Encode(5.0), -1);
    EXPECT_NE(Binning(*v)->Encode(1.0), -1);
    EXPECT_EQ(v->GetMax(), 10.0);
  }
  EXPECT_EQ(Binning(withBoth)->GetBinningCutpoints().size(), 3u);
  EXPECT_EQ(Binning(copy)->GetBinningCutpoints().size(), 1u);

  DLContVar bare("b", "", IDLVar::kPredictor);
  copy = bare;  // a source without encoder and set removes both
  EXPECT_EQ(copy.GetEncoder(), nullptr);
  EXPECT_EQ(copy.GetUserMissingInfo(), nullptr);
  const DLContVar& self = copy;
  copy = self;
  EXPECT_EQ(copy.GetVarName(), "b");
}

TEST(DLContVar, EqualityAndCompatibility) {
  DLContVar a("x", "", 0.0, 10.0, IDLVar::kPredictor);
  DLContVar b("x", "label", 0.0, 10.0, IDLVar::kPredictor);
  EXPECT_TRUE(a == b);
  b.SetupEncoder(2);
  EXPECT_FALSE(a == b);  // one encoder present, the other absent
  EXPECT_FALSE(a.IsCompatibleWith(b));
  a.SetupEncoder(3);
  EXPECT_FALSE(a == b);
  EXPECT_TRUE(a.IsCompatibleWith(b));
  DLContVar c("x", "", 0.0, 20.0, IDLVar::kPredictor);
  c.SetupEncoder(3);
  EXPECT_TRUE(a.IsCompatibleWith(c));  // the range is not compared
  EXPECT_FALSE(a == c);
  c.SetVarRole(IDLVar::kUnused);
  EXPECT_FALSE(a.IsCompatibleWith(c));
}

TEST(DLContVar, Display) {
  DLContVar v("income", "Income", IDLVar::kPredictor);
  std::ostringstream os;
  v.Display(os);
  v.SetMinMax(0.5, 1.0 / 3.0 + 1.0);
  v.SetupEncoder(2);
  v.Display(os);
  EXPECT_EQ(os.str(),
            "Continuous variable: name = income, label = Income, role = Predictor\n"
            "min = 1.797693134862316e+308, max = <missing>\n"
            "\tEncoder not set.\n"
            "Continuous variable: name = income, label = Income, role = Predictor\n"
            "min = 0.5, max = 1.333333333333333\n"
            "\tDLBinningEncoder: number of bins = 2\n"
            "\t\tCutpoints: 0.9166666666666666 \n"
            "\t\tCutpoints set explicitly? No.\n");
}

TEST(DLWeightVar, FixedRoleAndLevel) {
  EXPECT_EQ(ThrownMessage([] { DLWeightVar w("", "", IDLVar::kTruncate); }),
            Message("DLWeightVar", "vName is not empty"));
  DLWeightVar w("freq", "", IDLVar::kRound);
  w.SetVarRole(IDLVar::kPredictor);
  EXPECT_EQ(w.GetVarRole(), IDLVar::kFreqWeight);
  EXPECT_EQ(w.GetMeasureLevel(), IDLVar::kFrequencyWeight);
  EXPECT_EQ(w.GetVarDataType(), IDLVar::kInteger);
  EXPECT_EQ(w.GetNumOfCategories(), 0);
  EXPECT_EQ(w.GetVarStatus(), IDLVar::kVarOK);
  EXPECT_FALSE(w.IsUnusedVar());
  ASSERT_NE(w.GetEncoder(), nullptr);
  EXPECT_EQ(static_cast<const DLRoundEncoder*>(w.GetEncoder())->Encode(1.5), 2.0);
}

TEST(DLWeightVar, UserMissingOwnershipAcrossCopies) {
  auto source = std::make_unique<DLWeightVar>("w", "", IDLVar::kTruncate);
  auto* um = new DLNumericUserMissing;
  um->AddValue(9.0);
  source->SetUserMissingInfo(um);
  DLWeightVar copy(*source);
  DLWeightVar assigned("v", "", IDLVar::kRound);
  assigned = *source;
  source.reset();
  EXPECT_EQ(static_cast<const DLRoundEncoder*>(copy.GetEncoder())->Encode(9.0), QXMV::Missing());
  // Assignment keeps the target's own rounding option and re-hands it the copied set.
  const auto* enc = static_cast<const DLRoundEncoder*>(assigned.GetEncoder());
  EXPECT_EQ(enc->GetRoundingOption(), IDLVar::kRound);
  EXPECT_EQ(enc->Encode(9.0), QXMV::Missing());
  EXPECT_EQ(enc->GetUserMissingInfo(), assigned.GetUserMissingInfo());
  EXPECT_FALSE(copy == assigned);  // different rounding options
  DLWeightVar same("w", "", IDLVar::kTruncate);
  EXPECT_FALSE(copy == same);  // the set differs
  same.SetUserMissingInfo(new DLNumericUserMissing(
      *static_cast<const DLNumericUserMissing*>(copy.GetUserMissingInfo())));
  EXPECT_TRUE(copy == same);
}

TEST(DLWeightVar, Display) {
  DLWeightVar w("freq", "Frequency", IDLVar::kTruncate);
  auto* um = new DLNumericUserMissing;
  um->AddValue(0.0, "none");
  w.SetUserMissingInfo(um);
  std::ostringstream os;
  w.Display(os);
  EXPECT_EQ(os.str(),
            "Frequency weight variable: name = freq, label = Frequency\n"
            "\tDLRoundEncoder: option = Truncate to smaller int\n"
            "\t\tUser-missing values for this encoder:\n"
            "\t\tStart of DLNumericUserMissing display\n"
            "Discrete missing values:\n"
            "0, label = none\n"
            "End of DLNumericUserMissing display\n"
            "Start of DLNumericUserMissing display\n"
            "Discrete missing values:\n"
            "0, label = none\n"
            "End of DLNumericUserMissing display\n");
}

}  // namespace
