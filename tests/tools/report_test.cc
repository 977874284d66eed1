// Tests of the result tables written as text, CSV and JSON.
#include "report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace ruleweave_cli {
namespace {

ModelReport Example() {
  ModelReport m;
  m.number = 1;
  m.target = "bought";
  m.response = "yes";
  m.cases = 400;
  m.responses = 100;
  m.baseRate = 0.25;
  RuleRow r;
  r.id = "1";
  r.conditions = "region = north and income > 14244";
  Condition region;
  region.column = "region";
  region.kind = Condition::Kind::kIn;
  region.values = {"north"};
  region.text = region.exactText = "region = north";
  Condition income;
  income.column = "income";
  income.hasLow = true;
  income.low = 14243.98;
  income.text = "income > 14244";
  income.exactText = "income > 14243.98";
  r.conditionList = {region, income};
  r.coverage = 48;
  r.responses = 48;
  r.rate = 1;
  r.lower = 0.93;
  r.upper = 1;
  r.lift = 4;
  r.cumulativeCoverage = 48;
  r.cumulativeRate = 1;
  m.rows.push_back(r);
  RuleRow rest;
  rest.id = "-";
  rest.conditions = "remainder";
  rest.remainder = true;
  rest.coverage = 352;
  rest.responses = 44;
  rest.rate = 0.125;
  rest.lower = 0.07;
  rest.upper = 0.19;
  rest.lift = 0.5;
  m.rows.push_back(rest);
  return m;
}

std::string Write(OutputFormat format, const ModelReport& m, std::size_t width = 0) {
  std::ostringstream out;
  WriteReports(out, {m}, format, width);
  return out.str();
}

TEST(WriteReports, TableAlignsColumns) {
  EXPECT_EQ(Write(OutputFormat::kTable, Example()),
            "Model 1: target bought = yes, 400 cases, 100 responses, base rate 25.00%\n"
            "   rule  conditions                         cover  resp     rate     95% interval"
            "  lift  cum.cover  cum.rate\n"
            "   1     region = north and income > 14244     48    48  100.00%  [93.0%, 100.0%]"
            "  4.00         48   100.00%\n"
            "   -     remainder                            352    44   12.50%    [7.0%, 19.0%]"
            "  0.50\n");
}

// 95 columns leave 20 for the conditions: the rule breaks after its "and" and its figures stay
// on its first line, in their columns.
TEST(WriteReports, TableWrapsConditionsIntoTheWidth) {
  EXPECT_EQ(Write(OutputFormat::kTable, Example(), 95),
            "Model 1: target bought = yes, 400 cases, 100 responses, base rate 25.00%\n"
            "   rule  conditions          cover  resp     rate     95% interval  lift  cum.cover"
            "  cum.rate\n"
            "   1     region = north and     48    48  100.00%  [93.0%, 100.0%]  4.00         48"
            "   100.00%\n"
            "           income > 14244\n"
            "   -     remainder             352    44   12.50%    [7.0%, 19.0%]  0.50\n");
}

// Holdout figures get columns of their own where the width leaves the conditions room (no
// limit here), else a line "ho" under each rule in the training figures' columns; either way a
// weak rule is flagged "!" with a legend, and no line runs past the width.
TEST(WriteReports, TableShowsHoldoutFiguresInColumnsOrUnderEachRule) {
  ModelReport m = Example();
  m.holdout = HoldoutFigures{200, 50, 0.25, NAN, NAN, NAN};
  m.rows[0].holdout = HoldoutFigures{20, 4, 0.2, 0.06, 0.44, 0.8, /*weak=*/true};
  m.rows[1].holdout = HoldoutFigures{180, 46, 0.256, 0.19, 0.32, 1.02};
  const struct {
    std::size_t width;
    const char* heads;    // the start of the column heads' line
    std::size_t after;    // rule 1's holdout figures: this many lines under the heads
    const char* holdout;  // the start of that line
  } cases[] = {
      {0, "   rule  conditions                         cover", 1, "   1     region = north and"},
      {100, "   rule  conditions", 2, "   ho      income > 14244"},
  };
  for (const auto& c : cases) {
    const std::string written = Write(OutputFormat::kTable, m, c.width);
    EXPECT_NE(written.find("holdout 200 cases,"), std::string::npos) << written;
    std::istringstream lines(written);
    std::vector<std::string> text;
    std::size_t heads = 0;
    for (std::string line; std::getline(lines, line);) {
      if (c.width > 0) {
        EXPECT_LE(line.size(), c.width) << line;
      }
      if (line.rfind("   rule", 0) == 0) heads = text.size();
      text.push_back(line);
    }
    ASSERT_GT(text.size(), heads + c.after) << written;
    EXPECT_EQ(text[heads].rfind(c.heads, 0), 0u) << written;
    const std::string& held = text[heads + c.after];
    EXPECT_EQ(held.rfind(c.holdout, 0), 0u) << written;
    EXPECT_NE(held.find("20.00%"), std::string::npos) << written;
    EXPECT_EQ(held.back(), '!') << written;
    EXPECT_EQ(text.back(), "  ! the rule's holdout interval does not clear the base rate");
  }
}

TEST(WrapConditions, BreaksBetweenConditionsThenInsideSetsThenAnywhere) {
  struct Case {
    std::vector<std::string> conditions;
    std::size_t width;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {{"a = 1", "b = 2"}, 20, {"a = 1 and b = 2"}},
      {{"region in {north, south, east, west}", "age > 45"},
       20,
       {"region in {north,", "  south, east,", "  west} and age > 45"}},
      {{"age in (30, 50]", "x = 1"}, 12, {"age in", "  (30, 50]", "  and x = 1"}},
      {{"abcdefghijklmnopqrst"}, 10, {"abcdefgh", "  ijklmnop", "  qrst"}},
      {{"caf\xc3\xa9 = \xc3\xa9t\xc3\xa9"}, 8, {"caf\xc3\xa9 =", "  \xc3\xa9t\xc3\xa9"}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WrapConditions(c.conditions, c.width), c.lines) << c.conditions[0];
  }
}

TEST(WriteReports, CsvCarriesTheSameFieldsAtFullPrecision) {
  EXPECT_EQ(Write(OutputFormat::kCsv, Example()),
            "model,target,response,cases,base_rate,rule,conditions,coverage,responses,rate,"
            "lower95,upper95,lift,cum_coverage,cum_rate\n"
            "1,bought,yes,400,0.25,1,region = north and income > 14243.98,48,48,1,0.93,1,4,48,1\n"
            "1,bought,yes,400,0.25,-,remainder,352,44,0.125,0.07,0.19,0.5,,\n");
}

TEST(WriteReports, JsonHasNumbersStructuredConditionsAndNullForMissingFigures) {
  ModelReport m = Example();
  m.target = "say \"yes\"";
  m.rows[1].rate = std::nan("");
  EXPECT_EQ(Write(OutputFormat::kJson, m),
            "{\"models\": [\n"
            "  {\"model\": 1, \"target\": \"say \\\"yes\\\"\", \"response\": \"yes\", "
            "\"cases\": 400, \"responses\": 100, \"base_rate\": 0.25, \"rules\": [\n"
            "    {\"list\": 1, \"rule\": 1, \"label\": \"1\", "
            "\"text\": \"region = north and income > 14243.98\", \"conditions\": ["
            "{\"column\": \"region\", \"kind\": \"in\", \"values\": [\"north\"], "
            "\"missing\": false, \"text\": \"region = north\"}, "
            "{\"column\": \"income\", \"kind\": \"range\", \"low\": 14243.98, "
            "\"low_closed\": false, \"high\": null, \"high_closed\": false, \"missing\": false, "
            "\"text\": \"income > 14243.98\"}], "
            "\"coverage\": 48, \"responses\": 48, \"rate\": 1, \"lower95\": 0.93, "
            "\"upper95\": 1, \"lift\": 4, \"cum_coverage\": 48, \"cum_rate\": 1}],\n"
            "   \"remainder\": {\"label\": \"remainder\", \"text\": \"remainder\", "
            "\"conditions\": [], \"coverage\": 352, \"responses\": 44, \"rate\": null, "
            "\"lower95\": 0.07, \"upper95\": 0.19, \"lift\": 0.5}}\n"
            "]}\n");
}

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters) {
  EXPECT_EQ(JsonString("a\"b\\c\nd\x01"), "\"a\\\"b\\\\c\\nd\\u0001\"");
}

}  // namespace
}  // namespace ruleweave_cli
