// Profiling the columns of a delimited file: the first pass over the rows, counting what each
// column holds (numbers, whole numbers, texts, missing values, distinct values up to a cap).
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_set>

#include "column_plan.h"

namespace ruleweave_cli {

namespace {

template <typename T>
bool Contains(const std::vector<T>& values, const T& value) {
  return std::find(values.begin(), values.end(), value) != values.end();
}

// Rows between two calls of the caller's poll (progress and cancel).
constexpr std::int64_t kPollEvery = 4096;

}  // namespace

std::vector<ColumnProfile> ProfileColumns(CsvReader& reader, const ColumnOptions& options,
                                          std::size_t distinctCap, const RowPoll& poll) {
  const std::vector<std::string>& header = reader.Header();
  const std::size_t n = header.size();
  std::vector<ColumnProfile> profiles(n);
  std::vector<bool> keepAll(n, false);
  std::vector<bool> ignored(n, false);
  std::vector<MissingTokens> missing;
  for (std::size_t i = 0; i < n; ++i) {
    missing.push_back(options.missing.ForColumn(header[i]));
    profiles[i].name = header[i];
    keepAll[i] = Contains(options.nominal, header[i]) || Contains(options.ordinal, header[i]) ||
                 header[i] == options.target;
    ignored[i] = Contains(options.ignore, header[i]);
  }
  std::string key;
  while (reader.NextRow()) {
    if (poll && reader.RowsRead() % kPollEvery == 0 && !poll(reader.RowsRead())) throw Cancelled{};
    const auto& fields = reader.Fields();
    for (std::size_t i = 0; i < n; ++i) {
      ColumnProfile& p = profiles[i];
      const std::string_view field = fields[i];
      if (missing[i].IsMissing(field)) {
        ++p.missing;
        continue;
      }
      ++p.present;
      if (ignored[i]) continue;
      if (p.allNumeric) {
        double v;
        if (ParseNumber(field, v)) {
          if (p.present == 1) {
            p.min = p.max = v;
          } else {
            p.min = std::min(p.min, v);
            p.max = std::max(p.max, v);
          }
          if (p.allIntegral && v != std::floor(v)) p.allIntegral = false;
        } else {
          p.allNumeric = false;
          p.allIntegral = false;
          p.firstNonNumericLine = reader.RowLine();
          p.firstNonNumericText = std::string(field);
        }
      }
      if (p.capped) continue;
      // Category codes are mostly small whole numbers: look those up in a table, not a hash.
      // The table grows to the largest such value seen, but only while that stays within a
      // few times the number of distinct values; larger ones take the hash alone.
      int small = 0;
      std::size_t slot = SIZE_MAX;
      if (SmallCanonicalInt(field, small)) {
        slot = static_cast<std::size_t>(small);
        if (slot >= p.smallIntEntry.size() && slot < 64 + 2 * p.texts.size()) {
          p.smallIntEntry.resize(slot + 1, -1);
        }
        if (slot >= p.smallIntEntry.size()) slot = SIZE_MAX;
      }
      if (slot != SIZE_MAX && p.smallIntEntry[slot] >= 0) {
        ++p.counts[static_cast<std::size_t>(p.smallIntEntry[slot])];
        p.allDistinct = false;
        continue;
      }
      key.assign(field.data(), field.size());  // reuses its memory: no allocation per value
      auto it = p.index.find(key);
      if (it != p.index.end()) {
        ++p.counts[it->second];
        p.allDistinct = false;
        if (slot != SIZE_MAX) p.smallIntEntry[slot] = static_cast<int>(it->second);
      } else if (!keepAll[i] && p.texts.size() >= distinctCap) {
        p.capped = true;
      } else {
        if (slot != SIZE_MAX) p.smallIntEntry[slot] = static_cast<int>(p.texts.size());
        p.index.emplace(key, p.texts.size());
        p.texts.push_back(key);
        p.counts.push_back(1);
        p.firstLines.push_back(reader.RowLine());
      }
    }
  }
  if (poll && !poll(reader.RowsRead())) throw Cancelled{};
  return profiles;
}

}  // namespace ruleweave_cli
