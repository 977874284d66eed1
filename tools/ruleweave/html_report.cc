// Writing a model as a self-contained HTML page with inline SVG charts.
#include "html_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

#include "csv_reader.h"

namespace ruleweave_cli {

namespace {

// Everything the page needs is here: a viewer opens it offline, and nothing is fetched.
const char kStyle[] =
    "body{font-family:sans-serif;margin:2em auto;max-width:70em;padding:0 1em;color:#222}"
    "h1{font-size:1.5em}h2{font-size:1.2em;margin-top:2em}"
    "table{border-collapse:collapse;margin:.5em 0}"
    "th,td{padding:.25em .6em;border-bottom:1px solid #ddd;text-align:right;"
    "vertical-align:top;white-space:nowrap}"
    "th{background:#f3f3f3}td.text,th.text{text-align:left;white-space:normal}"
    "tr.remainder td{color:#666;font-style:italic}"
    ".holdout{background:#f4f8fc}"
    "svg{display:block;margin:.5em 0}svg text{font:12px sans-serif;fill:#333}"
    ".axis{stroke:#888;stroke-width:1}.grid{stroke:#e4e4e4;stroke-width:1}"
    ".model{fill:none;stroke:#1f6fb4;stroke-width:2.5}"
    ".model-holdout{fill:none;stroke:#d9822b;stroke-width:2;stroke-dasharray:6 4}"
    ".chance{fill:none;stroke:#999;stroke-width:1.5;stroke-dasharray:4 4}"
    ".base{stroke:#c0392b;stroke-width:1.5;stroke-dasharray:5 3}"
    ".interval{stroke:#1f6fb4;stroke-width:3}.dot{fill:#1f6fb4}"
    ".interval-holdout{stroke:#d9822b;stroke-width:3}.dot-holdout{fill:#d9822b}"
    "p.note{color:#555;font-size:.9em}";

std::string Num(double value, const char* format) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, value);
  return buf;
}

std::string Coord(double value) { return Num(value, "%.1f"); }

std::string Percent(double fraction) {
  return std::isfinite(fraction) ? Num(100.0 * fraction, "%.2f%%") : "-";
}

std::string Interval(double lower, double upper) {
  if (!std::isfinite(lower) || !std::isfinite(upper)) return "-";
  return "[" + Num(100.0 * lower, "%.1f%%") + ", " + Num(100.0 * upper, "%.1f%%") + "]";
}

std::string Count(double value) { return std::isfinite(value) ? FormatShort(value, 15) : "-"; }

std::string Lift(double value) { return std::isfinite(value) ? Num(value, "%.2f") : "-"; }

std::string Cell(const std::string& text, const char* cls = nullptr) {
  return std::string("<td") + (cls ? std::string(" class=\"") + cls + "\"" : "") + ">" +
         HtmlEscape(text) + "</td>";
}

bool HasHoldout(const ModelReport& model) {
  return std::any_of(model.rows.begin(), model.rows.end(),
                     [](const RuleRow& row) { return row.holdout.has_value(); });
}

// A chart area: `width` x `height` pixels with margins for the axes' labels.
struct Frame {
  double width = 560;
  double height = 320;
  double left = 56;
  double right = 16;
  double top = 16;
  double bottom = 44;
  double X(double fraction) const { return left + fraction * (width - left - right); }
  double Y(double fraction) const { return height - bottom - fraction * (height - top - bottom); }
};

void OpenSvg(std::ostream& out, const Frame& f, const std::string& id, const std::string& label) {
  out << "<svg id=\"" << id << "\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" << f.width
      << "\" height=\"" << f.height << "\" viewBox=\"0 0 " << f.width << ' ' << f.height
      << "\" role=\"img\" aria-label=\"" << HtmlEscape(label) << "\">\n";
}

// Axes with grid lines at quarters, the x axis in percent; the y labels read `yMax` * quarter with
// `yFormat` (none when it is null).
void Axes(std::ostream& out, const Frame& f, double yMax, const char* yFormat,
          const std::string& xTitle, const std::string& yTitle) {
  for (int q = 0; q <= 4; ++q) {
    const double t = q / 4.0;
    out << "<line class=\"grid\" x1=\"" << Coord(f.X(0)) << "\" y1=\"" << Coord(f.Y(t))
        << "\" x2=\"" << Coord(f.X(1)) << "\" y2=\"" << Coord(f.Y(t)) << "\"/>";
    if (yFormat != nullptr) {
      out << "<text x=\"" << Coord(f.X(0) - 6) << "\" y=\"" << Coord(f.Y(t) + 4)
          << "\" text-anchor=\"end\">" << Num(t * yMax, yFormat) << "</text>";
    }
    out << "<text x=\"" << Coord(f.X(t)) << "\" y=\"" << Coord(f.Y(0) + 16)
        << "\" text-anchor=\"middle\">" << Num(100 * t, "%.0f%%") << "</text>";
    out << '\n';
  }
  out << "<line class=\"axis\" x1=\"" << Coord(f.X(0)) << "\" y1=\"" << Coord(f.Y(0)) << "\" x2=\""
      << Coord(f.X(1)) << "\" y2=\"" << Coord(f.Y(0)) << "\"/>"
      << "<line class=\"axis\" x1=\"" << Coord(f.X(0)) << "\" y1=\"" << Coord(f.Y(0)) << "\" x2=\""
      << Coord(f.X(0)) << "\" y2=\"" << Coord(f.Y(1)) << "\"/>\n"
      << "<text x=\"" << Coord(f.X(0.5)) << "\" y=\"" << Coord(f.height - 6)
      << "\" text-anchor=\"middle\">" << HtmlEscape(xTitle) << "</text>"
      << "<text transform=\"translate(14 " << Coord(f.Y(0.5)) << ") rotate(-90)\" "
      << "text-anchor=\"middle\">" << HtmlEscape(yTitle) << "</text>\n";
}

// Cumulative share of the cases (x) and of the responses (y) after each rule, from (0, 0) to
// (1, 1), the remainder closing the curve.
std::vector<std::pair<double, double>> GainsPoints(const std::vector<RuleRow>& rows, bool holdout,
                                                   double cases, double responses) {
  std::vector<std::pair<double, double>> points = {{0, 0}};
  double coverage = 0;
  double responded = 0;
  for (const RuleRow& row : rows) {
    if (row.remainder) continue;
    coverage += holdout ? row.holdout->coverage : row.coverage;
    responded += holdout ? row.holdout->responses : row.responses;
    points.emplace_back(cases > 0 ? coverage / cases : 0,
                        responses > 0 ? responded / responses : 0);
  }
  points.emplace_back(1, 1);
  return points;
}

std::string PathOf(const Frame& f, const std::vector<std::pair<double, double>>& points) {
  std::string d;
  for (std::size_t i = 0; i < points.size(); ++i) {
    d += (i ? " L " : "M ") + Coord(f.X(points[i].first)) + ' ' + Coord(f.Y(points[i].second));
  }
  return d;
}

void GainsChart(std::ostream& out, const ModelReport& model, bool holdout) {
  const Frame f;
  OpenSvg(out, f, "gains-chart", "cumulative gains chart");
  Axes(out, f, 100, "%.0f%%", "cases, in rule order", "responses found");
  out << "<path class=\"chance\" d=\"" << PathOf(f, {{0, 0}, {1, 1}}) << "\"/>\n"
      << "<path class=\"model\" d=\""
      << PathOf(f, GainsPoints(model.rows, false, model.cases, model.responses)) << "\"/>\n";
  if (holdout && model.holdout) {
    out << "<path class=\"model-holdout\" d=\""
        << PathOf(f,
                  GainsPoints(model.rows, true, model.holdout->coverage, model.holdout->responses))
        << "\"/>\n";
  }
  out << "</svg>\n";
}

// Cumulative lift (the rate of the cases taken so far over the base rate) along the cases
// taken rule by rule: flat over the first rule, 1 once the remainder is taken too.
std::vector<std::pair<double, double>> LiftPoints(const std::vector<RuleRow>& rows, bool holdout,
                                                  double cases, double baseRate) {
  std::vector<std::pair<double, double>> points;
  double coverage = 0;
  double responded = 0;
  for (const RuleRow& row : rows) {
    if (row.remainder) continue;
    coverage += holdout ? row.holdout->coverage : row.coverage;
    responded += holdout ? row.holdout->responses : row.responses;
    if (coverage <= 0 || cases <= 0 || !(baseRate > 0)) continue;
    const double lift = responded / coverage / baseRate;
    if (points.empty()) points.emplace_back(0, lift);
    points.emplace_back(coverage / cases, lift);
  }
  if (points.empty()) points.emplace_back(0, 1);
  points.emplace_back(1, 1);
  return points;
}

void LiftChart(std::ostream& out, const ModelReport& model, bool holdout) {
  const Frame f;
  std::vector<std::pair<double, double>> points =
      LiftPoints(model.rows, false, model.cases, model.baseRate);
  std::vector<std::pair<double, double>> held;
  if (holdout && model.holdout) {
    held = LiftPoints(model.rows, true, model.holdout->coverage, model.holdout->rate);
  }
  double top = 1;
  for (const auto& p : points) top = std::max(top, p.second);
  for (const auto& p : held) top = std::max(top, p.second);
  // A little headroom, and grid lines at quarters that fall on halves.
  top = 4 * std::ceil(top * 1.1 / 4 * 2) / 2;
  auto scaled = [top](std::vector<std::pair<double, double>> ps) {
    for (auto& p : ps) p.second /= top;
    return ps;
  };
  OpenSvg(out, f, "lift-chart", "cumulative lift chart");
  Axes(out, f, top, "%.1f", "cases, in rule order", "cumulative lift");
  out << "<path class=\"chance\" d=\"" << PathOf(f, {{0, 1 / top}, {1, 1 / top}}) << "\"/>\n"
      << "<path class=\"model\" d=\"" << PathOf(f, scaled(points)) << "\"/>\n";
  if (!held.empty()) {
    out << "<path class=\"model-holdout\" d=\"" << PathOf(f, scaled(held)) << "\"/>\n";
  }
  out << "</svg>\n";
}

// Each rule's rate as a dot on its 95% interval, against the base rate (the dashed line).
void IntervalChart(std::ostream& out, const ModelReport& model, bool holdout) {
  Frame f;
  const double rowHeight = holdout ? 30 : 22;
  f.height = f.top + f.bottom + rowHeight * static_cast<double>(model.rows.size());
  f.left = 90;
  OpenSvg(out, f, "interval-chart", "rates with their intervals against the base rate");
  Axes(out, f, 0, /*yFormat=*/nullptr, "response rate", "");
  for (std::size_t i = 0; i < model.rows.size(); ++i) {
    const RuleRow& row = model.rows[i];
    const double y = f.top + rowHeight * (static_cast<double>(i) + 0.5);
    out << "<text x=\"" << Coord(f.left - 8) << "\" y=\"" << Coord(y + 4)
        << "\" text-anchor=\"end\">"
        << HtmlEscape(row.remainder ? std::string("remainder") : "rule " + row.id) << "</text>";
    auto mark = [&](double rate, double lower, double upper, double dy, const char* line,
                    const char* dot) {
      if (!std::isfinite(rate)) return;
      const double lo = std::isfinite(lower) ? lower : rate;
      const double hi = std::isfinite(upper) ? upper : rate;
      out << "<line class=\"" << line << "\" x1=\"" << Coord(f.X(lo)) << "\" y1=\"" << Coord(y + dy)
          << "\" x2=\"" << Coord(std::max(f.X(hi), f.X(lo) + 1)) << "\" y2=\"" << Coord(y + dy)
          << "\"/><circle class=\"" << dot << "\" cx=\"" << Coord(f.X(rate)) << "\" cy=\""
          << Coord(y + dy) << "\" r=\"4\"/>";
    };
    mark(row.rate, row.lower, row.upper, holdout ? -5 : 0, "interval", "dot");
    if (holdout && row.holdout) {
      mark(row.holdout->rate, row.holdout->lower, row.holdout->upper, 5, "interval-holdout",
           "dot-holdout");
    }
    out << '\n';
  }
  out << "<line class=\"base\" x1=\"" << Coord(f.X(model.baseRate)) << "\" y1=\"" << Coord(f.Y(0))
      << "\" x2=\"" << Coord(f.X(model.baseRate)) << "\" y2=\"" << Coord(f.top) << "\"/>\n</svg>\n";
}

void RulesTable(std::ostream& out, const ModelReport& model, bool holdout) {
  out << "<table id=\"rules\">\n<tr><th class=\"text\">rule</th><th class=\"text\">conditions"
         "</th><th>cover</th><th>resp</th><th>rate</th><th>95% interval</th><th>lift</th>"
         "<th>cum.cover</th><th>cum.rate</th>";
  if (holdout) {
    out << "<th class=\"holdout\">holdout cover</th><th class=\"holdout\">holdout resp</th>"
           "<th class=\"holdout\">holdout rate</th><th class=\"holdout\">holdout interval</th>"
           "<th class=\"holdout\">holdout lift</th>";
  }
  out << "</tr>\n";
  for (const RuleRow& row : model.rows) {
    out << (row.remainder ? "<tr class=\"remainder\">" : "<tr>")
        << Cell(row.remainder ? "-" : row.id, "text") << Cell(row.conditions, "text")
        << Cell(Count(row.coverage)) << Cell(Count(row.responses)) << Cell(Percent(row.rate))
        << Cell(Interval(row.lower, row.upper)) << Cell(Lift(row.lift))
        << Cell(row.remainder ? "" : Count(row.cumulativeCoverage))
        << Cell(row.remainder ? "" : Percent(row.cumulativeRate));
    if (holdout) {
      if (row.holdout) {
        const HoldoutFigures& h = *row.holdout;
        out << Cell(Count(h.coverage), "holdout") << Cell(Count(h.responses), "holdout")
            << Cell(Percent(h.rate), "holdout")
            << Cell(Interval(h.lower, h.upper) + (h.weak ? " !" : ""), "holdout")
            << Cell(Lift(h.lift), "holdout");
      } else {
        for (int i = 0; i < 5; ++i) out << Cell("", "holdout");
      }
    }
    out << "</tr>\n";
  }
  out << "</table>\n";
}

const char* RoleText(ColumnRole role, ColumnKind kind) {
  if (kind == ColumnKind::kIgnored) return "ignored";
  switch (role) {
    case ColumnRole::kPredictor:
      return "predictor";
    case ColumnRole::kTarget:
      return "target";
    case ColumnRole::kWeight:
      return "weight";
    case ColumnRole::kUnused:
      return "unused";
  }
  return "";
}

}  // namespace

DataSummary SummarizeData(const TablePlan& plan, const std::string& file) {
  DataSummary summary;
  summary.file = file;
  summary.rows = plan.rows;
  for (const ColumnPlan& c : plan.columns) {
    summary.columns.push_back({c.name, KindName(c.kind), RoleText(c.role, c.kind), c.missing});
  }
  return summary;
}

std::string HtmlEscape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

void WriteHtmlReport(std::ostream& out, const DataSummary& data, const ModelReport& model) {
  const bool holdout = HasHoldout(model);
  const std::string title = "Decision list model " + std::to_string(model.number) + ": " +
                            model.target + " = " + model.response;
  out << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      << "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      << "<title>" << HtmlEscape(title) << "</title>\n<style>" << kStyle << "</style>\n"
      << "</head>\n<body>\n<h1>" << HtmlEscape(title) << "</h1>\n";

  out << "<h2>Data</h2>\n<p id=\"summary\">" << HtmlEscape(data.file) << ": " << data.rows
      << " rows, " << data.columns.size() << " columns. The model was measured on "
      << Count(model.cases) << " cases with " << Count(model.responses)
      << " responses: a base rate of " << Percent(model.baseRate) << ".";
  if (holdout && model.holdout) {
    out << " Holdout sample: " << Count(model.holdout->coverage) << " cases, "
        << Count(model.holdout->responses) << " responses, base rate "
        << Percent(model.holdout->rate) << ".";
  }
  out << "</p>\n<table id=\"columns\">\n<tr><th class=\"text\">column</th><th class=\"text\">"
         "kind</th><th class=\"text\">role</th><th>missing</th></tr>\n";
  for (const DataSummary::Column& c : data.columns) {
    out << "<tr>" << Cell(c.name, "text") << Cell(c.kind, "text") << Cell(c.role, "text")
        << Cell(std::to_string(c.missing)) << "</tr>\n";
  }
  out << "</table>\n";

  out << "<h2>Rules</h2>\n<p class=\"note\">Each case is taken by the first rule whose "
         "conditions it meets; the remainder holds the cases no rule takes. Lift is a rule's "
         "rate over the base rate.";
  if (holdout) {
    out << " Holdout columns measure the same rules on the holdout sample; a ! marks a rule whose "
           "holdout interval does not clear the base rate.";
  }
  out << "</p>\n";
  RulesTable(out, model, holdout);

  out << "<h2>Cumulative gains</h2>\n<p class=\"note\">Share of all responses found (y) when "
         "the cases are taken rule by rule (x); the dashed diagonal is picking cases at "
         "random."
      << (holdout ? " The orange dashed line is the holdout sample." : "") << "</p>\n";
  GainsChart(out, model, holdout);
  out << "<h2>Lift</h2>\n<p class=\"note\">Response rate of the cases taken so far over the "
         "base rate (y), taking the cases rule by rule (x); the dashed line is lift 1, picking "
         "cases at random."
      << (holdout ? " The orange dashed line is the holdout sample." : "") << "</p>\n";
  LiftChart(out, model, holdout);
  out << "<h2>Rates and intervals</h2>\n<p class=\"note\">Each rule's response rate (dot) "
         "with its 95% interval (bar); the dashed line is the base rate."
      << (holdout ? " Orange marks are the holdout sample's." : "") << "</p>\n";
  IntervalChart(out, model, holdout);
  out << "</body>\n</html>\n";
}

}  // namespace ruleweave_cli
