// The five settings the window keeps between starts.
#pragma once

#include <cstdint>
#include <string>

namespace qs {

struct AppSettings {
  std::string sourceDir;
  std::string targetDir;
  int32_t intervalMinutes = 60;
  bool autoBackupEnabled = false;
  bool timeVersioning = false;

  bool operator==(const AppSettings&) const = default;
};

/// The defaults: the user's Documents into Backup (d:\test and D:\Backup on Windows), 60
/// minutes, both switches off.
AppSettings DefaultSettings();

/// The interval text read as atol reads it: blanks skipped, an optional sign, digits up to
/// the first other character; no digits give 0. Values beyond 32 bits are clamped.
int32_t ParseIntervalText(const std::string& text);

}  // namespace qs
