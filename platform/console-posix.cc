#include <unistd.h>

#include <iostream>

#include "platform/console.h"

namespace qs {

bool StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }
bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

// A terminal takes UTF-8 (or whatever bytes the names have) as it is.
std::ostream& StandardOutput() { return std::cout; }
std::ostream& StandardError() { return std::cerr; }

}  // namespace qs
