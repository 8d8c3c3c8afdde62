// What a run found: its counts and failures, which the logs, the record and the front ends
// all show.
#pragma once

#include <cstdint>
#include <string>

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
