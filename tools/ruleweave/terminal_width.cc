// Asking the terminal for its width.
#include "terminal_width.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace ruleweave_cli {

std::size_t TerminalColumns(int fd) {
  if (isatty(fd) != 1) return 0;
  winsize size{};
  if (ioctl(fd, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

std::size_t TableWidth(long requested, std::size_t terminalColumns) {
  if (requested >= 0) return static_cast<std::size_t>(requested);
  return terminalColumns > 0 ? terminalColumns : kDefaultTableWidth;
}

}  // namespace ruleweave_cli
