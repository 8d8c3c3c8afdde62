#include <io.h>
#include <stdio.h>

#include "platform/console.h"

namespace qs {

bool StandardOutputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

}  // namespace qs
