// Writing result tables as aligned text (CSV and JSON are in report_data.cc).
#include "report.h"

#include <algorithm>
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

// Width in characters: UTF-8 continuation bytes do not count, so accented names line up.
std::size_t Chars(const std::string& text) {
  std::size_t chars = 0;
  for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
  return chars;
}

std::string Pad(const std::string& text, std::size_t width, bool right) {
  const std::size_t chars = Chars(text);
  if (chars >= width) return text;
  std::string fill(width - chars, ' ');
  return right ? fill + text : text + fill;
}

// The conditions of a row as the table shows them, one entry per condition.
std::vector<std::string> ConditionTexts(const RuleRow& row) {
  if (row.conditionList.empty()) return {row.conditions};
  std::vector<std::string> texts;
  for (const Condition& c : row.conditionList) texts.push_back(c.text);
  return texts;
}

// Cuts `text` into pieces of at most `width` characters without splitting a UTF-8 sequence.
std::vector<std::string> HardSplit(const std::string& text, std::size_t width) {
  std::vector<std::string> pieces(1);
  std::size_t chars = 0;
  for (unsigned char c : text) {
    const bool lead = (c & 0xC0) != 0x80;
    if (lead && chars == width) {
      pieces.emplace_back();
      chars = 0;
    }
    pieces.back() += static_cast<char>(c);
    chars += lead;
  }
  return pieces;
}

// `text` cut at blanks, which are dropped: with `setsOnly` at those after a comma inside braces
// (a value set breaks between its values), else at those outside brackets of any kind (a
// range such as "(2, 8]" stays whole).
std::vector<std::string> SplitAtBlanks(const std::string& text, bool setsOnly) {
  std::vector<std::string> parts(1);
  int braces = 0;
  int brackets = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    braces += c == '{' ? 1 : (c == '}' ? -1 : 0);
    brackets +=
        (c == '{' || c == '(' || c == '[') ? 1 : ((c == '}' || c == ')' || c == ']') ? -1 : 0);
    const bool cut =
        c == ' ' && (setsOnly ? braces > 0 && i > 0 && text[i - 1] == ',' : brackets <= 0);
    if (cut) {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

// Conditions narrower than this are not wrapped further, whatever the width: the table then
// runs over rather than becoming a column of fragments.
constexpr std::size_t kMinConditionWidth = 16;

// The line under a model's title: what its lists take, and the ranking figure.
std::string SummaryLine(const ModelReport& model) {
  std::string line;
  auto withHoldout = [&](double rate, double holdout) {
    return Percent(rate) + (model.holdout ? " (holdout " + Percent(holdout) + ")" : "");
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

// The figure cells of a table: the heads, then per row one line of cells or, in the compact
// layout, two (the holdout figures on a line of their own, in the training figures' columns).
struct TableCells {
  std::vector<std::string> heads;
  std::vector<std::vector<std::vector<std::string>>> rows;
};

TableCells FigureCells(const ModelReport& model, bool compact) {
  TableCells t;
  t.heads = {"rule",         "conditions", "cover",     "resp",    "rate",
             "95% interval", "lift",       "cum.cover", "cum.rate"};
  if (model.hasTrainingRate) t.heads.push_back("train.rate");
  const bool holdout = model.holdout.has_value();
  if (holdout && !compact) {
    for (const char* head : {"ho.cover", "ho.rate", "ho.interval"}) t.heads.push_back(head);
  }
  if (holdout) t.heads.push_back("");  // the weak-rule flag
  for (const RuleRow& row : model.rows) {
    std::vector<std::string> line = {row.id,
                                     "",
                                     Count(row.coverage),
                                     Count(row.responses),
                                     Percent(row.rate),
                                     Interval(row.lower, row.upper),
                                     Fixed(row.lift, 2),
                                     row.remainder ? "" : Count(row.cumulativeCoverage),
                                     row.remainder ? "" : Percent(row.cumulativeRate)};
    if (model.hasTrainingRate) line.push_back(Percent(row.trainingRate));
    const HoldoutFigures h = row.holdout.value_or(HoldoutFigures{
        std::nan(""), std::nan(""), std::nan(""), std::nan(""), std::nan(""), std::nan(""), false});
    if (holdout && !compact) {
      line.push_back(Count(h.coverage));
      line.push_back(Percent(h.rate));
      line.push_back(Interval(h.lower, h.upper));
    }
    if (holdout) line.push_back(h.weak ? "!" : "");
    t.rows.push_back({line});
    if (holdout && compact) {
      std::vector<std::string> held(t.heads.size());
      held[0] = "ho";
      held[2] = Count(h.coverage);
      held[3] = Count(h.responses);
      held[4] = Percent(h.rate);
      held[5] = Interval(h.lower, h.upper);
      held[6] = Fixed(h.lift, 2);
      held.back() = line.back();
      t.rows.back().front().back().clear();  // the flag goes on the holdout line
      t.rows.back().push_back(std::move(held));
    }
  }
  return t;
}

// The widths of the figure columns (the conditions column counted as empty), and the
// characters they take with their gaps and the leading space.
std::vector<std::size_t> FigureWidths(const TableCells& t, std::size_t& others) {
  std::vector<std::size_t> widths(t.heads.size(), 0);
  auto measure = [&](const std::vector<std::string>& line) {
    for (std::size_t c = 0; c < line.size(); ++c) widths[c] = std::max(widths[c], Chars(line[c]));
  };
  measure(t.heads);
  for (const auto& lines : t.rows) {
    for (const auto& line : lines) measure(line);
  }
  widths[1] = 0;
  others = 1;
  for (std::size_t c = 0; c < widths.size(); ++c) others += 2 + widths[c];
  return widths;
}

void WriteTable(std::ostream& out, const std::vector<ModelReport>& models, std::size_t width) {
  constexpr std::size_t kConditions = 1;
  for (std::size_t m = 0; m < models.size(); ++m) {
    const ModelReport& model = models[m];
    if (m > 0) out << '\n';
    // The title breaks between its parts when it is wider than the table may be.
    std::vector<std::string> title = {"Model " + std::to_string(model.number) + ": target " +
                                          model.target + " = " + model.response + ",",
                                      Count(model.cases) + " cases,",
                                      Count(model.responses) + " responses,",
                                      "base rate " + Percent(model.baseRate)};
    if (model.holdout) {
      title.back() += ";";
      title.push_back("holdout " + Count(model.holdout->coverage) + " cases,");
      title.push_back(Count(model.holdout->responses) + " responses");
    }
    std::string heading;
    for (const std::string& part : title) {
      if (heading.empty()) {
        heading = part;
      } else if (width > 0 && Chars(heading) + 1 + Chars(part) > width) {
        out << heading << '\n';
        heading = "  " + part;
      } else {
        heading += ' ' + part;
      }
    }
    out << heading << '\n';
    const std::string summary = SummaryLine(model);
    // The summary line breaks after its "; " parts, as the title does.
    std::string line;
    for (std::size_t at = 0; at < summary.size();) {
      std::size_t next = summary.find("; ", at);
      next = next == std::string::npos ? summary.size() : next + 1;
      const std::string part = summary.substr(at, next - at);
      at = next < summary.size() ? next + 1 : next;
      if (line.empty()) {
        line = "  " + part;
      } else if (width > 0 && Chars(line) + 1 + Chars(part) > width) {
        out << line << '\n';
        line = "    " + part;
      } else {
        line += ' ' + part;
      }
    }
    if (!line.empty()) out << line << '\n';
    // The holdout figures get columns of their own where the width leaves the conditions
    // room beside them; else each rule's holdout figures go on a line under its training ones.
    std::size_t others = 0;
    TableCells t = FigureCells(model, /*compact=*/false);
    std::vector<std::size_t> widths = FigureWidths(t, others);
    const bool compact = model.holdout && width > 0 && others + kMinConditionWidth > width;
    if (compact) {
      t = FigureCells(model, /*compact=*/true);
      widths = FigureWidths(t, others);
    }
    const std::size_t kColumns = t.heads.size();
    // Each table line is one or more cells of the conditions column (a wrapped condition)
    // beside one or more lines of the other cells.
    std::vector<std::vector<std::vector<std::string>>> cells;
    std::vector<std::vector<std::string>> conditions;
    cells.push_back({t.heads});
    conditions.push_back({t.heads[kConditions]});
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
      cells.push_back(t.rows[r]);
      conditions.push_back(ConditionTexts(model.rows[r]));
    }
    // Beside the figures the conditions get what the width leaves. When that is narrower than
    // a word of theirs (a long column name), they go under the figures instead, at full width,
    // so that no name is cut.
    std::size_t longestWord = kMinConditionWidth;
    for (std::size_t l = 1; l < conditions.size(); ++l) {
      for (const std::string& text : conditions[l]) {
        for (const std::string& word : SplitAtBlanks(text, /*setsOnly=*/false)) {
          longestWord = std::max(longestWord, Chars(word) + 2);  // + continuation indent
        }
      }
    }
    const bool below = width > 0 && others + longestWord > width;
    const std::size_t indent = 1 + 2 + widths[0] + 2;  // where the conditions column starts
    std::size_t fit = std::string::npos;
    if (width > 0) {
      fit = below ? (width > indent ? width - indent : 0) : width - others;
      fit = std::max(fit, kMinConditionWidth);
    }
    std::vector<std::vector<std::string>> wrapped;
    for (const auto& texts : conditions) wrapped.push_back(WrapConditions(texts, fit));
    widths[kConditions] = 0;
    if (!below) {
      for (const auto& pieces : wrapped) {
        for (const std::string& piece : pieces) {
          widths[kConditions] = std::max(widths[kConditions], Chars(piece));
        }
      }
    }
    bool anyWeak = false;
    for (std::size_t l = 0; l < cells.size(); ++l) {
      const std::size_t lines =
          below ? cells[l].size() : std::max(cells[l].size(), wrapped[l].size());
      for (std::size_t piece = 0; piece < lines; ++piece) {
        std::string text = " ";
        for (std::size_t c = 0; c < kColumns; ++c) {
          if (below && c == kConditions) continue;
          const bool right = c >= 2;  // numbers right-aligned, rule id and conditions left
          std::string cell;
          if (c == kConditions) {
            if (piece < wrapped[l].size()) cell = wrapped[l][piece];
          } else if (piece < cells[l].size()) {
            cell = cells[l][piece][c];
          }
          if (l > 0 && model.holdout && c + 1 == kColumns && cell == "!") anyWeak = true;
          text += "  ";
          text += Pad(cell, widths[c], right);
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out << text << '\n';
      }
      if (below) {
        for (const std::string& piece : wrapped[l])
          out << std::string(indent, ' ') << piece << '\n';
      }
    }
    if (compact) out << "  ho: the rule's figures on the holdout rows\n";
    if (anyWeak) out << "  ! the rule's holdout interval does not clear the base rate\n";
  }
}

}  // namespace

std::vector<std::string> WrapConditions(const std::vector<std::string>& conditions,
                                        std::size_t width) {
  const std::string indent = "  ";
  width = std::max<std::size_t>(width, 8);
  const std::size_t room = width - indent.size();  // of a continuation line
  std::vector<std::string> lines(1);
  // Puts `word` on the current line after a blank when it fits, else on a new line.
  auto place = [&](const std::string& word) {
    std::string& line = lines.back();
    if (line.empty()) {
      line = word;
    } else if (Chars(line) + 1 + Chars(word) <= width) {
      line += ' ' + word;
    } else {
      lines.push_back(indent + word);
    }
  };
  for (std::size_t i = 0; i < conditions.size(); ++i) {
    // "and" ends a line rather than starting the next: continuation lines keep their room.
    const std::string tail = i + 1 < conditions.size() ? " and" : "";
    if (Chars(conditions[i] + tail) <= room) {
      place(conditions[i] + tail);
      continue;
    }
    // Longer than a line: broken between the values of a set, then at blanks, then anywhere.
    std::vector<std::string> pieces;
    for (const std::string& value : SplitAtBlanks(conditions[i], /*setsOnly=*/true)) {
      for (const std::string& word : Chars(value) <= room
                                         ? std::vector<std::string>{value}
                                         : SplitAtBlanks(value, /*setsOnly=*/false)) {
        for (const std::string& piece :
             Chars(word) <= room ? std::vector<std::string>{word} : HardSplit(word, room)) {
          pieces.push_back(piece);
        }
      }
    }
    if (Chars(pieces.back() + tail) <= room) {
      pieces.back() += tail;
    } else if (!tail.empty()) {
      pieces.push_back("and");
    }
    for (const std::string& piece : pieces) place(piece);
  }
  return lines;
}

void WriteReports(std::ostream& out, const std::vector<ModelReport>& models, OutputFormat format,
                  std::size_t width) {
  switch (format) {
    case OutputFormat::kTable:
      WriteTable(out, models, width);
      break;
    case OutputFormat::kCsv:
      WriteCsvReports(out, models);
      break;
    case OutputFormat::kJson:
      WriteJsonReports(out, models);
      break;
  }
}

}  // namespace ruleweave_cli
