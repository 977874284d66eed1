// Rules and segments written in plain words for the result tables.
#include "rule_text.h"

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

std::string Number(double v) { return FormatShort(v, 6); }

std::string SetText(const std::vector<std::string>& members) {
  std::string out = "{";
  for (std::size_t i = 0; i < members.size(); ++i) {
    if (i) out += ", ";
    out += members[i];
  }
  return out + "}";
}

// Members of a category-coded set (or range) in words; the missing code reads "missing".
std::string CodeName(const IDLVar& var, double code, int missingCode) {
  if (code == missingCode) return "missing";
  if (code < 0 || code != std::floor(code) || code >= var.GetNumOfCategories()) {
    return "#" + Number(code);
  }
  return Shown(CategoryText(var, static_cast<int>(code)));
}

std::string ContinuousRange(const std::string& name, double low, double high, bool lowOpen,
                            bool highOpen) {
  const bool noLow = low <= -kBig;
  const bool noHigh = high >= kBig;
  if (noLow && noHigh) return name + " is not missing";
  if (noLow) return name + (highOpen ? " < " : " <= ") + Number(high);
  if (noHigh) return name + (lowOpen ? " > " : " >= ") + Number(low);
  return name + " in " + (lowOpen ? "(" : "[") + Number(low) + ", " + Number(high) +
         (highOpen ? ")" : "]");
}

}  // namespace

std::string CategoryText(const IDLVar& var, int code) {
  std::string text;
  var.GetCategoryText(code, text);
  return text;
}

std::string SegmentText(const DLSegment& segment, const DLVarList& vars, int missingCode) {
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
                          : Number(segment.GetValueEqualTo()));
    case DLConst::OpRange: {
      double low, high;
      bool lowOpen, highOpen;
      segment.GetRange(low, high, lowOpen, highOpen);
      if (!categorical) return ContinuousRange(name, low, high, lowOpen, highOpen);
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
        members.push_back(categorical ? CodeName(*var, v, missingCode) : Number(v));
      }
      return name + (segment.GetOperator() == DLConst::OpInSet ? " in " : " not in ") +
             SetText(members);
    }
    default:
      return name + " (no condition)";
  }
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
