// The file-system half of a copy: the directories above the target, and the safe copy itself.
// Safe on several threads at once; nothing here logs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "os/file_system.h"

namespace qs {

class BackupJob;

struct CopyAttempt {
  enum class Result : uint8_t { kCopied, kDirectoryFailed, kCopyFailed };
  Result result = Result::kCopied;
  uint32_t code = 0;  ///< the system's error code of the failing step
};

/// A copy made ahead into a temporary file, and what happened on the way.
struct PreparedCopy {
  CopyAttempt attempt;
  std::unique_ptr<PendingCopy> copy;  ///< set when attempt.result is kCopied, until in place
  bool published = false;             ///< in place
  /// Put in place only where nothing has its name (an old version, saved where nothing may
  /// be written over).
  bool keepsExisting = false;
  /// What the copy in place said of itself (its PendingCopy's Volume, FlushedWithVolume and
  /// AttributesNotKept).
  uint64_t volume = 0;
  bool withVolume = false;
  uint32_t attributesNotKept = 0;
  /// What the copy holds, as it said before it was put in place (on its own, as the files
  /// skipped, most of them, have none).
  std::unique_ptr<CopiedContent> content;

  /// Puts the copy in place and lets its file go, keeping what it said of itself; on failure
  /// drops it, and `attempt` says why.
  bool Publish(FileSystem& fs);
};

/// True when the directory exists afterwards; makes every missing level above it, top down.
/// On failure the failing step's code is the file system's last error. `made`, when given,
/// tells whether this call made `path` itself (it was not there).
bool EnsureDirectory(FileSystem& fs, const std::string& path, bool* made = nullptr);

/// The last directory a thread made or found, so that the files of one directory probe it
/// once. `made`: this run made it, so it held nothing but what the run put there since.
struct KnownDirectory {
  std::string path;
  bool made = false;
};

/// How often a copy is tried when its source changes while it is read.
constexpr int kCopyAttempts = 3;

/// Makes the target's directory and copies into a temporary file there, remembering the
/// directory in `known` when given. The copy appears at the target only when published. A
/// source that changes while it is read is copied afresh, kCopyAttempts times in all: after
/// that the attempt fails with kErrorSourceChanged.
PreparedCopy PrepareCopy(FileSystem& fs, const std::string& source_path,
                         const std::string& target_path, KnownDirectory* known);

/// Prepares, flushes and publishes: the copy is on the disk when this reports kCopied. With
/// `keep_existing` it is put in place only where nothing has its name.
CopyAttempt AttemptCopy(FileSystem& fs, const std::string& source_path,
                        const std::string& target_path, bool keep_existing = false);

/// Reports a failed attempt as the run shows it: the directory or the copy that failed, with
/// its code; a source that kept changing; or, for a copy refused because the target keeps
/// that name under another spelling, the collision with what it keeps. False for a failure,
/// true for a copy.
bool ReportCopyAttempt(BackupJob& job, const CopyAttempt& attempt, const std::string& source_path,
                       const std::string& target_path);

}  // namespace qs
