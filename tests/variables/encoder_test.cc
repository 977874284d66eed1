// Tests of the four categorical encoders.
#include "ruleweave/variables/encoder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

#include "ruleweave/foundation/missing_value.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(DLCatStrNominalEncoder, CodesFollowFirstAppearance) {
  DLCatStrNominalEncoder e;
  EXPECT_EQ(e.Encode("b"), 0);
  EXPECT_EQ(e.Encode("a"), 1);
  EXPECT_EQ(e.Encode("b"), 0);
  EXPECT_EQ(e.Encode("c"), 2);
  EXPECT_EQ(e.GetNumOfCategories(), 3);
  EXPECT_EQ(e.Decode(1), "a");
  EXPECT_EQ(e.Decode(3), "");
  EXPECT_EQ(e.Decode(-1), "");
  EXPECT_EQ(e.Encode(""), 3);  // the empty string is an ordinary category
}

TEST(DLCatStrNominalEncoder, EncodeConstNeverGrows) {
  DLCatStrNominalEncoder e(std::vector<std::string>{"b", "a", "b", "c"});
  EXPECT_EQ(e.EncodeConst("z"), -1);
  EXPECT_EQ(e.GetNumOfCategories(), 3);
  EXPECT_EQ(e.EncodeConst("c"), 2);
}

TEST(DLCatStrNominalEncoder, UserMissingWinsOverAnExistingCode) {
  DLCatStrNominalEncoder e(std::vector<std::string>{"a", "b"});
  DLStringUserMissing um;
  um.AddValue("a");
  ASSERT_TRUE(e.SetUserMissingInfo(&um));
  EXPECT_NE(e.GetUserMissingInfo(), &um);  // a private copy
  EXPECT_EQ(e.Encode("a"), -1);
  EXPECT_EQ(e.EncodeConst("a"), -1);
  EXPECT_EQ(e.Decode(0), "a");
  um.AddValue("b");  // the caller's set no longer matters
  EXPECT_EQ(e.Encode("b"), 1);

  DLNumericUserMissing numeric;
  EXPECT_FALSE(e.SetUserMissingInfo(&numeric));
  EXPECT_EQ(e.GetUserMissingInfo()->GetNDiscreteValues(), 1);
  EXPECT_TRUE(e.SetUserMissingInfo(nullptr));
  EXPECT_EQ(e.GetUserMissingInfo(), nullptr);
  EXPECT_EQ(e.Encode("a"), 0);
}

TEST(DLCatStrNominalEncoder, ReSettingItsOwnSetIsSafe) {
  DLCatStrNominalEncoder e;
  DLStringUserMissing um;
  um.AddValue("x");
  e.SetUserMissingInfo(&um);
  auto* own = const_cast<IDLUserMissing*>(e.GetUserMissingInfo());
  EXPECT_TRUE(e.SetUserMissingInfo(own));
  EXPECT_EQ(e.Encode("x"), -1);
}

TEST(DLCatStrNominalEncoder, CopiesOwnTheirCodeTable) {
  auto original = std::make_unique<DLCatStrNominalEncoder>(std::vector<std::string>{"a", "b", "c"});
  DLStringUserMissing um;
  um.AddValue("zz");
  original->SetUserMissingInfo(&um);
  DLCatStrNominalEncoder copy(*original);
  DLCatStrNominalEncoder assigned;
  assigned.Encode("old");
  assigned = *original;
  original.reset();  // the copies must not refer into the source's dictionary
  EXPECT_EQ(copy.Decode(2), "c");
  EXPECT_EQ(copy.Encode("d"), 3);
  EXPECT_EQ(copy.Decode(3), "d");
  EXPECT_EQ(copy.Encode("zz"), -1);
  EXPECT_EQ(assigned.Decode(0), "a");
  EXPECT_EQ(assigned.EncodeConst("old"), -1);
  EXPECT_EQ(assigned.GetNumOfCategories(), 3);
  const DLCatStrNominalEncoder& self = assigned;
  assigned = self;  // self-assignment keeps everything
  EXPECT_EQ(assigned.Decode(1), "b");
}

TEST(DLCatStrNominalEncoder, EqualityAndCompatibility) {
  DLCatStrNominalEncoder ab(std::vector<std::string>{"a", "b"});
  DLCatStrNominalEncoder abc(std::vector<std::string>{"a", "b", "c"});
  DLCatStrNominalEncoder ba(std::vector<std::string>{"b", "a"});
  DLCatStrOrdinalEncoder ordinalAb(std::vector<std::string>{"a", "b"});
  EXPECT_TRUE(ab.IsCompatibleWith(abc));
  EXPECT_FALSE(abc.IsCompatibleWith(ab));
  EXPECT_FALSE(ab == ba);  // same values, other codes
  EXPECT_TRUE(ab == DLCatStrNominalEncoder(std::vector<std::string>{"a", "b", "a"}));
  EXPECT_FALSE(ab == ordinalAb);
  EXPECT_FALSE(ab.IsCompatibleWith(ordinalAb));
  EXPECT_FALSE(ordinalAb.IsCompatibleWith(ab));
  EXPECT_TRUE(ab != ordinalAb);

  // Labels do not count; user-missing sets do.
  DLCatStrNominalEncoder labelled(ab);
  labelled.SetValueLabel(0, "first");
  EXPECT_TRUE(ab == labelled);
  DLStringUserMissing um;
  um.AddValue("q");
  labelled.SetUserMissingInfo(&um);
  EXPECT_FALSE(ab == labelled);
  EXPECT_FALSE(ab.IsCompatibleWith(labelled));
  DLCatStrNominalEncoder bigger(abc);
  DLStringUserMissing more;
  more.AddValue("q");
  more.AddValue("r");
  bigger.SetUserMissingInfo(&more);
  EXPECT_TRUE(labelled.IsCompatibleWith(bigger));
  EXPECT_FALSE(bigger.IsCompatibleWith(labelled));
}

TEST(DLCatStrNominalEncoder, Labels) {
  DLCatStrNominalEncoder e(std::vector<std::string>{"a", "b", "c"});
  EXPECT_TRUE(e.GetValueLabels()->empty());
  EXPECT_TRUE(e.SetValueLabel(2, "third"));
  EXPECT_EQ(*e.GetValueLabels(), (std::vector<std::string>{"", "", "third"}));
  EXPECT_FALSE(e.SetValueLabel(3, "none"));
  EXPECT_FALSE(e.SetValueLabel(-1, "none"));
  EXPECT_FALSE(e.SetValueLabels({"x", "y"}));
  EXPECT_EQ(*e.GetValueLabels(), (std::vector<std::string>{"", "", "third"}));
  EXPECT_TRUE(e.SetValueLabels({"x", "y", "z"}));
  EXPECT_EQ((*e.GetValueLabels())[1], "y");
}

TEST(DLCatStrEncoders, Display) {
  DLCatStrNominalEncoder e(std::vector<std::string>{"b", "a"});
  e.SetValueLabels({"Bee", "Ay"});
  DLStringUserMissing um;
  um.AddValue("?", "unknown");
  e.SetUserMissingInfo(&um);
  std::ostringstream os;
  e.Display(os);
  EXPECT_EQ(os.str(),
            "\tDLCatStrNominalEncoder: Next code = 2\n"
            "\t\tString values of categories: b a \n"
            "\t\tValue Labels:\n"
            "\t\tBee Ay \n"
            "\t\tUser-missing values for this encoder:\n"
            "\t\tStart of DLStringUserMissing display\n"
            "Discrete missing values:\n"
            "?, label = unknown\n"
            "End of DLStringUserMissing display\n");

  std::ostringstream ordinal;
  DLCatStrOrdinalEncoder(std::vector<std::string>{"lo", "hi"}).Display(ordinal);
  EXPECT_EQ(ordinal.str(),
            "\tDLCatStrOrdinalEncoder: Next code = 2\n"
            "\t\tString values of categories: lo hi \n");
}

TEST(DLCatNumNominalEncoder, SystemMissingAndNaNAreNeverCategories) {
  DLCatNumNominalEncoder e(std::vector<double>{3.0, 1.0, 2.0});
  EXPECT_EQ(e.Encode(QXMV::Missing()), -1);
  EXPECT_EQ(e.EncodeConst(QXMV::Missing()), -1);
  // A NaN first: it must neither become a category nor disturb the later ones.
  DLCatNumNominalEncoder fresh;
  EXPECT_EQ(fresh.Encode(kNaN), -1);
  EXPECT_EQ(fresh.Encode(5.0), 0);
  EXPECT_EQ(fresh.Encode(6.0), 1);
  EXPECT_EQ(fresh.EncodeConst(kNaN), -1);
  EXPECT_EQ(fresh.EncodeConst(6.0), 1);
  EXPECT_EQ(fresh.GetNumOfCategories(), 2);
  EXPECT_EQ(e.Encode(kNaN), -1);
  EXPECT_EQ(e.GetNumOfCategories(), 3);
  EXPECT_EQ(e.Decode(7), QXMV::Missing());
  EXPECT_EQ(e.Decode(-1), QXMV::Missing());
  EXPECT_EQ(e.Decode(0), 3.0);
  // Infinities are ordinary values.
  EXPECT_EQ(e.Encode(-std::numeric_limits<double>::infinity()), 3);
}

TEST(DLCatNumNominalEncoder, UserMissingValuesAndInterval) {
  DLCatNumNominalEncoder e(std::vector<double>{1.0, 2.0});
  DLNumericUserMissing um;
  um.AddValue(2.0);
  um.SetInterval(DLNumericInterval(90.0, false));
  ASSERT_TRUE(e.SetUserMissingInfo(&um));
  EXPECT_EQ(e.Encode(2.0), -1);
  EXPECT_EQ(e.Encode(95.0), -1);
  EXPECT_EQ(e.EncodeConst(95.0), -1);
  EXPECT_EQ(e.Encode(3.0), 2);
  EXPECT_EQ(e.Decode(1), 2.0);
  DLStringUserMissing strings;
  EXPECT_FALSE(e.SetUserMissingInfo(&strings));
  EXPECT_EQ(e.Encode(2.0), -1);
}

TEST(DLCatNumNominalEncoder, CopyKeepsCodesAndGrowsIndependently) {
  DLCatNumNominalEncoder e(std::vector<double>{10.0, 20.0, 30.0});
  DLCatNumNominalEncoder copy(e);
  EXPECT_EQ(copy.Encode(40.0), 3);
  EXPECT_EQ(copy.Decode(3), 40.0);
  EXPECT_EQ(e.GetNumOfCategories(), 3);
  EXPECT_TRUE(e.IsCompatibleWith(copy));
  EXPECT_FALSE(e == copy);
  e = copy;
  EXPECT_TRUE(e == copy);
}

TEST(DLCatNumEncoders, OrdinalAndNominalNeverMatch) {
  DLCatNumNominalEncoder nominal(std::vector<double>{1.0});
  DLCatNumOrdinalEncoder ordinal(std::vector<double>{1.0});
  EXPECT_EQ(nominal.GetEncoderType(), IDLEncoder::kCatNumNominalEncoder);
  EXPECT_EQ(ordinal.GetEncoderType(), IDLEncoder::kCatNumOrdinalEncoder);
  EXPECT_FALSE(nominal == ordinal);
  EXPECT_FALSE(nominal.IsCompatibleWith(ordinal));
  DLCatStrNominalEncoder strings;
  EXPECT_FALSE(DLCatNumNominalEncoder() == strings);
}

TEST(DLCatNumEncoders, Display) {
  DLCatNumOrdinalEncoder e(std::vector<double>{2.5, 1.0 / 3.0});
  e.SetValueLabel(0, "two and a half");
  std::ostringstream os;
  e.Display(os);
  EXPECT_EQ(os.str(),
            "\tDLCatNumOrdinalEncoder: Next code = 2\n"
            "\t\tNumeric values of categories: 2.5 0.3333333333333333 \n"
            "\t\tValue Labels:\n"
            "\t\ttwo and a half  \n");
  EXPECT_EQ(os.precision(), 6);
}

}  // namespace
