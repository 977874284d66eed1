// Assigning cases to the rules of a model and writing the scored copy of a data file.
#include "scored_file.h"

#include <algorithm>
#include <memory>
#include <ostream>

#include "output_file.h"

namespace ruleweave_cli {

namespace {

std::string RateText(double p) { return QXMV::IsMissing(p) ? std::string() : FormatNumber(p); }

// `name`, prefixed with "_" until the header does not hold it.
std::string FreeName(std::string name, const std::vector<std::string>& header) {
  while (std::find(header.begin(), header.end(), name) != header.end()) name = "_" + name;
  return name;
}

}  // namespace

RuleAssignments AssignCases(const DLModel& model, int cases) {
  RuleAssignments a;
  a.takenBy.assign(static_cast<std::size_t>(cases), -1);
  std::vector<int> ids;
  for (int l = 0; l < model.GetNumOfLists(); ++l) {
    const DLList* list = model.GetList(l);
    for (int r = 0; r < list->GetNumOfRules(); ++r) {
      const DLRule* rule = list->GetRule(r);
      const int slot = static_cast<int>(a.rules.size());
      a.rules.emplace_back(std::to_string(l + 1) + "." + std::to_string(r + 1),
                           rule->GetMeasure().GetProbability());
      if (rule->GetCoverage() == nullptr) continue;
      rule->GetCoverage()->GetElementIDs(ids);
      for (int id : ids) {
        if (id >= 0 && id < cases && a.takenBy[static_cast<std::size_t>(id)] < 0) {
          a.takenBy[static_cast<std::size_t>(id)] = slot;
        }
      }
    }
  }
  std::unique_ptr<DLMeasure> rest(model.GetRemainderMeasure());
  a.remainderRate = rest ? rest->GetProbability() : QXMV::Missing();
  return a;
}

void WriteScoredFile(const std::string& path, const DataSource& source, const LoadedTable& table,
                     const ColumnOptions& columns, const RuleAssignments& assignments,
                     QXQueryCancel& cancel) {
  std::unique_ptr<InputStream> in = source.Open();
  CsvReader rows(*in, source.Name(), ReadFormat(columns));
  rows.ReadHeader();
  RowCoder coder(table.plan, *table.vars, columns);
  AtomicFile file(path);
  std::ostream& out = file.Stream();
  const char d = columns.delimiter;
  for (const std::string& name : table.header) out << QuoteField(name, d) << d;
  out << FreeName("rule", table.header) << d << FreeName("rule_rate", table.header) << '\n';
  const std::size_t cases = assignments.takenBy.size();
  std::size_t caseIndex = 0;
  while (rows.NextRow()) {
    if (rows.RowsRead() % 4096 == 0 && cancel.IsCancelled()) throw Cancelled{};
    for (const std::string_view field : rows.Fields()) out << QuoteField(field, d) << d;
    if (!coder.Kept(rows)) {
      out << d << '\n';  // not a case: its weight is missing or not positive
      continue;
    }
    const int slot = caseIndex < cases ? assignments.takenBy[caseIndex] : -1;
    ++caseIndex;
    if (slot >= 0) {
      const auto& rule = assignments.rules[static_cast<std::size_t>(slot)];
      out << rule.first << d << RateText(rule.second) << '\n';
    } else {
      out << "remainder" << d << RateText(assignments.remainderRate) << '\n';
    }
  }
  if (cancel.IsCancelled()) throw Cancelled{};
  file.Commit();
}

}  // namespace ruleweave_cli
