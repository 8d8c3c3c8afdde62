// BackupJob: the record of one backup run — what to back up, what the run found — and the
// carrier of every log line.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/backup_results.h"
#include "engine/file_list.h"
#include "engine/run_counter.h"
#include "log/backup_log.h"
#include "log/file_log.h"
#include "log/file_operation.h"
#include "log/log_pane.h"
#include "log/log_services.h"
#include "log/run_events.h"
#include "os/file_system.h"

namespace qs {

/// The seams a job works through. Nothing is taken from elsewhere: a job without a file
/// system or a clock cannot run.
struct JobServices {
  FileSystem* fs = nullptr;
  /// The clock, the status area to refresh after each backup log entry, and the console for a
  /// job without a backup log pane.
  LogServices log;
  /// Told of every event of every run, before the job's own two logs.
  std::vector<RunObserver*> observers;
  /// Threads that probe and copy files ahead of the log; 0 picks one per core (at least 2),
  /// 1 does everything on the run's own thread.
  int fileThreads = 0;
  /// Copies flushed together, with one flush per volume where the system has one.
  int flushBatch = 1024;
  /// Runs first on each file thread the run starts: a background run lowers their priority
  /// there, as not every system passes a thread's priority on to the threads it starts.
  std::function<void()> onFileThreadStart;
};

/// The two logs a job writes, built by its front end and lent to that one job. A log observer
/// keeps the state of the run under way, so two runs that may overlap never share one.
struct JobLogs {
  BackupLogObserver* backupLog = nullptr;
  FileLogObserver* fileLog = nullptr;
};

class BackupJob {
 public:
  /// Both roots get one trailing separator when they are not empty and lack one.
  BackupJob(const std::string& source, const std::string& target, LogPane* backup_log_pane,
            LogPane* file_log_pane, bool time_versioning, const JobServices& services);
  /// The same from a request: the roots get their trailing separator here too.
  BackupJob(const BackupOptions& request, LogPane* backup_log_pane, LogPane* file_log_pane,
            const JobServices& services);
  /// The same with logs built outside, which must outlive the job (both non-null). The job
  /// tells them of its events after the services' observers: the file log, then the backup log.
  BackupJob(const BackupOptions& request, JobLogs logs, const JobServices& services);
  BackupJob(const BackupJob&) = delete;
  BackupJob& operator=(const BackupJob&) = delete;

  void RunBackup();
  /// Appends every file below `directory` (which ends with a separator) to `list`,
  /// depth-first, leaving out "oh_modules" directories and the target root.
  void ScanSource(const std::string& directory, FileList& list);
  void LogMessage(const std::string& message);
  void LogFileOperation(FileOperation category, const std::string& path, const std::string& detail);
  /// True when copied (and on the disk); on failure the reason is reported unless `quiet`.
  bool CopyOneFile(const std::string& source_path, const std::string& target_path, bool quiet);
  /// True when the directory exists afterwards; makes every missing level above it.
  bool EnsureDirectory(const std::string& path);
  bool CreateVersionDirectory(const std::string& dir);
  bool SaveOldVersion(const std::string& target_path, const std::string& relative_part);

  /// Counts what happened into `results`, then tells the job's observers and its two logs.
  void Report(const RunEvent& event);
  FileSystem& fs() const { return *services_.fs; }
  LogPane* backupLogPane() const { return logs_.backupLog->pane(); }
  LogPane* fileLogPane() const { return logs_.fileLog->pane(); }
  const JobServices& services() const { return services_; }

  BackupOptions options;
  /// What the last run found, counted from its events.
  BackupResults results;

 private:
  RunCounter counter_{options, results};
  /// The logs a job built from panes makes for itself; empty when its logs are lent.
  std::optional<BackupLogObserver> own_backup_log_;
  std::optional<FileLogObserver> own_file_log_;
  JobLogs logs_;
  JobServices services_;
};

}  // namespace qs
