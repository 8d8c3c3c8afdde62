// What must hold in every state a crash leaves, and after a rerun from it. Each invariant
// compares the target with what it held before the run and with the source.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "os/file_system.h"
#include "tests/crash/crash_workloads.h"
#include "tests/support/crash_image.h"

namespace qs::test {

/// A file's bytes and time.
struct FileCopy {
  std::string bytes;
  FileTime time;
  bool operator==(const FileCopy&) const = default;
};
using Tree = std::map<std::string, FileCopy>;  ///< by path below a root, '/' between names

/// The target of an image: the current tree, each version folder's files (README.txt left
/// out), and the record's files. Leftover temporary files are counted, not listed.
struct TargetView {
  Tree current;
  std::map<std::string, Tree> versions;
  Tree record;
  size_t temporaryNames = 0;
};
TargetView ViewTarget(const CrashImage& image);
/// One text for a target, so that equal targets are found equal.
std::string TargetKey(const TargetView& view);

enum class Invariant : uint8_t {
  kOldOrNew,            ///< a name holds the old copy or the new one, never a mix or empty
  kDatedAsSource,       ///< a copy dated as its source holds the source's bytes
  kWronglyDated,        ///< a copy holds old or new bytes under a time of neither
  kVersionIsOld,        ///< an old copy in a version folder is what it replaced
  kOldCopyKept,         ///< an updated file's old copy survives: at its name or as a version
  kEndedDurable,        ///< a run that ended without a failure is on the disk
  kRerunConverges,      ///< a rerun after the crash ends with a complete, correct backup
  kKeptVersionWhole,    ///< every version folder the retention rules keep is whole
  kPruneCompletes,      ///< a rerun of the prune leaves only the folders kept
  kTargetUntouched,     ///< a restore writes nothing into the target
  kRestoredWhole,       ///< a restored file is absent or whole, with its own time
  kRestoreCompletes,    ///< a rerun of the restore gives the whole tree
  kRecordReadsBack,     ///< the record reads back whole, or without its torn tail
  kRecordAppendsAgain,  ///< an append after the reboot is read back
  kCount
};
const char* InvariantName(Invariant invariant);

struct Violation {
  Invariant invariant;
  std::string detail;
};

/// What the target held before the run explored, and what the source holds.
struct Expectation {
  Tree source;
  TargetView before;
  bool timeVersioning = false;
  /// Relative paths the run updates (the source is newer than the copy before the run).
  std::set<std::string> updated;
  /// Relative paths whose old version the run reported it could not save.
  std::set<std::string> notSaved;
  /// The version folder's name the run made, empty when none.
  std::string versionFolder;
  /// The runs the target's record held whole before the run.
  size_t recordedRuns = 0;
};

Expectation ExpectationFor(const CrashImage& before, bool time_versioning);

/// The invariants of a crash state.
std::vector<Violation> CheckCrashState(const TargetView& crashed, const Expectation& expected);
/// The invariants of the target after a complete rerun; `durable` is that rerun's target
/// after a crash right at its end.
std::vector<Violation> CheckRerun(const TargetView& after, const TargetView& durable,
                                  const RunOutcome& rerun, const Expectation& expected);

}  // namespace qs::test
