// Argument parsing kept apart from main so that it can be tested and fuzzed.
#include "cli/run_args.h"

namespace qs {

const char kRunUsage[] =
    "usage: quillstone-run [--time-versioning] SOURCE TARGET\n"
    "       quillstone-run\n"
    "\n"
    "Copies every file below SOURCE that is new, or newer than its copy, to the same place\n"
    "below TARGET. Nothing is ever deleted. With --time-versioning each copy about to be\n"
    "overwritten is first saved into a dated backup_YYYYMMDD_HHMMSS folder inside TARGET.\n"
    "Without arguments, the source, target and time versioning of backup_config.dat in the\n"
    "working directory are used (the file is only read).\n"
    "\n"
    "Exit status: 0 when every file was backed up; 1 when a file failed, a folder below\n"
    "SOURCE (or SOURCE itself) could not be listed, or an old version could not be kept;\n"
    "2 for a usage error.\n";

namespace {

RunArgs UsageError(const std::string& error) {
  RunArgs args;
  args.error = error;
  return args;
}

}  // namespace

RunArgs ParseRunArgs(const std::vector<std::string>& args) {
  RunArgs result;
  std::vector<std::string> paths;
  bool options_done = false;
  for (const std::string& arg : args) {
    if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && (arg == "--help" || arg == "-h")) {
      result.mode = RunArgs::Mode::kHelp;
      return result;
    } else if (!options_done && arg == "--time-versioning") {
      result.timeVersioning = true;
    } else if (!options_done && arg.size() > 1 && arg[0] == '-') {
      return UsageError("unknown option: " + arg);
    } else if (arg.empty()) {
      return UsageError("an empty path names no folder");
    } else {
      paths.push_back(arg);
    }
  }
  if (paths.empty() && !result.timeVersioning) {
    result.mode = RunArgs::Mode::kBackupFromSettings;
    return result;
  }
  if (paths.size() != 2) return UsageError("expected SOURCE and TARGET");
  result.mode = RunArgs::Mode::kBackup;
  result.source = paths[0];
  result.target = paths[1];
  return result;
}

}  // namespace qs
