// The Task Scheduler task that runs quillstone-run.exe when no window is open, as the XML
// that `schtasks /Create /XML` registers. The defaults that lose backups on laptops are
// overridden: it starts when it can after a missed start, runs on battery and keeps running
// when the power goes, and a start while the last run is still going is left out.
#pragma once

#include <cstdint>
#include <string>

#include "os/clock.h"

namespace qs {

extern const char kTaskName[];  ///< "Quillstone Backup"

struct TaskRequest {
  std::string program;         ///< the absolute path of quillstone-run.exe
  std::string settingsFolder;  ///< where it runs, with its backup_config.dat
  int32_t intervalMinutes = 60;
  LocalTime start;  ///< the first start, in local time
};

/// The longest repetition the Task Scheduler takes: 31 days.
constexpr int32_t kMaxTaskRepeatMinutes = 31 * 24 * 60;

/// The task's XML, for the user who registers it (LogonType InteractiveToken), repeating
/// every interval (at most kMaxTaskRepeatMinutes).
std::string TaskXml(const TaskRequest& request);

/// `text` with the five characters XML reserves written as entities.
std::string XmlEscaped(const std::string& text);

/// UTF-8 as UTF-16LE bytes after a byte-order mark, as schtasks reads its files. A surrogate
/// in its three-byte form (a Windows name may hold one) passes as itself; any other byte that
/// is not UTF-8 becomes U+FFFD.
std::string Utf16LeWithMark(const std::string& utf8);

}  // namespace qs
