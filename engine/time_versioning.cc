// Version directories keep each target copy an update is about to overwrite.
#include "engine/backup_job.h"
#include "log/log_time.h"

namespace qs {

bool BackupJob::MakeVersionFolder(const std::string& dir, uint32_t* error) {
  if (!EnsureDirectory(dir)) {
    *error = services_.fs->LastErrorCode();
    return false;
  }
  // The README is a courtesy: a directory without one still counts as made.
  const std::string eol = kTextLineEnd;
  services_.fs->WriteWholeFile(dir + kPathSeparator + "README.txt",
                               "Time Version Backup" + eol +
                                   "Created: " + CurrentTimeText(*services_.log.clock) + eol +
                                   "Source: " + sourceRoot + eol);
  return true;
}

bool BackupJob::CreateVersionDirectory(const std::string& dir) {
  uint32_t code = 0;
  if (!MakeVersionFolder(dir, &code)) {
    LogMessage("Failed to create time version directory: " + dir +
               " Error: " + std::to_string(code));
    return false;
  }
  LogMessage("Time version directory created: " + dir);
  return true;
}

bool BackupJob::SaveOldVersion(const std::string& target_path, const std::string& relative_part) {
  if (!timeVersioningOn || versionDir.empty()) return false;
  std::string name = relative_part;
  if (!name.empty() && name.front() == kPathSeparator) name.erase(0, 1);
  const std::string dest = versionDir + kPathSeparator + name;
  if (!CopyOneFile(target_path, dest, true)) {
    LogFileOperation("TIME VERSION FAILED", target_path, "");
    ++timeVersionFailures;
    return false;
  }
  LogFileOperation("TIME VERSION", target_path, "");
  ++counters.timeVersioned;
  LogMessage("Time version created: " + name);
  return true;
}

}  // namespace qs
