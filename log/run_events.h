// What a backup run reports as it goes: typed events in list order, for observers (the two
// logs, the status area, a progress line) to show as they see fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "log/run_results.h"

namespace qs {

enum class RunEventKind : uint8_t {
  kStarted,              ///< before the scan; summary: the run's roots and switches
  kDirectoryUnlisted,    ///< path: a source folder that could not be listed; code
  kDanglingLinkLeftOut,  ///< path: a link that leads nowhere
  kJunctionLeftOut,      ///< path: a link the system keeps for old programs
  kScanned,              ///< count: the files found; bytes: their size, when measured
  kTimesNotKept,         ///< path: the target folder whose volume drops last-write times
  kVersionFolderMade,    ///< path: the run's version folder
  kVersionFolderFailed,  ///< path, code
  kVersionSaved,         ///< path: the target copy saved; relative: its name in the folder
  kVersionNotSaved,      ///< path: the target copy that could not be saved
  kCopied,               ///< path: the source file
  kUpdated,              ///< path, relative; versioned when its old copy was saved first
  kSkipped,              ///< path
  kDirectoryFailed,      ///< path: the folder a copy needed and could not be made
  kCopyFailed,           ///< path: the source file; other: the target path; code
  kSourceChanged,        ///< path: the source file, rewritten each time it was copied
  kNameCollision,        ///< path: the later file; other: the first with that name
  kFailed,               ///< path: the source file, after the event that says why
  kAttributesNotKept,    ///< path: the target copy; code
  kFlushFailed,          ///< path: what could not be made durable; code
  kCopying,  ///< count, bytes: the files handled so far, lines or not, while the run waits
  kEnded,    ///< summary: the roots, the switches and the run's final results
  // The automatic backup's own lines, between and around its runs.
  kAutoBackupStarted,
  kAutoBackupStopped,
  /// count: the minutes, an int32_t carried in its bits (the window may store 0 or less in
  /// the moment before a stop, and the line says what the cycle read)
  kNextBackupIn,
  kScheduledBackupStarted,
  kScheduledBackupCompleted,
  kBackgroundPriorityNotSet,  ///< other: why the system refused
};

/// What a run is and, once it has ended, what it found.
struct RunSummary {
  std::string sourceRoot;  ///< ending with a separator
  std::string targetRoot;  ///< likewise
  bool timeVersioningOn = false;
  bool dryRun = false;
  BackupResults results;  ///< empty at the start
};

/// Everything an observer needs to show the event: it holds no reference to the job.
struct RunEvent {
  RunEventKind kind;
  std::string_view path = {};
  std::string_view other = {};
  std::string_view relative = {};
  uint32_t code = 0;
  size_t count = 0;
  uint64_t bytes = 0;  ///< the file's size (when the scan measured it) for the events of a file
  bool versioned = false;
  const RunSummary* summary = nullptr;  ///< kStarted and kEnded only
};

class RunObserver {
 public:
  virtual ~RunObserver() = default;
  /// Called on the run's thread, in the order things happen.
  virtual void OnRunEvent(const RunEvent& event) = 0;
};

}  // namespace qs
