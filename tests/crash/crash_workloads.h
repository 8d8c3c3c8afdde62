// The runs the crash exploration interrupts: small trees, backed up through the engine with one
// file thread, so that the calls (and so the crash points) come in the same order every time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/backup_results.h"
#include "tests/support/crash_file_system.h"
#include "tests/support/test_support.h"

namespace qs::test {

/// A source file: its path below the source root ('/' between names), bytes and time.
struct TreeFile {
  std::string relative;
  std::string bytes;
  int64_t seconds = 0;
};

/// A call of one kind that fails, from the start of the run explored.
struct InjectedFailure {
  CrashCall call = CrashCall::kFlush;
  uint64_t nth = 0;  ///< 0: none
  uint32_t code = 0;
};

struct Workload {
  std::string name;
  bool timeVersioning = false;
  bool wholeVolumeFlush = true;
  /// Each: files put into the source, then a backup that ends cleanly before the one explored.
  std::vector<std::vector<TreeFile>> earlierRuns;
  /// Put into the source before the run explored.
  std::vector<TreeFile> changes;
  InjectedFailure failure;
};

/// What a run reported, beyond its results: the target copies whose old version it could not
/// save (each loses its old copy by design, and says so).
struct RunOutcome {
  BackupResults results;
  std::vector<std::string> versionsNotSaved;
};

std::string SourceRoot();  ///< "/src" in native form
std::string TargetRoot();  ///< "/vol/backups/dst", of which the run may make the last two

/// One backup of SourceRoot() to TargetRoot() through RunBackup, one file thread.
RunOutcome RunBackupOn(FileSystem& fs, FakeClock& clock, bool time_versioning);

/// The file system right before the run explored: the earlier runs made and cleanly ended
/// (everything durable), the changes put in. The clock is set for the run explored.
std::unique_ptr<CrashFileSystem> PrepareWorkload(const Workload& workload, FakeClock& clock);

/// A first tree and three rounds of changes: backed up in turn with time versioning, they
/// leave three version folders.
std::vector<std::vector<TreeFile>> VersionedRuns();

/// The workloads of a sweep: a first backup, updates with and without time versioning, two
/// updates in a row, over a volume with a whole-volume flush and one without; with
/// `failures`, each of them again with each flush of the run failing in turn.
std::vector<Workload> StandardWorkloads(bool failures);

}  // namespace qs::test
