// The version folder is made under one mutex: the first thread makes it while later ones
// wait, so no old copy is saved into a folder that does not exist yet.
#include "engine/time_versioning.h"

#include "engine/backup_job.h"
#include "engine/file_copy.h"
#include "log/log_time.h"

namespace qs {

bool MakeVersionFolder(FileSystem& fs, Clock& clock, const std::string& dir,
                       const std::string& source_root, uint32_t* error) {
  if (!EnsureDirectory(fs, dir)) {
    *error = fs.LastErrorCode();
    return false;
  }
  const std::string eol = kTextLineEnd;
  fs.WriteWholeFile(dir + kPathSeparator + "README.txt", "Time Version Backup" + eol +
                                                             "Created: " + CurrentTimeText(clock) +
                                                             eol + "Source: " + source_root + eol);
  return true;
}

bool VersionFolder::Ensure() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!attempted_) {
    attempted_ = true;
    path_ = name_();
    made_ = make_(path_, &error_);
  }
  return made_;
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
  const bool made = MakeVersionFolder(fs(), *services().log.clock, dir, options.sourceRoot, &code);
  Report({.kind = made ? RunEventKind::kVersionFolderMade : RunEventKind::kVersionFolderFailed,
          .job = *this,
          .path = dir,
          .code = code});
  return made;
}

bool BackupJob::SaveOldVersion(const std::string& target_path, const std::string& relative_part) {
  if (!options.timeVersioningOn || results.versionDir.empty()) return false;
  std::string name = relative_part;
  if (!name.empty() && name.front() == kPathSeparator) name.erase(0, 1);
  if (!CopyOneFile(target_path, results.versionDir + kPathSeparator + name, true)) {
    ++results.timeVersionFailures;
    Report({.kind = RunEventKind::kVersionNotSaved, .job = *this, .path = target_path});
    return false;
  }
  ++results.counters.timeVersioned;
  Report(
      {.kind = RunEventKind::kVersionSaved, .job = *this, .path = target_path, .relative = name});
  return true;
}

}  // namespace qs
