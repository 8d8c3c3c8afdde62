// Version folders keep each target copy an update is about to overwrite: one folder a run,
// "backup_" + the moment it was made, with a README that says when and from where.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "platform/clock.h"
#include "platform/file_system.h"

namespace qs {

/// Makes the folder (and any level above it) and writes its README; false, with the error
/// code, when the folder cannot be made. A README that cannot be written is no failure.
bool MakeVersionFolder(FileSystem& fs, Clock& clock, const std::string& dir,
                       const std::string& source_root, uint32_t* error);

/// The version folder of one run: made once, by whichever file thread first needs a copy,
/// and reported in list order by the run's thread. Safe on several threads.
class VersionFolder {
 public:
  /// `name` gives the folder's path at the moment it is made; `make` makes it, as
  /// MakeVersionFolder does.
  VersionFolder(std::function<std::string()> name,
                std::function<bool(const std::string&, uint32_t*)> make)
      : name_(std::move(name)), make_(std::move(make)) {}

  /// Makes the folder on the first call; true when it exists.
  bool Ensure();
  bool Attempted();
  /// The folder's path; empty before the first Ensure.
  std::string Path();
  /// The error code of a failed attempt.
  uint32_t ErrorCode();

 private:
  const std::function<std::string()> name_;
  const std::function<bool(const std::string&, uint32_t*)> make_;
  std::mutex mutex_;
  bool attempted_ = false;
  bool made_ = false;
  std::string path_;
  uint32_t error_ = 0;
};

}  // namespace qs
