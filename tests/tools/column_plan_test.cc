// Tests of column profiling and of the kinds, roles and categories decided for each column.
#include "column_plan.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace ruleweave_cli {
namespace {

TablePlan Plan(const std::string& text, const ColumnOptions& options, std::size_t cap = 1024) {
  std::istringstream in(text);
  CsvReader reader(in, "t.csv", options.delimiter);
  reader.ReadHeader();
  CheckColumnOptions(reader.Header(), options);
  return PlanTable(ProfileColumns(reader, options, cap, nullptr), options, "t.csv");
}

template <typename Error>
std::string ErrorOf(const std::string& text, const ColumnOptions& options) {
  try {
    Plan(text, options);
  } catch (const Error& error) {
    return error.what();
  }
  return "no error";
}

TEST(PlanTable, FewWholeNumbersAreOrderedCategoriesAscending) {
  const struct {
    const char* values;  // the column's values, one per row
    int fewValues;
    ColumnKind kind;
  } cases[] = {
      {"3 1 2 3 1", 10, ColumnKind::kOrdinalNumeric},
      {"3 1 2 3 1", 3, ColumnKind::kOrdinalNumeric},     // as many values as bins
      {"3 1 2 4 1", 3, ColumnKind::kContinuous},         // one more
      {"1 1.0 2 ? 2", 10, ColumnKind::kOrdinalNumeric},  // 1 and 1.0 are one value
      {"1 1.5 2 2 1", 10, ColumnKind::kContinuous},      // not whole
      {"7 7 7 ? 7", 10, ColumnKind::kContinuous},        // one value: set aside as before
  };
  for (const auto& c : cases) {
    std::string text = "g\n";
    std::istringstream values(c.values);
    for (std::string v; values >> v;) text += v + "\n";
    ColumnOptions options;
    options.fewValues = c.fewValues;
    const TablePlan plan = Plan(text, options);
    EXPECT_EQ(plan.columns[0].kind, c.kind) << c.values << " with " << c.fewValues;
  }
  ColumnOptions options;
  const ColumnPlan grade = Plan("grade\n3\n1\n2\n3\n", options).columns[0];
  EXPECT_EQ(grade.numericCategories, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(grade.categoryCounts, (std::vector<std::int64_t>{1, 1, 2}));
  options.continuous = {"grade"};
  EXPECT_EQ(Plan("grade\n3\n1\n2\n3\n", options).columns[0].kind, ColumnKind::kContinuous);
}

TEST(PlanTable, UnlistedColumnsAreContinuousWhenAllNumbersElseNominalStrings) {
  ColumnOptions options;
  options.target = "y";
  const TablePlan plan = Plan("x,s,y\n1.5,b,no\n?,a,yes\n-2,b,no\n", options);
  ASSERT_EQ(plan.columns.size(), 3u);
  const ColumnPlan& x = plan.columns[0];
  EXPECT_EQ(x.kind, ColumnKind::kContinuous);
  EXPECT_EQ(x.role, ColumnRole::kPredictor);
  EXPECT_EQ(x.min, -2);
  EXPECT_EQ(x.max, 1.5);
  EXPECT_EQ(x.missing, 1);
  const ColumnPlan& s = plan.columns[1];
  EXPECT_EQ(s.kind, ColumnKind::kNominalString);
  EXPECT_EQ(s.stringCategories, (std::vector<std::string>{"b", "a"}));  // first appearance
  EXPECT_EQ(s.categoryCounts, (std::vector<std::int64_t>{2, 1}));
  EXPECT_EQ(plan.columns[2].role, ColumnRole::kTarget);
  EXPECT_EQ(plan.targetIndex, 2);
  EXPECT_EQ(plan.rows, 3);
  EXPECT_FALSE(plan.largeCategories);
}

TEST(PlanTable, NumericCategoriesMergeEqualNumbersAndOrderOrdinalsAscending) {
  ColumnOptions options;
  options.nominal = {"n"};
  options.ordinal = {"o"};
  options.target = "t";
  options.missing.Add("NA");
  const TablePlan plan = Plan("n,o,t\n3,10,1\n1.0,2,0\n1,NA,1\n3,2.5,1\n", options);
  const ColumnPlan& n = plan.columns[0];
  EXPECT_EQ(n.kind, ColumnKind::kNominalNumeric);
  EXPECT_TRUE(n.integral);
  EXPECT_EQ(n.numericCategories, (std::vector<double>{3, 1}));
  EXPECT_EQ(n.categoryCounts, (std::vector<std::int64_t>{2, 2}));
  const ColumnPlan& o = plan.columns[1];
  EXPECT_EQ(o.kind, ColumnKind::kOrdinalNumeric);
  EXPECT_FALSE(o.integral);
  EXPECT_EQ(o.numericCategories, (std::vector<double>{2, 2.5, 10}));
  EXPECT_EQ(o.missing, 1);
  // The target is nominal (numeric here) unless listed as ordinal.
  EXPECT_EQ(plan.columns[2].kind, ColumnKind::kNominalNumeric);
  EXPECT_EQ(plan.columns[2].numericCategories, (std::vector<double>{1, 0}));
}

TEST(PlanTable, LevelsGiveTheOrderOfAnOrdinalStringColumn) {
  ColumnOptions options;
  options.ordinal = {"edu"};
  options.levels["edu"] = {"low", "mid", "high"};
  const TablePlan plan = Plan("edu,x\nhigh,1\nlow,2\nhigh,3\n", options);
  EXPECT_EQ(plan.columns[0].kind, ColumnKind::kOrdinalString);
  EXPECT_EQ(plan.columns[0].stringCategories, (std::vector<std::string>{"low", "mid", "high"}));
  EXPECT_EQ(plan.columns[0].categoryCounts, (std::vector<std::int64_t>{1, 0, 2}));
  // Without levels: first appearance.
  options.levels.clear();
  EXPECT_EQ(Plan("edu,x\nhigh,1\nlow,2\n", options).columns[0].stringCategories,
            (std::vector<std::string>{"high", "low"}));
}

TEST(PlanTable, RefusesValuesThatDoNotFitTheOptionsNamingTheLine) {
  ColumnOptions options;
  options.continuous = {"x"};
  EXPECT_EQ(ErrorOf<InputError>("x,y\n1,a\n2,b\nabc,c\n", options),
            "t.csv:4: continuous column \"x\" holds the value \"abc\", which is not a number");
  options = ColumnOptions();
  options.weight = "w";
  EXPECT_EQ(ErrorOf<InputError>("x,w\n1,2\n2,heavy\n", options),
            "t.csv:3: weight column \"w\" holds the value \"heavy\", which is not a number");
  options = ColumnOptions();
  options.ordinal = {"edu"};
  options.levels["edu"] = {"low", "high"};
  EXPECT_EQ(ErrorOf<InputError>("edu,x\nlow,1\nmid,2\n", options),
            "t.csv:3: column \"edu\": value \"mid\" is not among the values given by --levels");
}

TEST(PlanTable, SetsAsideColumnsThatCannotSplitTheCases) {
  ColumnOptions options;
  options.target = "y";
  options.nominal = {"e"};
  options.ignore = {"id"};
  const TablePlan plan = Plan("id,c,e,y\n1,5,,a\n2,5,?,b\n", options);
  EXPECT_EQ(plan.columns[0].kind, ColumnKind::kIgnored);
  EXPECT_EQ(plan.columns[0].role, ColumnRole::kUnused);
  EXPECT_EQ(plan.columns[1].kind, ColumnKind::kContinuous);
  EXPECT_EQ(plan.columns[1].role, ColumnRole::kUnused);
  EXPECT_EQ(plan.columns[2].role, ColumnRole::kUnused);
  EXPECT_EQ(plan.warnings, (std::vector<std::string>{
                               "column \"c\" has only one value; it is not used as a predictor",
                               "column \"e\" has no value; it is not used as a predictor"}));
}

TEST(PlanTable, ManyCategoriesSwitchLargeCategoriesOn) {
  std::string text = "s,x\n";
  for (int i = 0; i < 300; ++i) text += "v" + std::to_string(i) + "," + std::to_string(i) + "\n";
  ColumnOptions options;
  TablePlan plan = Plan(text, options, 1024);
  EXPECT_EQ(plan.columns[0].numCategories, 300u);
  EXPECT_TRUE(plan.columns[0].categoriesKnown);
  EXPECT_TRUE(plan.largeCategories);
  // Past the scan's cap the categories are coded while loading instead.
  plan = Plan(text, options, 256);
  EXPECT_FALSE(plan.columns[0].categoriesKnown);
  EXPECT_TRUE(plan.largeCategories);
  EXPECT_EQ(plan.columns[1].kind, ColumnKind::kContinuous);
  // An ignored column with many values does not count.
  options.ignore = {"s"};
  EXPECT_FALSE(Plan(text, options).largeCategories);
}

TEST(CheckColumnOptions, RefusesUnknownRepeatedAndConflictingColumns) {
  const std::vector<std::string> header = {"a", "b", "c"};
  auto error = [&](const ColumnOptions& options) -> std::string {
    try {
      CheckColumnOptions(header, options);
    } catch (const UsageError& e) {
      return e.what();
    }
    return "no error";
  };
  ColumnOptions o;
  o.continuous = {"z"};
  EXPECT_EQ(error(o), "--continuous: unknown column \"z\" (not in the header)");
  o = ColumnOptions();
  o.nominal = {"a", "a"};
  EXPECT_EQ(error(o), "--nominal: column \"a\" is listed twice");
  o = ColumnOptions();
  o.continuous = {"a"};
  o.ignore = {"a"};
  EXPECT_EQ(error(o), "column \"a\" is named by both --continuous and --ignore");
  o = ColumnOptions();
  o.continuous = {"c"};
  o.target = "c";
  EXPECT_EQ(error(o),
            "--target: column \"c\" must be categorical, but it is named by --continuous");
  o = ColumnOptions();
  o.target = "q";
  EXPECT_EQ(error(o), "--target: unknown column \"q\" (not in the header)");
  o = ColumnOptions();
  o.levels["b"] = {"x", "y"};
  EXPECT_EQ(error(o), "--levels: column \"b\" must also be listed with --ordinal");
  o = ColumnOptions();
  o.target = "c";
  o.ordinal = {"c"};
  EXPECT_EQ(error(o), "no error");
}

}  // namespace
}  // namespace ruleweave_cli
