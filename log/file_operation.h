// The categories of a file operations entry and where each one is shown.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qs {

enum class FileOperation : uint8_t {
  kBackupStarted,
  kFileScan,
  kCopied,
  kUpdated,
  kSkipped,
  kFailed,
  kCopyError,
  kDirectoryError,
  kTimeVersion,
  kTimeVersionFailed,
  kBackupCompleted,
};

/// "BACKUP STARTED", "COPIED" and so on.
const char* CategoryText(FileOperation category);

/// The entry's line in the file operations log, without its line end: "[" + category + "] " +
/// the path below `source_root`. None for the categories that log shows no line for (skipped
/// files and failures).
std::optional<std::string> FileLogLine(FileOperation category, const std::string& path,
                                       const std::string& source_root);

/// The entry's message for the backup log: the file log's line for copies, updates and
/// saved versions; "[" + category + "] " + the full path (and " (" + detail + ")") for
/// failures. None for the rest.
std::optional<std::string> BackupLogMessage(FileOperation category, const std::string& path,
                                            const std::string& detail,
                                            const std::string& source_root);

}  // namespace qs
