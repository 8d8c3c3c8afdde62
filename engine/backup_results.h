// What a job backs up, and what its last run found: kept apart, so that a run's results never
// pass for its inputs.
#pragma once

#include <cstdint>
#include <string>

#include "engine/exclusions.h"

namespace qs {

/// What a job backs up, and how.
struct BackupOptions {
  std::string sourceRoot;  ///< empty, or ending with one separator
  std::string targetRoot;  ///< likewise
  /// Whether old copies are saved before an update. A run that cannot make its version folder
  /// updates nothing (new files are still copied); the next run tries again.
  bool timeVersioningOn = false;
  /// Paths below the source root that are left out, besides "oh_modules" folders.
  Exclusions exclusions;
  /// Decides and reports as a real run would, and writes nothing: the job's file system only
  /// pretends to write (DryRunFileSystem), and what the run must learn of the target it learns
  /// without writing.
  bool dryRun = false;
  /// Reads every file's size in the scan, for a display of progress in bytes.
  bool measureSizes = false;
  /// A target that does not keep last-write times is reported, but not counted as a failure:
  /// every run then copies (and versions) files that did not change.
  bool acceptUnkeptTimes = false;

  /// A plain backup of `source` to `target`: nothing left out, every write real.
  static BackupOptions Of(std::string source, std::string target, bool time_versioning) {
    BackupOptions options;
    options.sourceRoot = std::move(source);
    options.targetRoot = std::move(target);
    options.timeVersioningOn = time_versioning;
    return options;
  }
};

struct BackupCounters {
  int32_t copied = 0;
  int32_t updated = 0;
  int32_t skipped = 0;
  int32_t failed = 0;
  int32_t timeVersioned = 0;

  /// "Time-based incremental backup completed: 1 copied, ... 0 time-versioned."
  std::string SummaryText() const;
};

/// What the last run found. Each run starts it afresh after its scan.
struct BackupResults {
  BackupCounters counters;
  std::string versionDir;           ///< the run's version folder; empty until one was needed
  bool versionFolderMade = false;   ///< the run made it (else it could not, see versionDir)
  int32_t timeVersionFailures = 0;  ///< old copies not kept, version folders not made
  int32_t unlistedDirectories = 0;  ///< source folders that could not be listed
  int32_t flushFailures = 0;        ///< copies and names that could not be made durable
  /// The target does not keep last-write times, and the job does not accept that.
  bool timesNotKept = false;

  /// True when the backup is not complete (a file, a folder, an old version or a flush
  /// failed), or not to be trusted (its target drops the times that changes are found by).
  bool AnyFailed() const;
};

}  // namespace qs
