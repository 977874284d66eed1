// Assigning cases to the rules of a model and writing the scored copy of a data file.
#include "scored_file.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>

#include "output_file.h"

namespace ruleweave_cli {

namespace {

std::string RateText(double p) {
  return QXMV::IsMissing(p) || std::isnan(p) ? std::string() : FormatNumber(p);
}

// `name`, prefixed with "_" until the header does not hold it.
std::string FreeName(std::string name, const std::vector<std::string>& header) {
  while (std::find(header.begin(), header.end(), name) != header.end()) name = "_" + name;
  return name;
}

}  // namespace

RuleAssignments AssignCases(const DLModel& model, int cases, const ModelReport& report) {
  RuleAssignments a;
  a.takenBy.assign(static_cast<std::size_t>(cases), -1);
  std::vector<int> ids;
  std::size_t row = 0;
  for (int l = 0; l < model.GetNumOfLists(); ++l) {
    const DLList* list = model.GetList(l);
    for (int r = 0; r < list->GetNumOfRules(); ++r, ++row) {
      const DLRule* rule = list->GetRule(r);
      const int slot = static_cast<int>(a.rules.size());
      RuleAssignments::Rule entry;
      entry.id = "R" + std::to_string(l + 1) + "." + std::to_string(r + 1);
      if (row < report.rows.size()) {
        entry.conditions = report.rows[row].conditions;
        entry.rate = report.rows[row].trainingRate;
      }
      a.rules.push_back(std::move(entry));
      if (rule->GetCoverage() == nullptr) continue;
      rule->GetCoverage()->GetElementIDs(ids);
      for (int id : ids) {
        if (id >= 0 && id < cases && a.takenBy[static_cast<std::size_t>(id)] < 0) {
          a.takenBy[static_cast<std::size_t>(id)] = slot;
        }
      }
    }
  }
  a.remainderRate = report.rows.empty() ? std::nan("") : report.rows.back().trainingRate;
  return a;
}

void WriteScoredFile(const std::string& path, const DataSource& source, const LoadedTable& table,
                     const ColumnOptions& columns, const RuleAssignments& assignments,
                     QXQueryCancel& cancel) {
  std::unique_ptr<InputStream> in = source.Open();
  CsvReader rows(*in, source.Name(), ReadFormat(columns));
  rows.ReadHeader();
  AtomicFile file(path);
  std::ostream& out = file.Stream();
  const char d = columns.delimiter;
  for (const std::string& name : table.header) out << QuoteField(name, d) << d;
  out << FreeName("rule", table.header) << d << FreeName("rule_conditions", table.header) << d
      << FreeName("rule_rate", table.header) << '\n';
  const std::size_t cases = assignments.takenBy.size();
  std::size_t row = 0;
  while (rows.NextRow()) {
    if (rows.RowsRead() % 4096 == 0 && cancel.IsCancelled()) throw Cancelled{};
    // Each row is paired with the case the load made of it, never by counting.
    const int caseIndex = row < table.caseOfRow.size() ? table.caseOfRow[row] : -2;
    ++row;
    if (caseIndex == -2 || (caseIndex >= 0 && static_cast<std::size_t>(caseIndex) >= cases)) {
      throw InputError(source.Name(), rows.RowLine(), 0,
                       "the file changed while it was read (more rows than were loaded)");
    }
    for (const std::string_view field : rows.Fields()) out << QuoteField(field, d) << d;
    if (caseIndex < 0) {
      out << d << d << '\n';  // not a case: its weight left it out
      continue;
    }
    const int slot = assignments.takenBy[static_cast<std::size_t>(caseIndex)];
    if (slot >= 0) {
      const RuleAssignments::Rule& rule = assignments.rules[static_cast<std::size_t>(slot)];
      out << rule.id << d << QuoteField(rule.conditions, d) << d << RateText(rule.rate) << '\n';
    } else {
      out << "remainder" << d << d << RateText(assignments.remainderRate) << '\n';
    }
  }
  if (cancel.IsCancelled()) throw Cancelled{};
  if (row != table.caseOfRow.size()) {
    throw InputError(source.Name(), rows.RowLine(), 0,
                     "the file changed while it was read (fewer rows than were loaded)");
  }
  file.Commit();
}

}  // namespace ruleweave_cli
