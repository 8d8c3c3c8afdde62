// The process-wide flag of a backup run under way.
#pragma once

#include <atomic>

namespace qs {

/// True from the start to the end of every run, manual or scheduled. One flag, not a count:
/// when two runs overlap, the first to end clears it.
extern std::atomic<bool> g_backupInProgress;

}  // namespace qs
