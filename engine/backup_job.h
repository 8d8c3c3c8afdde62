// BackupJob: the record of one backup run and the carrier of every log line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/file_list.h"
#include "log/log_services.h"
#include "platform/file_system.h"
#include "platform/log_pane.h"

namespace qs {

struct BackupCounters {
  int32_t copied = 0;
  int32_t updated = 0;
  int32_t skipped = 0;
  int32_t failed = 0;
  int32_t timeVersioned = 0;

  /// "Time-based incremental backup completed: 1 copied, ... 0 time-versioned."
  std::string SummaryText() const;
};

/// The seams a job works through.
struct JobServices {
  FileSystem* fs = nullptr;
  LogServices log;
  /// Threads that probe and copy files ahead of the log; 0 picks one per core (at least 2),
  /// 1 does everything on the run's own thread.
  int fileThreads = 0;
  /// Copies flushed together, with one flush per volume where the system has one.
  int flushBatch = 1024;
};

/// The file-system half of a copy, apart from its reporting.
struct CopyAttempt {
  enum class Result : uint8_t { kCopied, kDirectoryFailed, kCopyFailed };
  Result result = Result::kCopied;
  uint32_t code = 0;  ///< the system's error code of the failing step
};

/// A copy made ahead into a temporary file, and what happened on the way.
struct PreparedCopy {
  CopyAttempt attempt;
  std::unique_ptr<PendingCopy> copy;  ///< set when attempt.result is kCopied
};

/// The real file system and the default log services (real clock, standard output).
JobServices DefaultJobServices();

class BackupJob {
 public:
  /// Both roots get one trailing separator when they are not empty and lack one.
  BackupJob(const std::string& source, const std::string& target, LogPane* backup_log_pane,
            LogPane* file_log_pane, bool time_versioning,
            const JobServices& services = DefaultJobServices());
  BackupJob(const BackupJob&) = delete;
  BackupJob& operator=(const BackupJob&) = delete;

  void RunBackup();
  /// Appends every file below `directory` (which ends with a separator) to `list`,
  /// depth-first, leaving out "oh_modules" directories and the target root.
  void ScanSource(const std::string& directory, FileList& list);
  void LogMessage(const std::string& message);
  void LogFileOperation(const std::string& category, const std::string& path,
                        const std::string& detail);
  /// True when copied; on failure the reason is logged unless `quiet`.
  bool CopyOneFile(const std::string& source_path, const std::string& target_path, bool quiet);
  /// True when the directory exists afterwards; makes every missing level above it.
  bool EnsureDirectory(const std::string& path);
  /// Makes the target's directory and copies into a temporary file there, without logging
  /// or touching the job: safe on several threads at once. `known_directory`, when given,
  /// remembers the last directory made or found, so that the files of one directory probe it
  /// once. The copy appears at the target only when published.
  PreparedCopy PrepareCopy(const std::string& source_path, const std::string& target_path,
                           std::string* known_directory);
  /// Makes the target's directory and copies; the copy is on the disk when this succeeds.
  CopyAttempt AttemptCopy(const std::string& source_path, const std::string& target_path,
                          std::string* known_directory);
  /// Logs a failed attempt the way CopyOneFile does (unless `quiet`); true when copied.
  bool ReportCopy(const CopyAttempt& attempt, const std::string& source_path,
                  const std::string& target_path, bool quiet);
  bool CreateVersionDirectory(const std::string& dir);
  bool SaveOldVersion(const std::string& target_path, const std::string& relative_part);

  std::string sourceRoot;
  std::string targetRoot;
  BackupCounters counters;
  LogPane* backupLogPane;
  LogPane* fileLogPane;
  bool timeVersioningOn;
  std::string versionDir;
  /// Old copies that could not be kept, and version directories that could not be made, in
  /// the last run: not a file failure, but the caller should hear of it.
  int32_t timeVersionFailures = 0;
  /// Directories of the source the last scan could not list (each one logged).
  int32_t unlistedDirectories = 0;
  /// Copies of the last run that could not be made durable (each one logged).
  int32_t flushFailures = 0;

 private:
  /// The directories of the current descent, and the target root when it is to be left out.
  struct ScanState {
    std::vector<DirectoryId> ancestors;
    DirectoryId targetRoot;
    bool hasTargetRoot = false;
  };
  void ScanDirectory(const std::string& directory, FileList& list, ScanState& state);
  void ScanEntry(const std::string& directory, const DirEntry& entry, FileList& list,
                 ScanState& state);
  friend class FilePass;
  /// Makes a version folder with its README; false with the error code when it cannot.
  bool MakeVersionFolder(const std::string& dir, uint32_t* error);
  void ReportUnlisted(const std::string& directory, const std::string& listed);
  void WriteRunHeader();
  void WriteRunFooter();

  JobServices services_;
};

}  // namespace qs
