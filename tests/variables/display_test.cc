// Tests of the shared display helpers: named values and named vectors.
#include "variables/display.h"

#include <gtest/gtest.h>

#include <sstream>

#include "ruleweave/foundation/missing_value.h"

namespace {

using ruleweave::display::WriteNamedValue;
using ruleweave::display::WriteNamedVector;

TEST(Display, NamedValues) {
  std::ostringstream os;
  WriteNamedValue(os, "min", 2.5);
  os << '|';
  WriteNamedValue(os, "max", QXMV::Missing());
  EXPECT_EQ(os.str(), "min = 2.5|max = <missing>");
}

TEST(Display, NamedVectorsTenPerLine) {
  std::ostringstream os;
  WriteNamedVector(os, "codes", std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  EXPECT_EQ(os.str(),
            "codes (11 elements): \n"
            "          1           2           3           4           5           6 "
            "          7           8           9          10 \n"
            "         11 \n");
}

TEST(Display, NamedVectorsOfOtherKinds) {
  std::ostringstream os;
  WriteNamedVector(os, "one", std::vector<double>{QXMV::Missing()});
  WriteNamedVector(os, "flags", std::vector<bool>{true, false});
  WriteNamedVector(os, "none", std::vector<std::string>{});
  EXPECT_EQ(os.str(),
            "one (1 element): \n"
            "  <missing> \n"
            "flags (2 elements): \n"
            "       true       false \n"
            "none: <empty>\n");
}

TEST(Display, EnumerationTexts) {
  using ruleweave::display::MeasureLevelText;
  using ruleweave::display::VarRoleText;
  EXPECT_EQ(MeasureLevelText(IDLVar::kOrdinalNumeric), "Ordinal Numeric Categorical");
  EXPECT_EQ(MeasureLevelText(static_cast<IDLVar::MeasureLevel>(3)), "Measure level 3");
  EXPECT_EQ(VarRoleText(IDLVar::kUnused), "Unused variable");
  EXPECT_EQ(VarRoleText(static_cast<IDLVar::VarRole>(7)), "Var role 7");
}

}  // namespace
