// What every command of the runner works through: the file system, the clock, and the log
// on standard output, written as a backup log without a pane.
#pragma once

#include <ostream>
#include <string>

#include "log/log_services.h"
#include "os/file_system.h"

namespace qs {

struct RunnerContext {
  FileSystem& fs;
  LogServices log;      ///< clock and console (standard output)
  std::ostream& error;  ///< standard error: usage errors, progress

  /// One timestamped line of the log.
  void Log(const std::string& message) const;
};

/// The usage error the runner reports: the message on standard error, exit status 2.
int UsageError(const RunnerContext& context, const std::string& message);

}  // namespace qs
