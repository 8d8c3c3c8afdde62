// A run's counts start from zero once its scan is done, but for the folders that scan could not
// list, so that counts held from before (a state made for more than one run) never carry over.
#include "engine/run_counter.h"

namespace qs {

namespace {

/// The count an event that ends a file's part in the run adds to; null for any other event.
int32_t* FileCount(RunEventKind kind, BackupCounters& counters) {
  switch (kind) {
    case RunEventKind::kCopied:
      return &counters.copied;
    case RunEventKind::kUpdated:
      return &counters.updated;
    case RunEventKind::kSkipped:
      return &counters.skipped;
    case RunEventKind::kFailed:
      return &counters.failed;
    case RunEventKind::kVersionSaved:
      return &counters.timeVersioned;
    default:
      return nullptr;
  }
}

}  // namespace

void RunCounter::OnRunEvent(const RunEvent& event) {
  if (int32_t* count = FileCount(event.kind, results_.counters)) {
    ++*count;
    return;
  }
  switch (event.kind) {
    case RunEventKind::kStarted:
      results_.unlistedDirectories = 0;
      return;
    case RunEventKind::kDirectoryUnlisted:
      ++results_.unlistedDirectories;
      return;
    case RunEventKind::kScanned: {
      const int32_t unlisted = results_.unlistedDirectories;
      results_ = BackupResults();
      results_.unlistedDirectories = unlisted;
      return;
    }
    case RunEventKind::kVersionFolderMade:
    case RunEventKind::kVersionFolderFailed:
      results_.versionDir = event.path;
      results_.versionFolderMade = event.kind == RunEventKind::kVersionFolderMade;
      results_.timeVersionFailures += results_.versionFolderMade ? 0 : 1;
      return;
    case RunEventKind::kVersionNotSaved:
      ++results_.timeVersionFailures;
      return;
    case RunEventKind::kFlushFailed:
      ++results_.flushFailures;
      return;
    case RunEventKind::kTimesNotKept:
      results_.timesNotKept = !options_.acceptUnkeptTimes;
      return;
    default:
      return;  // the others say why a file failed, or how far the run is
  }
}

}  // namespace qs
