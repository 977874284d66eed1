// Writing a model's rules as SQL CASE expressions.
#include "sql_writer.h"

#include <cmath>
#include <ostream>
#include <vector>

#include "csv_reader.h"

namespace ruleweave_cli {

namespace {

std::string Quoted(const std::string& text, char quote) {
  std::string out(1, quote);
  for (char c : text) {
    if (c == quote) out += quote;
    out += c;
  }
  return out + quote;
}

// Numbers at full precision, so that a bound cuts the rows exactly where the library cut them.
std::string SqlNumber(double value) { return std::isfinite(value) ? FormatNumber(value) : "NULL"; }

std::string ValueList(const Condition& c) {
  std::string list;
  const std::size_t n = c.numeric ? c.numbers.size() : c.values.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (i) list += ", ";
    list += c.numeric ? SqlNumber(c.numbers[i]) : SqlString(c.values[i]);
  }
  return list;
}

// Text for a comment line: no line break may end the comment early.
std::string CommentText(const std::string& text) {
  std::string out;
  for (unsigned char c : text) out += c < 0x20 ? '?' : static_cast<char>(c);
  return out;
}

// "RL.R" of a rule row, as the scored file's rule column labels it (a single list's rules are
// "R1.R").
std::string Label(const RuleRow& row) {
  return "R" + (row.id.find('.') == std::string::npos ? "1." + row.id : row.id);
}

std::string RulePredicate(const RuleRow& row) {
  if (row.conditionList.empty()) return "1 = 1";
  std::string text;
  for (const Condition& c : row.conditionList) {
    if (!text.empty()) text += " AND ";
    text += SqlPredicate(c);
  }
  return text;
}

}  // namespace

std::string SqlIdentifier(const std::string& name) { return Quoted(name, '"'); }

std::string SqlString(const std::string& text) { return Quoted(text, '\''); }

std::string SqlPredicate(const Condition& c) {
  const std::string column = SqlIdentifier(c.column);
  switch (c.kind) {
    case Condition::Kind::kRange: {
      std::string low = c.hasLow ? column + (c.lowClosed ? " >= " : " > ") + SqlNumber(c.low) : "";
      std::string high =
          c.hasHigh ? column + (c.highClosed ? " <= " : " < ") + SqlNumber(c.high) : "";
      if (c.hasLow && c.hasHigh) return "(" + low + " AND " + high + ")";
      if (c.hasLow || c.hasHigh) return c.hasLow ? low : high;
      return column + " IS NOT NULL";
    }
    case Condition::Kind::kIn: {
      const bool none = c.numeric ? c.numbers.empty() : c.values.empty();
      if (none) return c.missing ? column + " IS NULL" : "1 = 0";
      const std::string in = column + " IN (" + ValueList(c) + ")";
      return c.missing ? "(" + in + " OR " + column + " IS NULL)" : in;
    }
    case Condition::Kind::kNotIn: {
      const std::string notIn = column + " NOT IN (" + ValueList(c) + ")";
      return c.missing ? "(" + notIn + " OR " + column + " IS NULL)" : notIn;
    }
    case Condition::Kind::kMissing:
      return column + " IS NULL";
    case Condition::Kind::kNotMissing:
      return column + " IS NOT NULL";
  }
  return "1 = 0";
}

void WriteSql(std::ostream& out, const ModelReport& model) {
  std::vector<const RuleRow*> rules;
  const RuleRow* remainder = nullptr;
  for (const RuleRow& row : model.rows) {
    if (row.remainder) {
      remainder = &row;
    } else {
      rules.push_back(&row);
    }
  }
  out << "-- Decision list model " << model.number << ": target " << CommentText(model.target)
      << " = " << CommentText(model.response) << ", " << FormatNumber(model.cases)
      << " cases, base rate " << SqlNumber(model.baseRate) << ".\n"
      << "-- Each row is taken by the first rule whose conditions it meets, else by the\n"
      << "-- remainder. Column \"rule\" is the rule's label (R1.2: list 1, rule 2), \"rule_rate\" "
         "its\n"
      << "-- response rate on the training rows. The rows must be in a table or view\n"
      << "-- named \"data\", with missing values stored as NULL and numbers in numeric columns.\n";
  // A rule's training rate: what the model file records when the model was read from one (the
  // figures measured on the scored rows would leak their labels into the rate), else the rate
  // measured by the search itself.
  auto rateOf = [&model](const RuleRow* row) {
    if (row == nullptr) return static_cast<double>(NAN);
    return model.hasTrainingRate ? row->trainingRate : row->rate;
  };
  // The two CASE expressions test the same conditions in the same order.
  auto writeCase = [&](bool labels) {
    if (rules.empty()) {  // CASE needs a WHEN: a model without rules is all remainder
      out << "  " << (labels ? SqlString("remainder") : SqlNumber(rateOf(remainder)));
      return;
    }
    out << "  CASE\n";
    for (const RuleRow* row : rules) {
      out << "    WHEN " << RulePredicate(*row) << " THEN "
          << (labels ? SqlString(Label(*row)) : SqlNumber(rateOf(row))) << '\n';
    }
    out << "    ELSE " << (labels ? SqlString("remainder") : SqlNumber(rateOf(remainder)))
        << "\n  END";
  };
  out << "SELECT \"data\".*,\n";
  writeCase(/*labels=*/true);
  out << " AS \"rule\",\n";
  writeCase(/*labels=*/false);
  out << " AS \"rule_rate\"\nFROM \"data\";\n";
}

}  // namespace ruleweave_cli
