// What a run learns about the volumes it writes to: how finely each keeps last-write times,
// and whether the target finds names in another case. Learnt by trying, once per run.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "engine/file_times.h"
#include "os/file_system.h"

namespace qs {

/// What a volume does with a last-write time set on a file.
struct TimeKeeping {
  TimeStep step = kExactTimes;  ///< how finely it keeps the times it keeps
  /// False when the time read back lies more than a day from the one set: the volume dates
  /// files by itself (at the moment they are written, or at some fixed date) whatever is set.
  bool kept = true;
};

/// Sets a known time, odd in its seconds and its nanoseconds, on a temporary file in
/// `directory`, reads it back and removes the file. The step is the coarsest one that the time
/// read back is a whole multiple of and lies within; kExactTimes when the volume gives back
/// something else entirely. {kExactTimes, kept} when the probe cannot run.
TimeKeeping ProbeTimeKeeping(FileSystem& fs, const std::string& directory);
/// The step of ProbeTimeKeeping.
TimeStep ProbeTimeStep(FileSystem& fs, const std::string& directory);

/// Whether the volume of `directory` finds a name in another case. Looks up an entry of the
/// directory in the other case; when none is fit for that, makes a temporary file with a
/// lower-case name and looks it up in upper case, or (when it may not write) asks what the
/// kind of the volume says. False when it cannot tell.
bool ProbeCaseFolding(FileSystem& fs, const std::string& directory, bool may_write = true);

/// The step the kind of the volume of `directory` says it keeps, without writing anything;
/// kUnknownStep when it does not say.
TimeStep TimeStepWithoutWriting(FileSystem& fs, const std::string& directory);

/// The time steps of the volumes of one run, each probed the first time a copy on it is
/// compared. Safe on several threads at once.
class TargetVolumes {
 public:
  /// `may_write`: probe by writing (a real run), or only by asking (a dry run).
  explicit TargetVolumes(FileSystem& fs, bool may_write = true) : fs_(fs), may_write_(may_write) {}
  /// What `volume` does with times, probed in `directory` (a directory on it) when not known
  /// yet. Without writing, only the step is learnt, and the times count as kept.
  TimeKeeping KeepingOf(uint64_t volume, const std::string& directory);
  /// The step of KeepingOf.
  TimeStep StepOf(uint64_t volume, const std::string& directory) {
    return KeepingOf(volume, directory).step;
  }

 private:
  FileSystem& fs_;
  const bool may_write_;
  std::mutex mutex_;
  std::vector<std::pair<uint64_t, TimeKeeping>> volumes_;  ///< few: usually one
};

}  // namespace qs
