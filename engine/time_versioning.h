// Version folders keep each target copy an update is about to overwrite: one folder a run,
// "backup_" + the moment it was made, with a README that says when and from where. A folder
// belongs to the one run that made it: nothing in it is ever written over.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "os/clock.h"
#include "os/file_system.h"

namespace qs {

/// Makes the folder `dir` (and any level above it) only where nothing has that name, writes
/// its README and makes both names durable. Created when made; AlreadyExists when the name is
/// taken, and Failed otherwise, each with the error code. A README that cannot be written is
/// no failure.
MakeDirResult MakeVersionFolder(FileSystem& fs, Clock& clock, const std::string& dir,
                                const std::string& source_root, uint32_t* error);

/// The version folder of one run: made once, by whichever file thread first needs a copy,
/// and reported in list order by the run's thread. Safe on several threads.
class VersionFolder {
 public:
  /// `target_root` and `source_root` each end with a separator (or are empty).
  VersionFolder(FileSystem& fs, Clock& clock, std::string target_root, std::string source_root)
      : fs_(fs),
        clock_(clock),
        target_root_(std::move(target_root)),
        source_root_(std::move(source_root)) {}

  /// Makes the folder on the first call; true when this run has it. When the moment's name is
  /// taken (another run made it within the same second), it waits for the next second's name,
  /// a few times at most.
  bool Ensure();
  bool Attempted();
  /// The folder's path, or the last one tried; empty before the first Ensure.
  std::string Path();
  /// The error code of a failed attempt.
  uint32_t ErrorCode();

 private:
  bool MakeOwn();

  FileSystem& fs_;
  Clock& clock_;
  const std::string target_root_;
  const std::string source_root_;
  std::mutex mutex_;
  bool attempted_ = false;
  bool made_ = false;
  std::string path_;
  uint32_t error_ = 0;
};

}  // namespace qs
