// BackupJob: the state of one backup run inside the engine — what it backs up, what it has
// found so far, and where its events go. Only the engine makes one (RunBackup,
// engine/backup_run.h); front ends pass a request and an observer instead.
#pragma once

#include <string>

#include "engine/backup_results.h"
#include "engine/file_list.h"
#include "engine/run_counter.h"
#include "log/run_events.h"
#include "os/clock.h"
#include "os/file_system.h"

namespace qs {

class BackupJob {
 public:
  /// Both roots of the copy of `request` get one trailing separator when they are not empty
  /// and lack one; `request` itself is never written. The three seams must outlive the job.
  BackupJob(FileSystem& fs, Clock& clock, const BackupOptions& request, RunObserver& observer);
  BackupJob(const BackupJob&) = delete;
  BackupJob& operator=(const BackupJob&) = delete;

  /// Appends every file below `directory` (which ends with a separator) to `list`,
  /// depth-first, leaving out "oh_modules" directories and the target root.
  void ScanSource(const std::string& directory, FileList& list);
  /// True when copied (and on the disk); on failure the reason is reported unless `quiet`.
  bool CopyOneFile(const std::string& source_path, const std::string& target_path, bool quiet);
  /// True when the directory exists afterwards; makes every missing level above it.
  bool EnsureDirectory(const std::string& path);
  bool CreateVersionDirectory(const std::string& dir);
  bool SaveOldVersion(const std::string& target_path, const std::string& relative_part);

  /// Counts what happened into `results`, then tells the observer.
  void Report(const RunEvent& event) { events_.OnRunEvent(event); }
  /// Where Report sends the run's events, for those who report many.
  RunObserver& events() { return events_; }
  FileSystem& fs() const { return fs_; }
  Clock& clock() const { return clock_; }
  const BackupTuning& tuning() const { return options.tuning; }

  const BackupOptions options;
  /// What the run has found so far, counted from its events.
  BackupResults results;

 private:
  FileSystem& fs_;
  Clock& clock_;
  RunObserver& observer_;
  RunCounter counter_{options, results};
  RunFanOut events_{{&counter_, &observer_}};
};

}  // namespace qs
