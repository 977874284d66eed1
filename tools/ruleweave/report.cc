// Writing result tables as aligned text, CSV and JSON.
#include "report.h"

#include <cmath>
#include <cstdio>
#include <ostream>

#include "csv_reader.h"

namespace ruleweave_cli {

namespace {

std::string Percent(double fraction) {
  if (std::isnan(fraction)) return "-";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.2f%%", 100.0 * fraction);
  return buf;
}

std::string Interval(double lower, double upper) {
  if (std::isnan(lower) || std::isnan(upper)) return "-";
  char buf[64];
  std::snprintf(buf, sizeof buf, "[%.1f%%, %.1f%%]", 100.0 * lower, 100.0 * upper);
  return buf;
}

std::string Fixed(double value, int decimals) {
  if (std::isnan(value)) return "-";
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, value);
  return buf;
}

// Counts print as integers when they are whole (weights are rounded, so they usually are).
std::string Count(double value) { return std::isnan(value) ? "-" : FormatShort(value, 15); }

// A number for CSV/JSON: full precision, empty / null when it does not exist.
std::string Exact(double value, const char* none) {
  if (std::isnan(value)) return none;
  return FormatNumber(value);
}

std::string Pad(const std::string& text, std::size_t width, bool right) {
  // Width in characters: count UTF-8 lead bytes so that accented category names line up.
  std::size_t chars = 0;
  for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
  if (chars >= width) return text;
  std::string fill(width - chars, ' ');
  return right ? fill + text : text + fill;
}

// The line under a model's title: what its lists take, and the ranking figure.
std::string SummaryLine(const ModelReport& model) {
  std::string line;
  auto withHoldout = [&](double rate, double holdout) {
    return Percent(rate) + (model.hasHoldout ? " (holdout " + Percent(holdout) + ")" : "");
  };
  if (model.hasSummary) {
    line += "lists take " + Percent(model.listShare) + " of cases and " +
            Percent(model.responseShare) + " of responses; rate " +
            withHoldout(model.listRate, model.holdoutListRate) + ", remainder " +
            withHoldout(model.remainderRate, model.holdoutRemainderRate);
  }
  if (model.hasAuc) {
    line += std::string(line.empty() ? "" : "; ") + "AUC " + Fixed(model.auc, 3) + " on " +
            (model.aucOnHoldout ? "holdout" : "training") + " rows";
  }
  return line;
}

void WriteTable(std::ostream& out, const std::vector<ModelReport>& models) {
  for (std::size_t m = 0; m < models.size(); ++m) {
    const ModelReport& model = models[m];
    if (m > 0) out << '\n';
    out << "Model " << model.number << ": target " << model.target << " = " << model.response
        << ", " << Count(model.cases) << " cases, " << Count(model.responses)
        << " responses, base rate " << Percent(model.baseRate);
    if (model.hasHoldout) {
      out << "; holdout " << Count(model.holdoutCases) << " cases, "
          << Count(model.holdoutResponses) << " responses";
    }
    out << '\n';
    const std::string summary = SummaryLine(model);
    if (!summary.empty()) out << "  " << summary << '\n';
    std::vector<std::string> heads = {"rule",         "conditions", "cover",     "resp",    "rate",
                                      "95% interval", "lift",       "cum.cover", "cum.rate"};
    if (model.hasTrainingRate) heads.push_back("train.rate");
    if (model.hasHoldout) {
      for (const char* head : {"ho.cover", "ho.rate", "ho.interval", ""}) heads.push_back(head);
    }
    const std::size_t kColumns = heads.size();
    std::vector<std::vector<std::string>> cells;
    cells.push_back(heads);
    bool anyWeak = false;
    for (const RuleRow& row : model.rows) {
      std::vector<std::string> line = {row.id,
                                       row.conditions,
                                       Count(row.coverage),
                                       Count(row.responses),
                                       Percent(row.rate),
                                       Interval(row.lower, row.upper),
                                       Fixed(row.lift, 2),
                                       row.remainder ? "" : Count(row.cumulativeCoverage),
                                       row.remainder ? "" : Percent(row.cumulativeRate)};
      if (model.hasTrainingRate) line.push_back(Percent(row.trainingRate));
      if (model.hasHoldout) {
        line.push_back(Count(row.holdoutCoverage));
        line.push_back(Percent(row.holdoutRate));
        line.push_back(Interval(row.holdoutLower, row.holdoutUpper));
        line.push_back(row.weak ? "!" : "");
        anyWeak = anyWeak || row.weak;
      }
      cells.push_back(std::move(line));
    }
    std::vector<std::size_t> widths(kColumns, 0);
    for (const auto& line : cells) {
      for (std::size_t c = 0; c < kColumns; ++c) {
        std::size_t chars = 0;
        for (unsigned char ch : line[c]) chars += (ch & 0xC0) != 0x80;
        if (chars > widths[c]) widths[c] = chars;
      }
    }
    for (const auto& line : cells) {
      std::string text = " ";
      for (std::size_t c = 0; c < kColumns; ++c) {
        const bool right = c >= 2;  // numbers right-aligned, rule id and conditions left
        text += "  ";
        text += Pad(line[c], widths[c], right);
      }
      while (!text.empty() && text.back() == ' ') text.pop_back();
      out << text << '\n';
    }
    if (anyWeak) out << "  ! the rule's holdout interval does not clear the base rate\n";
  }
}

void WriteCsv(std::ostream& out, const std::vector<ModelReport>& models) {
  const bool holdout = !models.empty() && models[0].hasHoldout;
  const bool training = !models.empty() && models[0].hasTrainingRate;
  out << "model,target,response,cases,base_rate,rule,conditions,coverage,responses,rate,"
         "lower95,upper95,lift,cum_coverage,cum_rate";
  if (training) out << ",training_rate";
  if (holdout) {
    out << ",holdout_coverage,holdout_responses,holdout_rate,holdout_lower95,holdout_upper95,"
           "holdout_weak";
  }
  out << '\n';
  for (const ModelReport& model : models) {
    for (const RuleRow& row : model.rows) {
      out << model.number << ',' << QuoteField(model.target, ',') << ','
          << QuoteField(model.response, ',') << ',' << Exact(model.cases, "") << ','
          << Exact(model.baseRate, "") << ',' << QuoteField(row.id, ',') << ','
          << QuoteField(row.conditions, ',') << ',' << Exact(row.coverage, "") << ','
          << Exact(row.responses, "") << ',' << Exact(row.rate, "") << ',' << Exact(row.lower, "")
          << ',' << Exact(row.upper, "") << ',' << Exact(row.lift, "") << ','
          << (row.remainder ? "" : Exact(row.cumulativeCoverage, "")) << ','
          << (row.remainder ? "" : Exact(row.cumulativeRate, ""));
      if (training) out << ',' << Exact(row.trainingRate, "");
      if (holdout) {
        out << ',' << Exact(row.holdoutCoverage, "") << ',' << Exact(row.holdoutResponses, "")
            << ',' << Exact(row.holdoutRate, "") << ',' << Exact(row.holdoutLower, "") << ','
            << Exact(row.holdoutUpper, "") << ','
            << (row.remainder ? ""
                : row.weak    ? "1"
                              : "0");
      }
      out << '\n';
    }
  }
}

void WriteJsonRow(std::ostream& out, const ModelReport& model, const RuleRow& row) {
  out << "{\"rule\": " << JsonString(row.id) << ", \"conditions\": " << JsonString(row.conditions)
      << ", \"coverage\": " << Exact(row.coverage, "null")
      << ", \"responses\": " << Exact(row.responses, "null")
      << ", \"rate\": " << Exact(row.rate, "null") << ", \"lower95\": " << Exact(row.lower, "null")
      << ", \"upper95\": " << Exact(row.upper, "null") << ", \"lift\": " << Exact(row.lift, "null");
  if (!row.remainder) {
    out << ", \"cum_coverage\": " << Exact(row.cumulativeCoverage, "null")
        << ", \"cum_rate\": " << Exact(row.cumulativeRate, "null");
  }
  if (model.hasTrainingRate) out << ", \"training_rate\": " << Exact(row.trainingRate, "null");
  if (model.hasHoldout) {
    out << ", \"holdout\": {\"coverage\": " << Exact(row.holdoutCoverage, "null")
        << ", \"responses\": " << Exact(row.holdoutResponses, "null")
        << ", \"rate\": " << Exact(row.holdoutRate, "null")
        << ", \"lower95\": " << Exact(row.holdoutLower, "null")
        << ", \"upper95\": " << Exact(row.holdoutUpper, "null");
    if (!row.remainder) out << ", \"weak\": " << (row.weak ? "true" : "false");
    out << '}';
  }
  out << '}';
}

void WriteJson(std::ostream& out, const std::vector<ModelReport>& models) {
  out << "{\"models\": [";
  for (std::size_t m = 0; m < models.size(); ++m) {
    const ModelReport& model = models[m];
    out << (m ? ",\n  " : "\n  ") << "{\"model\": " << model.number
        << ", \"target\": " << JsonString(model.target)
        << ", \"response\": " << JsonString(model.response)
        << ", \"cases\": " << Exact(model.cases, "null")
        << ", \"responses\": " << Exact(model.responses, "null")
        << ", \"base_rate\": " << Exact(model.baseRate, "null");
    if (model.targetMissingRows > 0) {
      out << ", \"rows_target_missing\": " << Exact(model.targetMissingRows, "null");
    }
    if (model.hasHoldout) {
      out << ", \"holdout_cases\": " << Exact(model.holdoutCases, "null")
          << ", \"holdout_responses\": " << Exact(model.holdoutResponses, "null")
          << ", \"holdout_list_rate\": " << Exact(model.holdoutListRate, "null")
          << ", \"holdout_remainder_rate\": " << Exact(model.holdoutRemainderRate, "null");
    }
    if (model.hasSummary) {
      out << ", \"list_share\": " << Exact(model.listShare, "null")
          << ", \"response_share\": " << Exact(model.responseShare, "null")
          << ", \"list_rate\": " << Exact(model.listRate, "null")
          << ", \"remainder_rate\": " << Exact(model.remainderRate, "null");
    }
    if (model.hasAuc) {
      out << ", \"auc\": " << Exact(model.auc, "null")
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

}  // namespace

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

void WriteReports(std::ostream& out, const std::vector<ModelReport>& models, OutputFormat format) {
  switch (format) {
    case OutputFormat::kTable:
      WriteTable(out, models);
      break;
    case OutputFormat::kCsv:
      WriteCsv(out, models);
      break;
    case OutputFormat::kJson:
      WriteJson(out, models);
      break;
  }
}

}  // namespace ruleweave_cli
