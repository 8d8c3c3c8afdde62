// The runner's backup: one run of SOURCE into TARGET, with its options.
#pragma once

#include "cli/run_args.h"
#include "cli/runner_context.h"

namespace qs {

/// Runs the backup `args` asks for; returns the exit status (0, 1, or 2 when an
/// --exclude-from file cannot be read or holds a bad pattern, before anything is written).
int RunBackupCommand(const RunArgs& args, const RunnerContext& context);

/// The backup of backup_config.dat in the working directory (read, never written). A file
/// that cannot be read, or that names no source or target, is a usage error: the runner never
/// backs up the default folders. The patterns of backup_excludes.txt beside it are left out;
/// that file missing leaves nothing out, unreadable or with a refused line it is a usage
/// error too. A background run also says so in a notification.
int RunBackupFromSettings(const RunArgs& args, const RunnerContext& context);

}  // namespace qs
