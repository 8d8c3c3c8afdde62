// The backup log: timestamped entries that keep the pane below 200 lines.
#pragma once

#include <string>

#include "log/log_pane.h"
#include "log/log_services.h"

namespace qs {

/// "[" + CurrentTimeText + "] " + message.
std::string BackupLogLine(Clock& clock, const std::string& message);

/// Appends one entry to `pane`, or writes it to the console when `pane` is null; then
/// refreshes the status area. The pane is trimmed first when it holds more than 200 lines.
void WriteBackupLogEntry(LogPane* pane, const std::string& message, const LogServices& services);

/// Cuts a pane of more than 200 lines to its latest 100 and adds the notice, then scrolls
/// to the end. Does nothing to a null pane or one of 200 lines or fewer.
void TrimBackupLog(LogPane* pane);

/// Cuts a pane of more than `threshold` lines to its last `keep` lines and appends `notice`.
/// Returns whether it cut; the caller decides about scrolling.
bool TrimPaneLines(LogPane& pane, int threshold, int keep, const std::string& notice);

}  // namespace qs
