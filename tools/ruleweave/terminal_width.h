// How wide the result tables may be: the terminal's width when standard output is one, else a
// fixed width, unless --width says otherwise.
#ifndef RULEWEAVE_TOOLS_TERMINAL_WIDTH_H_
#define RULEWEAVE_TOOLS_TERMINAL_WIDTH_H_

#include <cstddef>

namespace ruleweave_cli {

// The width of tables written to a file or a pipe, where no terminal says how wide it is.
constexpr std::size_t kDefaultTableWidth = 100;

// Columns of the terminal on the file descriptor `fd`; 0 when `fd` is not a terminal or the
// terminal does not say.
std::size_t TerminalColumns(int fd);

// The width tables are fitted into: `requested` when given (>= 0; 0 means no limit), else the
// terminal's `terminalColumns` when known (> 0), else kDefaultTableWidth.
std::size_t TableWidth(long requested, std::size_t terminalColumns);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_TERMINAL_WIDTH_H_
