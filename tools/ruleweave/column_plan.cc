// Deciding what each column of a delimited file becomes, from its profile (column_profile.cc).
#include "column_plan.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <unordered_set>

namespace ruleweave_cli {

namespace {

template <typename T>
bool Contains(const std::vector<T>& values, const T& value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

}  // namespace

const char* KindName(ColumnKind kind) {
  switch (kind) {
    case ColumnKind::kContinuous:
      return "continuous";
    case ColumnKind::kNominalNumeric:
      return "nominal numeric";
    case ColumnKind::kOrdinalNumeric:
      return "ordinal numeric";
    case ColumnKind::kNominalString:
      return "nominal string";
    case ColumnKind::kOrdinalString:
      return "ordinal string";
    case ColumnKind::kWeight:
      return "frequency weight";
    case ColumnKind::kIgnored:
      return "ignored";
  }
  return "unknown";
}

void CheckColumnOptions(const std::vector<std::string>& header, const ColumnOptions& options) {
  std::map<std::string, std::string> claimedBy;  // column -> option that named it
  auto claim = [&](const std::string& option, const std::string& column) {
    if (!Contains(header, column)) {
      throw UsageError(option + ": unknown column " + Quoted(column) + " (not in the header)");
    }
    auto it = claimedBy.find(column);
    if (it != claimedBy.end()) {
      if (it->second == option) {
        throw UsageError(option + ": column " + Quoted(column) + " is listed twice");
      }
      throw UsageError("column " + Quoted(column) + " is named by both " + it->second + " and " +
                       option);
    }
    claimedBy[column] = option;
  };
  for (const auto& c : options.continuous) claim("--continuous", c);
  for (const auto& c : options.nominal) claim("--nominal", c);
  for (const auto& c : options.ordinal) claim("--ordinal", c);
  for (const auto& c : options.ignore) claim("--ignore", c);
  if (!options.weight.empty()) claim("--weight", options.weight);
  if (!options.target.empty()) {
    if (!Contains(header, options.target)) {
      throw UsageError("--target: unknown column " + Quoted(options.target) +
                       " (not in the header)");
    }
    auto it = claimedBy.find(options.target);
    if (it != claimedBy.end() && it->second != "--ordinal" && it->second != "--nominal") {
      throw UsageError("--target: column " + Quoted(options.target) +
                       " must be categorical, but it is named by " + it->second);
    }
  }
  for (const std::string& column : options.missing.Columns()) {
    if (!Contains(header, column)) {
      throw UsageError("--na: unknown column " + Quoted(column) + " (not in the header)");
    }
  }
  for (const auto& [column, order] : options.levels) {
    if (!Contains(header, column)) {
      throw UsageError("--levels: unknown column " + Quoted(column) + " (not in the header)");
    }
    if (!Contains(options.ordinal, column)) {
      throw UsageError("--levels: column " + Quoted(column) +
                       " must also be listed with --ordinal");
    }
    std::set<std::string> seen;
    for (const auto& level : order) {
      if (!seen.insert(level).second) {
        throw UsageError("--levels: value " + Quoted(level) + " of column " + Quoted(column) +
                         " is given twice");
      }
    }
  }
}

namespace {

// Categories of a categorical column in code order. Numeric columns merge texts of the same
// number ("1" and "1.0").
void FillCategories(const ColumnProfile& p, const ColumnOptions& options,
                    const std::string& fileName, ColumnPlan& plan) {
  const bool numeric =
      plan.kind == ColumnKind::kNominalNumeric || plan.kind == ColumnKind::kOrdinalNumeric;
  const bool ordinal =
      plan.kind == ColumnKind::kOrdinalNumeric || plan.kind == ColumnKind::kOrdinalString;
  auto levels = options.levels.find(p.name);
  if (numeric) {
    std::vector<std::pair<double, std::int64_t>> cats;  // first-appearance order
    std::unordered_map<double, std::size_t> at;
    for (std::size_t k = 0; k < p.texts.size(); ++k) {
      double v = 0;
      ParseNumber(p.texts[k], v);
      auto it = at.find(v);
      if (it == at.end()) {
        at.emplace(v, cats.size());
        cats.emplace_back(v, p.counts[k]);
      } else {
        cats[it->second].second += p.counts[k];
      }
    }
    if (ordinal && levels != options.levels.end()) {
      std::vector<std::pair<double, std::int64_t>> ordered;
      for (const std::string& level : levels->second) {
        double v = 0;
        if (!ParseNumber(level, v)) {
          throw UsageError("--levels: value " + Quoted(level) + " of numeric column " +
                           Quoted(p.name) + " is not a number");
        }
        auto it = at.find(v);
        ordered.emplace_back(v, it == at.end() ? 0 : cats[it->second].second);
      }
      for (std::size_t k = 0; k < p.texts.size(); ++k) {
        double v = 0;
        ParseNumber(p.texts[k], v);
        bool listed = false;
        for (const auto& o : ordered) listed = listed || o.first == v;
        if (!listed) {
          throw InputError(fileName, p.firstLines[k], 0,
                           "column " + Quoted(p.name) + ": value " + Quoted(p.texts[k]) +
                               " is not among the values given by --levels");
        }
      }
      cats = std::move(ordered);
    } else if (ordinal) {
      std::sort(cats.begin(), cats.end());
    }
    for (const auto& c : cats) {
      plan.numericCategories.push_back(c.first);
      plan.categoryCounts.push_back(c.second);
    }
    plan.numCategories = cats.size();
    return;
  }
  if (ordinal && levels != options.levels.end()) {
    for (const std::string& level : levels->second) {
      auto it = p.index.find(level);
      plan.stringCategories.push_back(level);
      plan.categoryCounts.push_back(it == p.index.end() ? 0 : p.counts[it->second]);
    }
    for (std::size_t k = 0; k < p.texts.size(); ++k) {
      if (!Contains(levels->second, p.texts[k])) {
        throw InputError(fileName, p.firstLines[k], 0,
                         "column " + Quoted(p.name) + ": value " + Quoted(p.texts[k]) +
                             " is not among the values given by --levels");
      }
    }
  } else {
    plan.stringCategories = p.texts;
    plan.categoryCounts = p.counts;
  }
  plan.numCategories = plan.stringCategories.size();
}

// The plan of the column of `p` with the profile's figures; kind and role still to decide.
ColumnPlan StartPlan(const ColumnProfile& p) {
  ColumnPlan plan;
  plan.name = p.name;
  plan.missing = p.missing;
  plan.present = p.present;
  plan.min = p.min;
  plan.max = p.max;
  return plan;
}

// The error for a column read as numbers that holds text: "WHAT column "c" holds the value "v"
// WHY", at the line of the first such value; `what` is "weight ", "continuous " or "".
InputError NotNumeric(const std::string& fileName, const ColumnProfile& p, const char* what,
                      const std::string& why) {
  return InputError(fileName, p.firstNonNumericLine, 0,
                    std::string(what) + "column " + Quoted(p.name) + " holds the value " +
                        Quoted(p.firstNonNumericText) + why);
}

// The column of `p`, at `index`, becomes the table's weight.
void PlanWeight(const ColumnProfile& p, const std::string& fileName, std::size_t index,
                ColumnPlan& plan, TablePlan& table) {
  if (!p.allNumeric) throw NotNumeric(fileName, p, "weight ", ", which is not a number");
  plan.kind = ColumnKind::kWeight;
  plan.role = ColumnRole::kWeight;
  table.weightIndex = static_cast<int>(index);
}

// The data set needs large categories for a used categorical column with too many categories.
bool NeedsLargeCategories(const ColumnPlan& plan) {
  return IsCategorical(plan.kind) && plan.role != ColumnRole::kUnused &&
         plan.numCategories > kMaxSmallCategories;
}

// Too few rows to tell an identifier from a column that happens to repeat nothing.
constexpr std::int64_t kMinIdentifierRows = 20;

// A predictor read as categories (text, or whole numbers listed as categorical) whose values
// all differ: each case is a category of its own, which costs the search much and yields rules
// that hold for one case each. Continuous columns are left alone: their bins cost little.
bool LooksLikeIdentifier(const ColumnProfile& p, const ColumnPlan& plan) {
  const bool text =
      plan.kind == ColumnKind::kNominalString || plan.kind == ColumnKind::kOrdinalString;
  const bool wholeCategories =
      (plan.kind == ColumnKind::kNominalNumeric || plan.kind == ColumnKind::kOrdinalNumeric) &&
      p.allIntegral;
  return plan.role == ColumnRole::kPredictor && (text || wholeCategories) && p.allDistinct &&
         p.present >= kMinIdentifierRows;
}

}  // namespace

bool HasFewValues(const ColumnProfile& p, int fewValues) {
  if (!p.allNumeric || !p.allIntegral || p.capped || p.present == 0) return false;
  std::set<double> distinct;
  for (const std::string& text : p.texts) {
    double v = 0;
    if (!ParseNumber(text, v)) return false;
    distinct.insert(v);
    if (distinct.size() > static_cast<std::size_t>(fewValues)) return false;
  }
  return distinct.size() >= 2;
}

TablePlan PlanTable(const std::vector<ColumnProfile>& profiles, const ColumnOptions& options,
                    const std::string& fileName) {
  TablePlan table;
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const ColumnProfile& p = profiles[i];
    table.rows = p.missing + p.present;
    ColumnPlan plan = StartPlan(p);
    plan.integral = p.allIntegral;
    const bool isTarget = p.name == options.target;
    const bool listedContinuous = Contains(options.continuous, p.name);
    const bool listedNominal = Contains(options.nominal, p.name);
    const bool listedOrdinal = Contains(options.ordinal, p.name);
    if (Contains(options.ignore, p.name)) {
      plan.kind = ColumnKind::kIgnored;
      plan.role = ColumnRole::kUnused;
    } else if (p.name == options.weight) {
      PlanWeight(p, fileName, i, plan, table);
    } else if (listedNominal || listedOrdinal || isTarget) {
      const bool numeric = p.allNumeric && p.present > 0;
      if (listedOrdinal) {
        plan.kind = numeric ? ColumnKind::kOrdinalNumeric : ColumnKind::kOrdinalString;
      } else {
        plan.kind = numeric ? ColumnKind::kNominalNumeric : ColumnKind::kNominalString;
      }
      plan.role = isTarget ? ColumnRole::kTarget : ColumnRole::kPredictor;
      FillCategories(p, options, fileName, plan);
      if (isTarget) table.targetIndex = static_cast<int>(i);
    } else if (!listedContinuous && HasFewValues(p, options.fewValues)) {
      plan.kind = ColumnKind::kOrdinalNumeric;
      plan.role = ColumnRole::kPredictor;
      FillCategories(p, options, fileName, plan);
    } else if (listedContinuous || p.allNumeric) {
      if (!p.allNumeric) throw NotNumeric(fileName, p, "continuous ", ", which is not a number");
      plan.kind = ColumnKind::kContinuous;
      plan.role = ColumnRole::kPredictor;
      plan.integral = false;
    } else {
      plan.kind = ColumnKind::kNominalString;
      plan.role = ColumnRole::kPredictor;
      if (p.capped) {
        plan.categoriesKnown = false;
        plan.numCategories = p.texts.size() + 1;  // more than were kept
      } else {
        FillCategories(p, options, fileName, plan);
      }
    }
    // A predictor that cannot split the cases is set aside rather than failing the search.
    if (plan.role == ColumnRole::kPredictor) {
      if (plan.kind == ColumnKind::kContinuous && (p.present == 0 || !(p.min < p.max))) {
        plan.role = ColumnRole::kUnused;
        table.warnings.push_back("column " + Quoted(p.name) +
                                 (p.present == 0 ? " has no value" : " has only one value") +
                                 "; it is not used as a predictor");
      } else if (plan.kind != ColumnKind::kContinuous && p.present == 0) {
        plan.role = ColumnRole::kUnused;
        table.warnings.push_back("column " + Quoted(p.name) +
                                 " has no value; it is not used as a predictor");
      }
    }
    if (LooksLikeIdentifier(p, plan)) {
      table.warnings.push_back(
          "column " + Quoted(p.name) + " looks like an identifier (" +
          (p.capped ? "its first " + std::to_string(p.texts.size() + 1) + " values"
                    : "all its " + std::to_string(p.present) + " values") +
          " differ), which slows the search and explains nothing; leave it out with --ignore " +
          p.name);
    }
    if (NeedsLargeCategories(plan)) table.largeCategories = true;
    table.columns.push_back(std::move(plan));
  }
  return table;
}

TablePlan PlanForModel(const std::vector<PmmlField>& fields,
                       const std::vector<ColumnProfile>& profiles, const ColumnOptions& options,
                       const std::string& fileName, const std::string& modelName) {
  TablePlan table;
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const ColumnProfile& p = profiles[i];
    table.rows = p.missing + p.present;
    ColumnPlan plan = StartPlan(p);
    const PmmlField* field = nullptr;
    for (const PmmlField& f : fields) {
      if (f.name == p.name && (f.used || f.predicted)) field = &f;
    }
    if (p.name == options.weight) {
      PlanWeight(p, fileName, i, plan, table);
    } else if (field == nullptr) {
      plan.kind = ColumnKind::kIgnored;
      plan.role = ColumnRole::kUnused;
    } else {
      plan.role = field->predicted ? ColumnRole::kTarget : ColumnRole::kPredictor;
      if (field->predicted) table.targetIndex = static_cast<int>(i);
      const bool numeric = field->dataType != "string";
      if (numeric && !p.allNumeric) {
        throw NotNumeric(fileName, p, "", ", but the model " + modelName + " reads it as numbers");
      }
      const bool ordinal = field->optype == "ordinal";
      if (field->optype == "continuous") {
        plan.kind = ColumnKind::kContinuous;
      } else if (numeric) {
        plan.kind = ordinal ? ColumnKind::kOrdinalNumeric : ColumnKind::kNominalNumeric;
        plan.integral = field->dataType == "integer";
        for (const std::string& v : field->values) {
          double number = 0;
          if (!ParseNumber(v, number)) {
            throw InputError(modelName, 0, 0,
                             "field " + Quoted(p.name) + " has the category " + Quoted(v) +
                                 ", which is not a number");
          }
          plan.numericCategories.push_back(number);
        }
        for (const std::string& text : p.texts) {
          double number = 0;
          ParseNumber(text, number);
          if (!Contains(plan.numericCategories, number)) plan.numericCategories.push_back(number);
        }
        plan.numCategories = plan.numericCategories.size();
      } else {
        plan.kind = ordinal ? ColumnKind::kOrdinalString : ColumnKind::kNominalString;
        plan.stringCategories = field->values;
        for (const std::string& text : p.texts) {
          if (!Contains(plan.stringCategories, text)) plan.stringCategories.push_back(text);
        }
        plan.numCategories = plan.stringCategories.size();
      }
      if (NeedsLargeCategories(plan)) table.largeCategories = true;
    }
    table.columns.push_back(std::move(plan));
  }
  return table;
}

void AddAbsentTarget(const std::vector<PmmlField>& fields, TablePlan& table) {
  for (const PmmlField& field : fields) {
    if (!field.predicted) continue;
    ColumnPlan plan;
    plan.name = field.name;
    plan.role = ColumnRole::kTarget;
    plan.absent = true;
    plan.missing = table.rows;
    const bool numeric = field.dataType != "string";
    const bool ordinal = field.optype == "ordinal";
    if (numeric) {
      plan.kind = ordinal ? ColumnKind::kOrdinalNumeric : ColumnKind::kNominalNumeric;
      plan.integral = field.dataType == "integer";
      for (const std::string& v : field.values) {
        double number = 0;
        if (ParseNumber(v, number)) plan.numericCategories.push_back(number);
      }
      plan.numCategories = plan.numericCategories.size();
    } else {
      plan.kind = ordinal ? ColumnKind::kOrdinalString : ColumnKind::kNominalString;
      plan.stringCategories = field.values;
      plan.numCategories = plan.stringCategories.size();
    }
    if (NeedsLargeCategories(plan)) table.largeCategories = true;
    table.targetIndex = static_cast<int>(table.columns.size());
    table.columns.push_back(std::move(plan));
    return;
  }
}

}  // namespace ruleweave_cli
