// What writing a backup log entry needs besides the pane: a clock and, for a log without a
// pane, the console.
#pragma once

#include <ostream>

#include "os/clock.h"

namespace qs {

struct LogServices {
  Clock* clock = nullptr;
  std::ostream* console = nullptr;  ///< receives the entries of a backup log without a pane
  bool flushEachLine = true;        ///< flush the console after every entry
};

}  // namespace qs
