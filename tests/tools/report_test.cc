// Tests of the result tables written as text, CSV and JSON.
#include "report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

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
  r.conditions = "region = north and age > 45";
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

std::string Write(OutputFormat format, const ModelReport& m) {
  std::ostringstream out;
  WriteReports(out, {m}, format);
  return out.str();
}

TEST(WriteReports, TableAlignsColumns) {
  EXPECT_EQ(Write(OutputFormat::kTable, Example()),
            "Model 1: target bought = yes, 400 cases, 100 responses, base rate 25.00%\n"
            "   rule  conditions                   cover  resp     rate     95% interval  lift"
            "  cum.cover  cum.rate\n"
            "   1     region = north and age > 45     48    48  100.00%  [93.0%, 100.0%]  4.00"
            "         48   100.00%\n"
            "   -     remainder                      352    44   12.50%    [7.0%, 19.0%]  0.50\n");
}

TEST(WriteReports, CsvCarriesTheSameFieldsAtFullPrecision) {
  EXPECT_EQ(Write(OutputFormat::kCsv, Example()),
            "model,target,response,cases,base_rate,rule,conditions,coverage,responses,rate,"
            "lower95,upper95,lift,cum_coverage,cum_rate\n"
            "1,bought,yes,400,0.25,1,region = north and age > 45,48,48,1,0.93,1,4,48,1\n"
            "1,bought,yes,400,0.25,-,remainder,352,44,0.125,0.07,0.19,0.5,,\n");
}

TEST(WriteReports, JsonHasRulesAndRemainderAndNullForMissingFigures) {
  ModelReport m = Example();
  m.target = "say \"yes\"";
  m.rows[1].rate = std::nan("");
  EXPECT_EQ(Write(OutputFormat::kJson, m),
            "{\"models\": [\n"
            "  {\"model\": 1, \"target\": \"say \\\"yes\\\"\", \"response\": \"yes\", "
            "\"cases\": 400, \"responses\": 100, \"base_rate\": 0.25, \"rules\": [\n"
            "    {\"rule\": \"1\", \"conditions\": \"region = north and age > 45\", "
            "\"coverage\": 48, \"responses\": 48, \"rate\": 1, \"lower95\": 0.93, "
            "\"upper95\": 1, \"lift\": 4, \"cum_coverage\": 48, \"cum_rate\": 1}],\n"
            "   \"remainder\": {\"rule\": \"-\", \"conditions\": \"remainder\", "
            "\"coverage\": 352, \"responses\": 44, \"rate\": null, \"lower95\": 0.07, "
            "\"upper95\": 0.19, \"lift\": 0.5}}\n"
            "]}\n");
}

TEST(JsonString, EscapesQuotesBackslashesAndControlCharacters) {
  EXPECT_EQ(JsonString("a\"b\\c\nd\x01"), "\"a\\\"b\\\\c\\nd\\u0001\"");
}

}  // namespace
}  // namespace ruleweave_cli
