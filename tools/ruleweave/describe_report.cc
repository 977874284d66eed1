// Writing column descriptions as text, CSV and JSON.
#include "describe_report.h"

#include <algorithm>
#include <ostream>

#include "csv_reader.h"

namespace ruleweave_cli {

namespace {

// Names and values longer than this many characters are shortened in the text form.
constexpr std::size_t kLongestShown = 60;

// `text` cut to at most `chars` characters (counted as UTF-8 code points) and ended with "…"
// when it was longer.
std::string Shortened(const std::string& text, std::size_t chars) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;  // continuation byte
    if (++count == chars) return text.substr(0, i) + "\u2026";
  }
  return text;
}

// "a (3), b (2), ... 4 more"; values shortened to `longest` characters.
std::string CategoryList(const ColumnDescription& c, std::size_t limit,
                         std::size_t longest = std::string::npos) {
  std::string text;
  for (std::size_t k = 0; k < c.categories.size() && k < limit; ++k) {
    if (k) text += ", ";
    text += (longest == std::string::npos ? c.categories[k].first
                                          : Shortened(c.categories[k].first, longest)) +
            " (" + std::to_string(c.categories[k].second) + ")";
  }
  if (c.categories.size() > limit) {
    text += ", ... " + std::to_string(c.categories.size() - limit) + " more";
  }
  return text;
}

void WriteText(std::ostream& out, const TableDescription& table, std::size_t limit) {
  out << table.file << ": " << table.rows << " rows, " << table.columns.size() << " columns"
      << (table.largeCategories ? " (large categories on)" : "") << "\n\n";
  for (const ColumnDescription& c : table.columns) {
    out << Shortened(c.name, kLongestShown) << ": " << c.kind << ", " << c.role << ", ";
    if (c.allMissing) {
      out << "all " << c.missing << " values missing\n";
      continue;
    }
    out << c.distinct << " distinct, " << c.missing << " missing";
    if (c.hasRange) {
      out << ", range [" << FormatShort(c.min, 10) << ", " << FormatShort(c.max, 10) << "]";
    }
    out << '\n';
    const std::string categories = CategoryList(c, limit, kLongestShown);
    if (!categories.empty()) out << "    " << categories << '\n';
  }
}

// One row per listed category (a column without listed categories gets one row with both
// fields empty), so that a spreadsheet or a data frame reads the counts directly.
void WriteCsv(std::ostream& out, const TableDescription& table, std::size_t limit) {
  out << "column,kind,role,distinct,missing,min,max,category,count\n";
  for (const ColumnDescription& c : table.columns) {
    const std::string head = QuoteField(c.name, ',') + ',' + QuoteField(c.kind, ',') + ',' +
                             c.role + ',' + QuoteField(c.distinct, ',') + ',' +
                             std::to_string(c.missing) + ',' +
                             (c.hasRange ? FormatNumber(c.min) : "") + ',' +
                             (c.hasRange ? FormatNumber(c.max) : "") + ',';
    const std::size_t listed = std::min(c.categories.size(), limit);
    if (listed == 0) out << head << ",\n";
    for (std::size_t k = 0; k < listed; ++k) {
      out << head << QuoteField(c.categories[k].first, ',') << ',' << c.categories[k].second
          << '\n';
    }
  }
}

// The distinct count as JSON: a number, or null with "distinct_more_than" when counting
// stopped ("more than N"); any other text stays a string.
std::string JsonDistinct(const std::string& distinct) {
  auto whole = [](const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
  };
  const std::string more = "more than ";
  if (distinct.compare(0, more.size(), more) == 0 && whole(distinct.substr(more.size()))) {
    return "null, \"distinct_more_than\": " + distinct.substr(more.size());
  }
  return whole(distinct) ? distinct : JsonString(distinct);
}

void WriteJson(std::ostream& out, const TableDescription& table, std::size_t limit) {
  out << "{\"file\": " << JsonString(table.file) << ", \"rows\": " << table.rows
      << ", \"columns\": [";
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const ColumnDescription& c = table.columns[i];
    out << (i ? ",\n  " : "\n  ") << "{\"name\": " << JsonString(c.name)
        << ", \"kind\": " << JsonString(c.kind) << ", \"role\": " << JsonString(c.role)
        << ", \"distinct\": " << JsonDistinct(c.distinct) << ", \"missing\": " << c.missing;
    if (c.hasRange) {
      out << ", \"min\": " << FormatNumber(c.min) << ", \"max\": " << FormatNumber(c.max);
    }
    if (c.hasCategories) {
      out << ", \"categories\": [";
      for (std::size_t k = 0; k < c.categories.size() && k < limit; ++k) {
        out << (k ? ", " : "") << "{\"value\": " << JsonString(c.categories[k].first)
            << ", \"count\": " << c.categories[k].second << '}';
      }
      out << ']';
    }
    out << '}';
  }
  out << "\n]}\n";
}

}  // namespace

void WriteDescription(std::ostream& out, const TableDescription& table, OutputFormat format,
                      std::size_t maxCategories) {
  switch (format) {
    case OutputFormat::kTable:
      WriteText(out, table, maxCategories);
      break;
    case OutputFormat::kCsv:
      WriteCsv(out, table, maxCategories);
      break;
    case OutputFormat::kJson:
      WriteJson(out, table, maxCategories);
      break;
  }
}

}  // namespace ruleweave_cli
