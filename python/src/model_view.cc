// Models as plain Python values: every rule's conditions in words (the words of the
// command-line program's tables: `age in (30, 50]`, `region in {north, south}`, `income is
// missing`) and its measure with 95% bounds.
#include <charconv>
#include <cmath>
#include <limits>

#include "binding.h"

namespace ruleweave_py {

namespace {

constexpr double kBig = std::numeric_limits<double>::max();

std::string Number(double v, int digits) {
  char buf[64];
  const auto result =
      digits > 0 ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, digits)
                 : std::to_chars(buf, buf + sizeof buf, v);
  if (result.ec != std::errc()) return "?";
  return std::string(buf, result.ptr);
}

// Category values that would make the braces ambiguous are quoted.
std::string Shown(const std::string& value) {
  bool plain = !value.empty();
  for (char c : value) plain = plain && std::string(",{}\" ()[]").find(c) == std::string::npos;
  if (plain) return value;
  std::string out = "\"";
  for (char c : value) {
    if (c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string SetText(const std::vector<std::string>& members) {
  std::string out = "{";
  for (std::size_t i = 0; i < members.size(); ++i) out += (i ? ", " : "") + members[i];
  return out + "}";
}

std::string CategoryText(const IDLVar& var, int code) {
  const IDLEncoder* encoder = var.GetEncoder();
  if (encoder == nullptr) return "";
  switch (var.GetMeasureLevel()) {
    case IDLVar::kNominalNumeric:
      return Number(static_cast<const DLCatNumNominalEncoder*>(encoder)->Decode(code), 0);
    case IDLVar::kOrdinalNumeric:
      return Number(static_cast<const DLCatNumOrdinalEncoder*>(encoder)->Decode(code), 0);
    case IDLVar::kNominalString:
      return static_cast<const DLCatStrNominalEncoder*>(encoder)->Decode(code);
    case IDLVar::kOrdinalString:
      return static_cast<const DLCatStrOrdinalEncoder*>(encoder)->Decode(code);
    default:
      return "";
  }
}

// A member of a category-coded set or range; the missing code reads "missing".
std::string CodeName(const IDLVar& var, double code, int missingCode) {
  if (code == missingCode) return "missing";
  if (code < 0 || code != std::floor(code) || code >= var.GetNumOfCategories()) {
    return "#" + Number(code, 6);
  }
  return Shown(CategoryText(var, static_cast<int>(code)));
}

std::string ContinuousRange(const std::string& name, double low, double high, bool lowOpen,
                            bool highOpen) {
  const bool noLow = low <= -kBig;
  const bool noHigh = high >= kBig;
  if (noLow && noHigh) return name + " is not missing";
  if (noLow) return name + (highOpen ? " < " : " <= ") + Number(high, 6);
  if (noHigh) return name + (lowOpen ? " > " : " >= ") + Number(low, 6);
  return name + " in " + (lowOpen ? "(" : "[") + Number(low, 6) + ", " + Number(high, 6) +
         (highOpen ? ")" : "]");
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
                          : Number(segment.GetValueEqualTo(), 6));
    case DLConst::OpRange: {
      double low, high;
      bool lowOpen, highOpen;
      segment.GetRange(low, high, lowOpen, highOpen);
      if (!categorical) return ContinuousRange(name, low, high, lowOpen, highOpen);
      // The codes of an ordinal variable stand in order: list the categories the range holds.
      auto inside = [&](double c) {
        return (lowOpen ? c > low : c >= low) && (highOpen ? c < high : c <= high);
      };
      std::vector<std::string> members;
      for (int c = 0; c < var->GetNumOfCategories(); ++c) {
        if (inside(c)) members.push_back(Shown(CategoryText(*var, c)));
      }
      if (inside(missingCode)) members.push_back("missing");
      if (members.size() == 1) return name + " = " + members[0];
      return name + " in " + SetText(members);
    }
    case DLConst::OpInSet:
    case DLConst::OpNotInSet: {
      std::vector<std::string> members;
      for (double v : segment.GetValueSet()) {
        members.push_back(categorical ? CodeName(*var, v, missingCode) : Number(v, 6));
      }
      return name + (segment.GetOperator() == DLConst::OpInSet ? " in " : " not in ") +
             SetText(members);
    }
    default:
      return name + " (no condition)";
  }
}

double OrNaN(double v) { return QXMV::IsMissing(v) ? std::nan("") : v; }

py::dict Figures(const DLMeasure& m) {
  py::dict out;
  out["coverage"] = m.GetCoverage();
  out["responses"] = m.GetResponse();
  out["lower"] = OrNaN(m.GetLowerProbabilityBoundary());
  out["upper"] = OrNaN(m.GetUpperProbabilityBoundary());
  return out;
}

}  // namespace

std::string RuleText(const DLRule& rule, const DLVarList& vars, int missingCode) {
  if (rule.GetNumOfSegments() == 0) return "(all cases)";
  std::string out;
  for (int i = 0; i < rule.GetNumOfSegments(); ++i) {
    if (i) out += " and ";
    out += SegmentText(*rule.GetSegment(i), vars, missingCode);
  }
  return out;
}

py::dict ModelFigures(const DLModel& model, const DLVarList& vars, int missingCode) {
  py::list lists;
  for (int l = 0; l < model.GetNumOfLists(); ++l) {
    const DLList& list = *model.GetList(l);
    py::list rules;
    for (int r = 0; r < list.GetNumOfRules(); ++r) {
      const DLRule& rule = *list.GetRule(r);
      py::dict row = Figures(rule.GetMeasure());
      row["conditions"] = RuleText(rule, vars, missingCode);
      rules.append(row);
    }
    py::dict entry;
    entry["rules"] = rules;
    lists.append(entry);
  }
  // The lists are stages, so the last one's remainder is the model's.
  std::unique_ptr<DLMeasure> rest(model.GetRemainderMeasure());
  py::dict out;
  out["lists"] = lists;
  out["remainder"] = Figures(rest ? *rest : DLMeasure());
  return out;
}

void RegisterModelView(py::module_& m) {
  m.def(
      "bounds",
      [](double coverage, double responses) {
        const DLMeasure measure(coverage, responses);
        return py::make_tuple(OrNaN(measure.GetLowerProbabilityBoundary()),
                              OrNaN(measure.GetUpperProbabilityBoundary()));
      },
      py::arg("coverage"), py::arg("responses"),
      "The 95% interval (lower, upper) of the rate responses / coverage; NaN without coverage.");
}

}  // namespace ruleweave_py
