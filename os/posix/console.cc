#include "os/console.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <iostream>

namespace qs {

bool StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }
bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

// One terminal device behind both descriptors, not merely two terminals.
bool StandardStreamsShareTerminal() {
  struct stat out, err;
  return StandardOutputIsTerminal() && StandardErrorIsTerminal() &&
         fstat(STDOUT_FILENO, &out) == 0 && fstat(STDERR_FILENO, &err) == 0 &&
         out.st_rdev == err.st_rdev;
}

int StandardErrorColumns() {
  struct winsize size {};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

// A terminal takes UTF-8 (or whatever bytes the names have) as it is.
std::ostream& StandardOutput() { return std::cout; }
std::ostream& StandardError() { return std::cerr; }

}  // namespace qs
