// Rules and segments written in plain words for the result tables.
#include "rule_text.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "csv_reader.h"

namespace ruleweave_cli {

namespace {

constexpr double kBig = std::numeric_limits<double>::max();

// Category values that would make the braces ambiguous are quoted.
std::string Shown(const std::string& value) {
  bool plain = !value.empty();
  for (char c : value) {
    if (c == ',' || c == '{' || c == '}' || c == '"' || c == ' ' || c == '(' || c == ')' ||
        c == '[' || c == ']') {
      plain = false;
      break;
    }
  }
  if (plain) return value;
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

// Numbers in words: to `digits` significant digits, or at full precision when `digits` is 0.
std::string Number(double v, int digits) {
  return digits > 0 ? FormatShort(v, digits) : FormatNumber(v);
}

constexpr int kShortDigits = 6;

std::string SetText(const std::vector<std::string>& members) {
  std::string out = "{";
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (i) out += ", ";
    out += members[i];
  }
  return out + "}";
}

bool IsCode(const IDLVar& var, double code) {
  return code >= 0 && code == std::floor(code) && code < var.GetNumOfCategories();
}

// Members of a category-coded set (or range) in words; the missing code reads "missing".
std::string CodeName(const IDLVar& var, double code, int missingCode) {
  if (code == missingCode) return "missing";
  if (!IsCode(var, code)) return "#" + Number(code, kShortDigits);
  return Shown(CategoryText(var, static_cast<int>(code)));
}

std::string ContinuousRange(const std::string& name, double low, double high, bool lowOpen,
                            bool highOpen, int digits) {
  const bool noLow = low <= -kBig;
  const bool noHigh = high >= kBig;
  if (noLow && noHigh) return name + " is not missing";
  if (noLow) return name + (highOpen ? " < " : " <= ") + Number(high, digits);
  if (noHigh) return name + (lowOpen ? " > " : " >= ") + Number(low, digits);
  return name + " in " + (lowOpen ? "(" : "[") + Number(low, digits) + ", " + Number(high, digits) +
         (highOpen ? ")" : "]");
}

std::string Text(const DLSegment& segment, const DLVarList& vars, int missingCode, int digits) {
  const std::string& name = segment.GetAttrName();
  const IDLVar* var = vars.GetVarAt(name);
  const bool categorical = var != nullptr && IDLVar::IsCategorical(*var);
  switch (segment.GetOperator()) {
    case DLConst::OpMissing:
      return name + " is missing";
    case DLConst::OpNotMissing:
      return name + " is not missing";
    case DLConst::OpEqualTo:
      return name + " = " +
             (categorical ? CodeName(*var, segment.GetValueEqualTo(), missingCode)
                          : Number(segment.GetValueEqualTo(), digits));
    case DLConst::OpRange: {
      double low, high;
      bool lowOpen, highOpen;
      segment.GetRange(low, high, lowOpen, highOpen);
      if (!categorical) return ContinuousRange(name, low, high, lowOpen, highOpen, digits);
      // Codes of an ordinal variable stand in order: list the categories the range holds.
      std::vector<std::string> members;
      const int n = var->GetNumOfCategories();
      for (int c = 0; c < n; ++c) {
        const bool aboveLow = lowOpen ? c > low : c >= low;
        const bool belowHigh = highOpen ? c < high : c <= high;
        if (aboveLow && belowHigh) members.push_back(Shown(CategoryText(*var, c)));
      }
      const double m = missingCode;
      if ((lowOpen ? m > low : m >= low) && (highOpen ? m < high : m <= high)) {
        members.push_back("missing");
      }
      if (members.size() == 1) return name + " = " + members[0];
      return name + " in " + SetText(members);
    }
    case DLConst::OpInSet:
    case DLConst::OpNotInSet: {
      std::vector<std::string> members;
      for (double v : segment.GetValueSet()) {
        members.push_back(categorical ? CodeName(*var, v, missingCode) : Number(v, digits));
      }
      return name + (segment.GetOperator() == DLConst::OpInSet ? " in " : " not in ") +
             SetText(members);
    }
    default:
      return name + " (no condition)";
  }
}

// Whether the category code `code` satisfies the segment, as the library's filters decide.
bool Selects(const DLSegment& segment, double code) {
  switch (segment.GetOperator()) {
    case DLConst::OpEqualTo:
      return code == segment.GetValueEqualTo();
    case DLConst::OpRange: {
      double low, high;
      bool lowOpen, highOpen;
      segment.GetRange(low, high, lowOpen, highOpen);
      return (low < code && code < high) || (code == low && !lowOpen) ||
             (code == high && !highOpen);
    }
    case DLConst::OpInSet:
    case DLConst::OpNotInSet: {
      const auto& set = segment.GetValueSet();
      const bool listed = std::find(set.begin(), set.end(), code) != set.end();
      return listed == (segment.GetOperator() == DLConst::OpInSet);
    }
    default:
      return false;
  }
}

}  // namespace

std::string CategoryText(const IDLVar& var, int code) {
  std::string text;
  var.GetCategoryText(code, text);
  return text;
}

std::string SegmentText(const DLSegment& segment, const DLVarList& vars, int missingCode) {
  return Text(segment, vars, missingCode, kShortDigits);
}

Condition SegmentCondition(const DLSegment& segment, const DLVarList& vars, int missingCode) {
  Condition c;
  c.column = segment.GetAttrName();
  c.text = Text(segment, vars, missingCode, kShortDigits);
  c.exactText = Text(segment, vars, missingCode, /*digits=*/0);
  const IDLVar* var = vars.GetVarAt(c.column);
  const int op = segment.GetOperator();
  if (op == DLConst::OpMissing || op == DLConst::OpNotMissing) {
    c.kind = op == DLConst::OpMissing ? Condition::Kind::kMissing : Condition::Kind::kNotMissing;
    c.missing = op == DLConst::OpMissing;
  } else if (var != nullptr && IDLVar::IsCategorical(*var)) {
    c.kind = Condition::Kind::kIn;
    const int level = var->GetMeasureLevel();
    c.numeric = level == IDLVar::kNominalNumeric || level == IDLVar::kOrdinalNumeric;
    for (int code = 0; code < var->GetNumOfCategories(); ++code) {
      if (code == missingCode || !Selects(segment, code)) continue;
      if (c.numeric) {
        double value = 0;
        ParseNumber(CategoryText(*var, code), value);
        c.numbers.push_back(value);
      } else {
        c.values.push_back(CategoryText(*var, code));
      }
    }
    c.missing = Selects(segment, missingCode);
  } else if (op == DLConst::OpEqualTo || op == DLConst::OpRange) {
    c.kind = Condition::Kind::kRange;
    double low = segment.GetValueEqualTo();
    double high = low;
    bool lowOpen = false;
    bool highOpen = false;
    if (op == DLConst::OpRange) segment.GetRange(low, high, lowOpen, highOpen);
    c.hasLow = low > -kBig;
    c.hasHigh = high < kBig;
    c.low = c.hasLow ? low : 0;
    c.high = c.hasHigh ? high : 0;
    c.lowClosed = c.hasLow && !lowOpen;
    c.highClosed = c.hasHigh && !highOpen;
  } else {
    // A set of values of a continuous column: missing values are never listed, so a "not in"
    // set takes them.
    c.kind = op == DLConst::OpInSet ? Condition::Kind::kIn : Condition::Kind::kNotIn;
    c.numeric = true;
    c.numbers = segment.GetValueSet();
    c.missing = op == DLConst::OpNotInSet;
  }
  return c;
}

std::vector<Condition> RuleConditions(const DLRule& rule, const DLVarList& vars, int missingCode) {
  std::vector<Condition> conditions;
  for (int i = 0; i < rule.GetNumOfSegments(); ++i) {
    conditions.push_back(SegmentCondition(*rule.GetSegment(i), vars, missingCode));
  }
  return conditions;
}

std::string RuleText(const DLRule& rule, const DLVarList& vars, int missingCode) {
  if (rule.GetNumOfSegments() == 0) return "(all cases)";
  std::string out;
  for (int i = 0; i < rule.GetNumOfSegments(); ++i) {
    if (i) out += " and ";
    out += SegmentText(*rule.GetSegment(i), vars, missingCode);
  }
  return out;
}

}  // namespace ruleweave_cli
