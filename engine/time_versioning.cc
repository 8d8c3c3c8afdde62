// Version directories keep each target copy an update is about to overwrite.
#include <fstream>

#include "engine/backup_job.h"
#include "log/log_time.h"

namespace qs {

bool BackupJob::CreateVersionDirectory(const std::string& dir) {
  if (!EnsureDirectory(dir)) {
    const uint32_t code = services_.fs->LastErrorCode();
    LogMessage("Failed to create time version directory: " + dir +
               " Error: " + std::to_string(code));
    return false;
  }
  // The README is a courtesy: a directory without one still counts as made.
  std::ofstream readme(dir + kPathSeparator + "README.txt", std::ios::trunc);
  if (readme) {
    readme << "Time Version Backup\nCreated: " << CurrentTimeText(*services_.log.clock)
           << "\nSource: " << sourceRoot << "\n";
  }
  readme.close();
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
