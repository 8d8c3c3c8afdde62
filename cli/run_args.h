// The runner's command line.
#pragma once

#include <string>
#include <vector>

#include "engine/version_retention.h"
#include "os/clock.h"
#include "schedule/background_schedule.h"

namespace qs {

struct RunArgs {
  enum class Mode {
    kBackup,              ///< SOURCE TARGET
    kBackupFromSettings,  ///< no arguments: backup_config.dat
    kPrune,               ///< --prune-versions TARGET
    kVersions,            ///< --versions TARGET PATH
    kRestore,             ///< --restore TARGET DEST [PATH...]
    kRebuildRecord,       ///< --rebuild-record TARGET
    kSchedule,            ///< --schedule install|remove|show
    kVerify,              ///< --verify [--budget PERCENT] [--repair] TARGET
    kStatus,              ///< --status TARGET
    kHelp,
    kUsageError,
  };
  enum class Progress { kOnTerminal, kAlways, kNever };

  Mode mode = Mode::kUsageError;
  std::string source;
  std::string target;
  std::string dest;                ///< --restore
  std::vector<std::string> paths;  ///< --restore's PATHs, --versions' PATH
  bool timeVersioning = false;
  bool dryRun = false;
  bool acceptUnkeptTimes = false;  ///< --accept-unkept-times
  /// --background: idle I/O and a lower processor priority, and a notification of the outcome
  bool background = false;
  ScheduleAction scheduleAction = ScheduleAction::kShow;  ///< --schedule
  Progress progress = Progress::kOnTerminal;
  std::vector<std::string> excludes;      ///< --exclude, checked as patterns
  std::vector<std::string> excludeFiles;  ///< --exclude-from, read by the caller
  RetentionPolicy keep;                   ///< --keep-*
  int budget = 100;     ///< --budget: the share of the copies' bytes a check reads, in %
  bool repair = false;  ///< --repair
  bool hasAsOf = false;
  LocalTime asOf;     ///< --as-of, a local time
  std::string error;  ///< what was wrong, for kUsageError
};

/// Reads the command line (without the program's name). Nothing is opened or read: the
/// files of --exclude-from are the caller's to read.
RunArgs ParseRunArgs(const std::vector<std::string>& args);

}  // namespace qs
