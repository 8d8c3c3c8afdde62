// The version folder is made under one mutex: the first thread makes it while later ones
// wait, so no old copy is saved into a folder that does not exist yet. It is made exclusively,
// so that two runs started within one second never share one: the second would save its old
// copies over the first one's.
#include "engine/time_versioning.h"

#include "engine/backup_job.h"
#include "engine/file_copy.h"
#include "engine/paths.h"
#include "log/log_time.h"

namespace qs {

namespace {

/// Names tried for one run's folder: the moment's, then up to three seconds after it.
constexpr int kFolderNames = 4;
constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerMilli = 10000;

/// Returns once the wall clock has reached its next whole second.
void WaitForNextSecond(Clock& clock) {
  const int64_t into = ((clock.WallTicks() % kTicksPerSecond) + kTicksPerSecond) % kTicksPerSecond;
  clock.SleepMillis((kTicksPerSecond - into + kTicksPerMilli - 1) / kTicksPerMilli);
}

}  // namespace

MakeDirResult MakeVersionFolder(FileSystem& fs, Clock& clock, const std::string& dir,
                                const std::string& source_root, uint32_t* error) {
  const std::string parent = ParentPath(dir);
  if (!EnsureDirectory(fs, parent)) {
    *error = fs.LastErrorCode();
    return MakeDirResult::Failed;
  }
  const MakeDirResult made = fs.MakeDirectory(dir);
  if (made != MakeDirResult::Created) {
    *error = fs.LastErrorCode();
    return made;
  }
  const std::string eol = kTextLineEnd;
  fs.WriteWholeFile(dir + kPathSeparator + "README.txt", "Time Version Backup" + eol +
                                                             "Created: " + CurrentTimeText(clock) +
                                                             eol + "Source: " + source_root + eol);
  // Before an old copy is saved into it and the copy it came from is overwritten.
  if (!fs.SyncDirectory(dir) || (!parent.empty() && !fs.SyncDirectory(parent))) {
    *error = fs.LastErrorCode();
    return MakeDirResult::Failed;
  }
  return MakeDirResult::Created;
}

bool VersionFolder::Ensure() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!attempted_) {
    attempted_ = true;
    made_ = MakeOwn();
  }
  return made_;
}

bool VersionFolder::MakeOwn() {
  for (int name = 1;; ++name) {
    path_ = target_root_ + "backup_" + CompactTimestamp(clock_);
    const MakeDirResult made = MakeVersionFolder(fs_, clock_, path_, source_root_, &error_);
    if (made != MakeDirResult::AlreadyExists || name == kFolderNames)
      return made == MakeDirResult::Created;
    WaitForNextSecond(clock_);
  }
}

bool VersionFolder::Attempted() {
  std::lock_guard<std::mutex> lock(mutex_);
  return attempted_;
}

std::string VersionFolder::Path() {
  std::lock_guard<std::mutex> lock(mutex_);
  return path_;
}

uint32_t VersionFolder::ErrorCode() {
  std::lock_guard<std::mutex> lock(mutex_);
  return error_;
}

bool BackupJob::CreateVersionDirectory(const std::string& dir) {
  uint32_t code = 0;
  const bool made =
      MakeVersionFolder(fs(), clock(), dir, options.sourceRoot, &code) == MakeDirResult::Created;
  Report({.kind = made ? RunEventKind::kVersionFolderMade : RunEventKind::kVersionFolderFailed,
          .path = dir,
          .code = code});
  return made;
}

bool BackupJob::SaveOldVersion(const std::string& target_path, const std::string& relative_part) {
  if (!options.timeVersioningOn || results.versionDir.empty()) return false;
  std::string name = relative_part;
  if (!name.empty() && name.front() == kPathSeparator) name.erase(0, 1);
  const std::string version = results.versionDir + kPathSeparator + name;
  if (AttemptCopy(fs(), target_path, version, true).result != CopyAttempt::Result::kCopied) {
    Report({.kind = RunEventKind::kVersionNotSaved, .path = target_path});
    return false;
  }
  Report({.kind = RunEventKind::kVersionSaved, .path = target_path, .relative = name});
  return true;
}

}  // namespace qs
