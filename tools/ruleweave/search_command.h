// The search that `ruleweave search` runs on a file and `ruleweave demo` on its sample table.
#ifndef RULEWEAVE_TOOLS_SEARCH_COMMAND_H_
#define RULEWEAVE_TOOLS_SEARCH_COMMAND_H_

#include "command_support.h"

namespace ruleweave_cli {

// Reads and loads `source`, searches it, prints every model found (a model repeating the rules
// of an earlier one is left out, with a note) and writes the chosen model as PMML when asked.
// Throws what RunCommand turns into messages.
int SearchData(const DataSource& source, const ColumnOptions& columns, SearchOptions& search,
               const OutputOptions& output, CommandIo& io);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_SEARCH_COMMAND_H_
