// The file operations log: one untimed line per file action, reset at every run.
#pragma once

#include <string>

#include "log/log_pane.h"

namespace qs {

extern const char kFileLogHeader[];

/// The path below `sourceRoot` when it begins with it (byte for byte), else the path unchanged.
std::string RelativePath(const std::string& sourceRoot, const std::string& path);

/// Appends one line (given without its line end); trims first above 300 lines. Null: nothing.
void AppendFileLogLine(LogPane* pane, const std::string& text);

/// Cuts a pane of more than 300 lines to its latest 150, adds the notice and scrolls to the end.
void TrimFileLog(LogPane* pane);

/// Empties the pane and writes the header line.
void ResetFileLog(LogPane* pane);

}  // namespace qs
