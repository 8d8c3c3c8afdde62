// One table gives each category its text and the logs it reaches.
#include "log/file_operation.h"

#include "log/file_log.h"

namespace qs {

namespace {

enum class Shown : uint8_t { kNowhere, kFileLog, kBothLogs, kBackupLogOnly };

struct Category {
  const char* text;
  Shown shown;
};

// In the order of FileOperation.
constexpr Category kCategories[] = {
    {"BACKUP STARTED", Shown::kFileLog},   {"FILE SCAN", Shown::kFileLog},
    {"COPIED", Shown::kBothLogs},          {"UPDATED", Shown::kBothLogs},
    {"SKIPPED", Shown::kNowhere},          {"FAILED", Shown::kBackupLogOnly},
    {"COPY ERROR", Shown::kBackupLogOnly}, {"DIRECTORY ERROR", Shown::kBackupLogOnly},
    {"TIME VERSION", Shown::kBothLogs},    {"TIME VERSION FAILED", Shown::kBackupLogOnly},
    {"BACKUP COMPLETED", Shown::kFileLog},
};

const Category& Of(FileOperation category) { return kCategories[static_cast<size_t>(category)]; }

}  // namespace

const char* CategoryText(FileOperation category) { return Of(category).text; }

std::optional<std::string> FileLogLine(FileOperation category, const std::string& path,
                                       const std::string& source_root) {
  const Shown shown = Of(category).shown;
  if (shown != Shown::kFileLog && shown != Shown::kBothLogs) return std::nullopt;
  return "[" + std::string(Of(category).text) + "] " + RelativePath(source_root, path);
}

std::optional<std::string> BackupLogMessage(FileOperation category, const std::string& path,
                                            const std::string& detail,
                                            const std::string& source_root) {
  const Shown shown = Of(category).shown;
  if (shown == Shown::kBothLogs) return FileLogLine(category, path, source_root);
  if (shown != Shown::kBackupLogOnly) return std::nullopt;
  std::string text = "[" + std::string(Of(category).text) + "] " + path;
  if (!detail.empty()) text += " (" + detail + ")";
  return text;
}

}  // namespace qs
