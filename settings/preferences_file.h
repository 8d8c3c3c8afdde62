// "backup_preferences.txt": the window's settings beyond the five of backup_config.dat, one
// `key=value` a line, kept beside it. Lines this build does not know are kept as they are.
#pragma once

#include <string>
#include <vector>

namespace qs {

extern const char kPreferencesFileName[];

struct Preferences {
  /// "Also back up when this window is closed": the system's scheduler runs the backup too.
  bool backupWhenClosed = false;
  /// "Notify when a backup succeeds": success is quiet otherwise.
  bool notifyOnSuccess = false;
  /// The file's lines as read, line ends cut; rewriting replaces only the lines of the keys
  /// above and keeps every other line (keys of other builds, comments, blanks) in its place.
  std::vector<std::string> lines;
};

/// The preferences of `content`; a key without a value this build reads (1/0, true/false,
/// yes/no, on/off) keeps its default. For a key given twice the last line counts.
Preferences ParsePreferences(const std::string& content);

/// The file's bytes: the lines read, with the known keys set to their values (the first line
/// of each; later ones dropped), the keys not there yet added at the end. CR LF line ends.
std::string FormatPreferences(const Preferences& preferences);

/// Reads the file; a missing or unreadable file gives the defaults. Never fails.
Preferences LoadPreferences(const std::string& path = kPreferencesFileName);

/// Writes the file whole or not at all (a temporary file renamed over it); false when it could
/// not be written, with the system's words for why in `*why` (when given).
bool SavePreferences(const Preferences& preferences, const std::string& path = kPreferencesFileName,
                     std::string* why = nullptr);

}  // namespace qs
