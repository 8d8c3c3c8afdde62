// The console the runner writes its log to.
#pragma once

namespace qs {

/// True when standard output is a terminal, where a person watches each line appear.
bool StandardOutputIsTerminal();

}  // namespace qs
