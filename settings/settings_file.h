// "backup_config.dat": five lines of UTF-8, read leniently, written with CR LF line ends.
#pragma once

#include <string>

#include "settings/settings.h"

namespace qs {

extern const char kSettingsFileName[];

/// Reads the file; whatever cannot be read keeps its default. Never fails. A file that is not
/// UTF-8 (older builds wrote the ANSI code page) is read in the system's ANSI code page.
AppSettings LoadSettings(const std::string& path = kSettingsFileName);

/// Reads the file as LoadSettings does; false when it cannot be read or names no source or
/// no target. The defaults' folders never stand in: a run without a settings file must not
/// back up folders nobody chose.
bool LoadSettingsWithFolders(const std::string& path, AppSettings* settings);

/// The reading rules applied to the file's bytes, starting from `defaults`.
AppSettings ParseSettings(const std::string& content, const AppSettings& defaults);

/// The file's bytes for a record.
std::string FormatSettings(const AppSettings& settings);

/// Writes the file whole or not at all (a temporary file renamed over it). False when it could
/// not be written, with the system's words for why in `*why` (when given); the caller tells.
bool SaveSettings(const AppSettings& settings, const std::string& path = kSettingsFileName,
                  std::string* why = nullptr);

}  // namespace qs
