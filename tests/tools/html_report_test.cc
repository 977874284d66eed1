// Tests of the HTML report's text: escaping, and holdout columns (weak rules marked) only when
// the rows carry them.
// The page as a browser draws it is checked by html_report_check.sh.
#include "html_report.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace ruleweave_cli {
namespace {

ModelReport OneRule() {
  ModelReport m;
  m.number = 1;
  m.target = "y";
  m.response = "<yes>";
  m.cases = 100;
  m.responses = 25;
  m.baseRate = 0.25;
  RuleRow rule;
  rule.id = "1";
  rule.conditions = "g = <script>alert(\"x\")</script> & 'b'";
  rule.coverage = 20;
  rule.responses = 15;
  rule.rate = 0.75;
  rule.lower = 0.5;
  rule.upper = 0.9;
  rule.lift = 3;
  RuleRow rest;
  rest.remainder = true;
  rest.conditions = "remainder";
  rest.coverage = 80;
  rest.responses = 10;
  rest.rate = 0.125;
  m.rows = {rule, rest};
  return m;
}

std::string Page(const ModelReport& m) {
  std::ostringstream out;
  WriteHtmlReport(out, DataSummary{"d.csv", 100, {{"g", "nominal string", "predictor", 0}}}, m);
  return out.str();
}

TEST(HtmlReport, EscapesTextFromTheData) {
  EXPECT_EQ(HtmlEscape("<a href=\"x\">&'"), "&lt;a href=&quot;x&quot;&gt;&amp;&#39;");
  const std::string page = Page(OneRule());
  EXPECT_EQ(page.find("<script"), std::string::npos);
  EXPECT_NE(page.find("g = &lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt; &amp; &#39;b&#39;"),
            std::string::npos);
}

TEST(HtmlReport, HoldoutColumnsAppearWhenTheRowsCarryThem) {
  ModelReport m = OneRule();
  EXPECT_EQ(Page(m).find("holdout rate"), std::string::npos);
  m.holdout = HoldoutFigures{50, 10, 0.2, 0, 0, 1};
  m.rows[0].holdout = HoldoutFigures{10, 6, 0.6, 0.3, 0.85, 3, /*weak=*/true};
  const std::string page = Page(m);
  EXPECT_NE(page.find("<td class=\"holdout\">[30.0%, 85.0%] !</td>"), std::string::npos);
  EXPECT_NE(page.find("<th class=\"holdout\">holdout rate</th>"), std::string::npos);
  EXPECT_NE(page.find("<td class=\"holdout\">60.00%</td>"), std::string::npos);
  EXPECT_NE(page.find("class=\"model-holdout\""), std::string::npos);  // its gains line
}

}  // namespace
}  // namespace ruleweave_cli
