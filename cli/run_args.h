// The runner's command line.
#pragma once

#include <string>
#include <vector>

namespace qs {

struct RunArgs {
  enum class Mode { kBackup, kBackupFromSettings, kHelp, kUsageError };
  Mode mode = Mode::kUsageError;
  std::string source;
  std::string target;
  bool timeVersioning = false;
  std::string error;  ///< what was wrong, for kUsageError
};

extern const char kRunUsage[];

/// Reads `quillstone-run [--time-versioning] SOURCE TARGET`, no arguments, or --help.
RunArgs ParseRunArgs(const std::vector<std::string>& args);

}  // namespace qs
