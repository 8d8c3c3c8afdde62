// What a backup run, a prune, a restore and a list of a file's versions report as they go:
// typed events in list order, for observers (the two logs, the status area, a progress line,
// the runner's lines) to show as they see fit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "log/operation_facts.h"
#include "log/run_results.h"
#include "os/file_system.h"

namespace qs {

enum class RunEventKind : uint8_t {
  kStarted,              ///< before the scan; summary: the run's roots and switches
  kDirectoryUnlisted,    ///< path: a source folder that could not be listed; code
  kDanglingLinkLeftOut,  ///< path: a link that leads nowhere
  kJunctionLeftOut,      ///< path: a link the system keeps for old programs
  kRecordFolderLeftOut,  ///< path: the source's entry named as the target's record folder
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
  kCopying,        ///< count, bytes: the files handled so far, lines or not, while the run waits
  kRecordNotKept,  ///< path: the record's journal; code: why the run's fact is not in it
  kEnded,          ///< summary: the roots, the switches and the run's final results
  // The automatic backup's own lines, between and around its runs.
  kAutoBackupStarted,
  kAutoBackupStopped,
  kNextBackupIn,  ///< minutes: the interval as the cycle read it
  kScheduledBackupStarted,
  kScheduledBackupCompleted,
  kBackgroundPriorityNotSet,  ///< other: why the system refused
  // Prune, a file's versions and restore: the TARGET they read and what they do in it. A
  // backup reports the first three too, before its scan's first line.
  kRecordDamagedEnd,         ///< path: the record's journal, whose damaged end is left out
  kRecordUnreadable,         ///< path: the journal; code (0 when the system gave none)
  kRecordForeign,            ///< path: the journal, not written by Quillstone
  kNoRecordKept,             ///< the target keeps no record: moments go by the folders' dates
  kPruneNotRecorded,         ///< path: the journal; code: why the prune's fact is not in it
  kMountedLeftWhole,         ///< path: a place another file system is mounted at
  kVersionFolderRemoved,     ///< path: the version folder
  kVersionFolderWouldGo,     ///< path: the version folder a dry run leaves
  kLeftoverRemoved,          ///< path: what an interrupted removal left
  kLeftoverWouldGo,          ///< path: likewise, in a dry run
  kVersionFolderNotRemoved,  ///< path: it could not go aside; code
  kRemovalIncomplete,        ///< path: the folder; other: what stayed; code
  kNoKeepRule,               ///< no rule given: no version folder is removed
  kPruneCompleted,           ///< prune: the counts
  kMomentBeforeFirstRun,     ///< moment: the end of the record's first run
  kRestoringAsOfRun,         ///< moment: the end of the run whose tree is rebuilt
  kRestored,                 ///< path: below the roots; other: the version folder, "": current
  kNotRestored,              ///< path, code
  kLeftOut,                  ///< path, reason; moment: the copy's last write (written later)
  kCopyDiffers,              ///< path; other: the folder ("": current); mismatch
  kNoLongerKept,             ///< path; other: the version folder pruned with it, or ""
  kKeptCopyMissing,          ///< path: a copy the record has, not in the TARGET
  kNothingKeptUnder,         ///< path: a PATH asked for, of which nothing is kept
  kNothingRestoredOf,        ///< path: a PATH of which nothing came back
  kRestoreCompleted,         ///< restore: the counts
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
  const RunSummary* summary = nullptr;          ///< kStarted and kEnded only
  FileTime moment = {};                         ///< the events of a restore that name a moment
  LeftOutReason reason = LeftOutReason::kNone;  ///< kLeftOut
  const PruneCounts* prune = nullptr;           ///< kPruneCompleted
  const RestoreCounts* restore = nullptr;       ///< kRestoreCompleted
  const CopyMismatch* mismatch = nullptr;       ///< kCopyDiffers
  /// kNextBackupIn: 0 or less too, which the window may store in the moment before a stop.
  int32_t minutes = 0;
};

class RunObserver {
 public:
  virtual ~RunObserver() = default;
  /// Called on the run's thread, in the order things happen.
  virtual void OnRunEvent(const RunEvent& event) = 0;
};

/// Tells each of its observers of every event, in their order: what a front end passes an
/// operation that has several.
class RunFanOut : public RunObserver {
 public:
  explicit RunFanOut(std::vector<RunObserver*> observers) : observers_(std::move(observers)) {}
  void OnRunEvent(const RunEvent& event) override {
    for (RunObserver* observer : observers_) observer->OnRunEvent(event);
  }

 private:
  std::vector<RunObserver*> observers_;
};

}  // namespace qs
