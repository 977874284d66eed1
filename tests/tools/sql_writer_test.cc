// Tests of the SQL form of a model: quoting, the predicate of each kind of condition, and the
// CASE columns whole.
#include "sql_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

namespace ruleweave_cli {
namespace {

TEST(Sql, QuotesIdentifiersAndStringsByDoublingTheirQuotes) {
  EXPECT_EQ(SqlIdentifier("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(SqlString("O'Brien; DROP TABLE x"), "'O''Brien; DROP TABLE x'");
}

Condition Range(bool hasLow, double low, bool lowClosed, bool hasHigh, double high,
                bool highClosed) {
  Condition c;
  c.column = "a";
  c.hasLow = hasLow;
  c.low = low;
  c.lowClosed = lowClosed;
  c.hasHigh = hasHigh;
  c.high = high;
  c.highClosed = highClosed;
  return c;
}

Condition Set(Condition::Kind kind, std::vector<std::string> values, bool missing) {
  Condition c;
  c.column = "g";
  c.kind = kind;
  c.values = std::move(values);
  c.missing = missing;
  return c;
}

TEST(Sql, EachKindOfConditionBecomesItsPredicateWithMissingAsNull) {
  Condition numbers = Set(Condition::Kind::kNotIn, {}, true);
  numbers.numeric = true;
  numbers.numbers = {1, 2.5};
  Condition missing;
  missing.column = "m";
  missing.kind = Condition::Kind::kMissing;
  const std::pair<Condition, std::string> cases[] = {
      {Range(true, 14243.98, false, false, 0, false), "\"a\" > 14243.98"},
      {Range(false, 0, false, true, 1.0 / 3, true), "\"a\" <= 0.3333333333333333"},
      {Range(true, -3, true, true, 5, false), "(\"a\" >= -3 AND \"a\" < 5)"},
      {Set(Condition::Kind::kIn, {"x", "it's"}, false), "\"g\" IN ('x', 'it''s')"},
      {Set(Condition::Kind::kIn, {"x"}, true), "(\"g\" IN ('x') OR \"g\" IS NULL)"},
      {Set(Condition::Kind::kIn, {}, true), "\"g\" IS NULL"},
      {numbers, "(\"g\" NOT IN (1, 2.5) OR \"g\" IS NULL)"},
      {missing, "\"m\" IS NULL"},
  };
  for (const auto& c : cases) EXPECT_EQ(SqlPredicate(c.first), c.second);
}

TEST(Sql, ModelIsASelectOfTwoCaseColumnsInRuleOrder) {
  ModelReport m;
  m.number = 2;
  m.target = "bought";
  m.response = "yes";
  m.cases = 400;
  m.baseRate = 0.25;
  RuleRow rule;
  rule.id = "1";
  rule.rate = 0.75;
  rule.conditionList = {Set(Condition::Kind::kIn, {"north"}, false),
                        Range(true, 45, false, false, 0, false)};
  RuleRow empty;
  empty.id = "2";
  empty.rate = std::nan("");
  RuleRow rest;
  rest.remainder = true;
  rest.rate = 0.125;
  m.rows = {rule, empty, rest};
  std::ostringstream out;
  WriteSql(out, m);
  EXPECT_EQ(out.str(),
            "-- Decision list model 2: target bought = yes, 400 cases, base rate 0.25.\n"
            "-- Each row is taken by the first rule whose conditions it meets, else by the\n"
            "-- remainder. Column \"rule\" is the rule's label (R1.2: list 1, rule 2), "
            "\"rule_rate\" its\n"
            "-- response rate on the training rows. The rows must be in a table or view\n"
            "-- named \"data\", with missing values stored as NULL and numbers in numeric "
            "columns.\n"
            "SELECT \"data\".*,\n"
            "  CASE\n"
            "    WHEN \"g\" IN ('north') AND \"a\" > 45 THEN 'R1.1'\n"
            "    WHEN 1 = 1 THEN 'R1.2'\n"
            "    ELSE 'remainder'\n"
            "  END AS \"rule\",\n"
            "  CASE\n"
            "    WHEN \"g\" IN ('north') AND \"a\" > 45 THEN 0.75\n"
            "    WHEN 1 = 1 THEN NULL\n"
            "    ELSE 0.125\n"
            "  END AS \"rule_rate\"\n"
            "FROM \"data\";\n");

  // A model read from a file gives the training rates the file records, not those measured on
  // the scored rows.
  m.hasTrainingRate = true;
  for (RuleRow& row : m.rows) row.trainingRate = 0.5;
  std::ostringstream read;
  WriteSql(read, m);
  EXPECT_NE(
      read.str().find("THEN 0.5\n    WHEN 1 = 1 THEN 0.5\n    ELSE 0.5\n  END AS \"rule_rate\""),
      std::string::npos)
      << read.str();
}

}  // namespace
}  // namespace ruleweave_cli
