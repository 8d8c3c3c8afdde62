#include <unistd.h>

#include "platform/console.h"

namespace qs {

bool StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

}  // namespace qs
