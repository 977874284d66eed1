// Writing result tables for programs: CSV (one row per rule) and JSON (numbers as numbers,
// conditions as structured objects), both at full precision.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "csv_reader.h"
#include "report.h"

namespace ruleweave_cli {

// A number for CSV/JSON: full precision, empty / null when it does not exist.
std::string ExactNumber(double value, const char* none) {
  if (std::isnan(value)) return none;
  return FormatNumber(value);
}

// The conditions at full precision, for CSV and JSON.
std::string ExactConditions(const RuleRow& row) {
  if (row.conditionList.empty()) return row.conditions;
  std::string text;
  for (const Condition& c : row.conditionList) {
    if (!text.empty()) text += " and ";
    text += c.exactText;
  }
  return text;
}

std::string JsonNumber(double value) {
  if (!std::isfinite(value)) return "null";
  return FormatNumber(value);
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
  return out;
}

namespace {

bool HasHoldout(const std::vector<ModelReport>& models) {
  for (const ModelReport& model : models) {
    if (model.holdout) return true;
  }
  return false;
}

}  // namespace

void WriteCsvReports(std::ostream& out, const std::vector<ModelReport>& models) {
  const bool holdout = HasHoldout(models);
  const bool training = std::any_of(models.begin(), models.end(),
                                    [](const ModelReport& m) { return m.hasTrainingRate; });
  out << "model,target,response,cases,base_rate,rule,conditions,coverage,responses,rate,"
         "lower95,upper95,lift,cum_coverage,cum_rate";
  if (training) out << ",training_rate";
  if (holdout) {
    out << ",holdout_coverage,holdout_responses,holdout_rate,holdout_lower95,holdout_upper95,"
           "holdout_lift,holdout_weak";
  }
  out << '\n';
  for (const ModelReport& model : models) {
    for (const RuleRow& row : model.rows) {
      out << model.number << ',' << QuoteField(model.target, ',') << ','
          << QuoteField(model.response, ',') << ',' << ExactNumber(model.cases, "") << ','
          << ExactNumber(model.baseRate, "") << ',' << QuoteField(row.id, ',') << ','
          << QuoteField(ExactConditions(row), ',') << ',' << ExactNumber(row.coverage, "") << ','
          << ExactNumber(row.responses, "") << ',' << ExactNumber(row.rate, "") << ','
          << ExactNumber(row.lower, "") << ',' << ExactNumber(row.upper, "") << ','
          << ExactNumber(row.lift, "") << ','
          << (row.remainder ? "" : ExactNumber(row.cumulativeCoverage, "")) << ','
          << (row.remainder ? "" : ExactNumber(row.cumulativeRate, ""));
      if (training) out << ',' << (model.hasTrainingRate ? ExactNumber(row.trainingRate, "") : "");
      if (holdout) {
        const HoldoutFigures h =
            row.holdout.value_or(HoldoutFigures{std::nan(""), std::nan(""), std::nan(""),
                                                std::nan(""), std::nan(""), std::nan(""), false});
        out << ',' << ExactNumber(h.coverage, "") << ',' << ExactNumber(h.responses, "") << ','
            << ExactNumber(h.rate, "") << ',' << ExactNumber(h.lower, "") << ','
            << ExactNumber(h.upper, "") << ',' << ExactNumber(h.lift, "") << ','
            << (row.remainder || !row.holdout ? ""
                : h.weak                      ? "1"
                                              : "0");
      }
      out << '\n';
    }
  }
}

namespace {

const char* KindName(Condition::Kind kind) {
  switch (kind) {
    case Condition::Kind::kRange:
      return "range";
    case Condition::Kind::kIn:
      return "in";
    case Condition::Kind::kNotIn:
      return "not in";
    case Condition::Kind::kMissing:
      return "missing";
    case Condition::Kind::kNotMissing:
      return "not missing";
  }
  return "";
}

void WriteJsonCondition(std::ostream& out, const Condition& c) {
  out << "{\"column\": " << JsonString(c.column) << ", \"kind\": \"" << KindName(c.kind) << '"';
  if (c.kind == Condition::Kind::kRange) {
    out << ", \"low\": " << (c.hasLow ? JsonNumber(c.low) : "null")
        << ", \"low_closed\": " << (c.hasLow && c.lowClosed ? "true" : "false")
        << ", \"high\": " << (c.hasHigh ? JsonNumber(c.high) : "null")
        << ", \"high_closed\": " << (c.hasHigh && c.highClosed ? "true" : "false");
  } else if (c.kind == Condition::Kind::kIn || c.kind == Condition::Kind::kNotIn) {
    out << ", \"values\": [";
    if (c.numeric) {
      for (std::size_t i = 0; i < c.numbers.size(); ++i) {
        out << (i ? ", " : "") << JsonNumber(c.numbers[i]);
      }
    } else {
      for (std::size_t i = 0; i < c.values.size(); ++i) {
        out << (i ? ", " : "") << JsonString(c.values[i]);
      }
    }
    out << ']';
  }
  out << ", \"missing\": " << (c.missing ? "true" : "false")
      << ", \"text\": " << JsonString(c.exactText) << '}';
}

void WriteJsonFigures(std::ostream& out, double coverage, double responses, double rate,
                      double lower, double upper, double lift) {
  out << "\"coverage\": " << JsonNumber(coverage) << ", \"responses\": " << JsonNumber(responses)
      << ", \"rate\": " << JsonNumber(rate) << ", \"lower95\": " << JsonNumber(lower)
      << ", \"upper95\": " << JsonNumber(upper) << ", \"lift\": " << JsonNumber(lift);
}

// A rule's label "L.R" (or "R" for a single list) as its list and rule numbers.
void WriteJsonRuleNumbers(std::ostream& out, const std::string& label) {
  const std::size_t dot = label.find('.');
  const std::string list = dot == std::string::npos ? "1" : label.substr(0, dot);
  const std::string rule = dot == std::string::npos ? label : label.substr(dot + 1);
  out << "\"list\": " << list << ", \"rule\": " << rule << ", ";
}

void WriteJsonRow(std::ostream& out, const ModelReport& model, const RuleRow& row) {
  out << '{';
  if (!row.remainder) WriteJsonRuleNumbers(out, row.id);
  out << "\"label\": " << JsonString(row.remainder ? "remainder" : row.id)
      << ", \"text\": " << JsonString(ExactConditions(row)) << ", \"conditions\": [";
  for (std::size_t i = 0; i < row.conditionList.size(); ++i) {
    out << (i ? ", " : "");
    WriteJsonCondition(out, row.conditionList[i]);
  }
  out << "], ";
  WriteJsonFigures(out, row.coverage, row.responses, row.rate, row.lower, row.upper, row.lift);
  if (!row.remainder) {
    out << ", \"cum_coverage\": " << JsonNumber(row.cumulativeCoverage)
        << ", \"cum_rate\": " << JsonNumber(row.cumulativeRate);
  }
  if (model.hasTrainingRate) out << ", \"training_rate\": " << JsonNumber(row.trainingRate);
  if (row.holdout) {
    const HoldoutFigures& h = *row.holdout;
    out << ", \"holdout\": {";
    WriteJsonFigures(out, h.coverage, h.responses, h.rate, h.lower, h.upper, h.lift);
    if (!row.remainder) out << ", \"weak\": " << (h.weak ? "true" : "false");
    out << '}';
  }
  out << '}';
}

}  // namespace

void WriteJsonReports(std::ostream& out, const std::vector<ModelReport>& models) {
  out << "{\"models\": [";
  for (std::size_t m = 0; m < models.size(); ++m) {
    const ModelReport& model = models[m];
    out << (m ? ",\n  " : "\n  ") << "{\"model\": " << model.number
        << ", \"target\": " << JsonString(model.target)
        << ", \"response\": " << JsonString(model.response)
        << ", \"cases\": " << JsonNumber(model.cases)
        << ", \"responses\": " << JsonNumber(model.responses)
        << ", \"base_rate\": " << JsonNumber(model.baseRate);
    if (model.targetMissingRows > 0) {
      out << ", \"rows_target_missing\": " << JsonNumber(model.targetMissingRows);
    }
    if (model.holdout) {
      out << ", \"holdout\": {\"cases\": " << JsonNumber(model.holdout->coverage)
          << ", \"responses\": " << JsonNumber(model.holdout->responses)
          << ", \"base_rate\": " << JsonNumber(model.holdout->rate)
          << ", \"list_rate\": " << JsonNumber(model.holdoutListRate)
          << ", \"remainder_rate\": " << JsonNumber(model.holdoutRemainderRate) << '}';
    }
    if (model.hasSummary) {
      out << ", \"list_share\": " << JsonNumber(model.listShare)
          << ", \"response_share\": " << JsonNumber(model.responseShare)
          << ", \"list_rate\": " << JsonNumber(model.listRate)
          << ", \"remainder_rate\": " << JsonNumber(model.remainderRate);
    }
    if (model.hasAuc) {
      out << ", \"auc\": " << JsonNumber(model.auc)
          << ", \"auc_rows\": " << (model.aucOnHoldout ? "\"holdout\"" : "\"training\"");
    }
    out << ", \"rules\": [";
    bool first = true;
    for (const RuleRow& row : model.rows) {
      if (row.remainder) continue;
      out << (first ? "\n    " : ",\n    ");
      first = false;
      WriteJsonRow(out, model, row);
    }
    out << "]";
    for (const RuleRow& row : model.rows) {
      if (!row.remainder) continue;
      out << ",\n   \"remainder\": ";
      WriteJsonRow(out, model, row);
    }
    out << '}';
  }
  out << "\n]}\n";
}

}  // namespace ruleweave_cli
