// Argument parsing kept apart from main so that it can be tested and fuzzed. Options are read
// first, in any order; then the paths are checked against what the chosen mode takes.
#include "cli/run_args.h"

#include <functional>
#include <map>

#include "engine/exclusions.h"

namespace qs {

namespace {

enum class Flag { kMode, kOption };

RunArgs UsageError(const std::string& error) {
  RunArgs args;
  args.error = error;
  return args;
}

bool ParseCount(const std::string& text, int* value) {
  if (text.empty() || text.size() > 7) return false;
  int number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  *value = number;
  return true;
}

/// A whole percentage from 1 to 100.
bool ParsePercent(const std::string& text, int* percent) {
  int value = 0;
  if (!ParseCount(text, &value) || value < 1 || value > 100) return false;
  *percent = value;
  return true;
}

/// "YYYY-MM-DD HH:MM:SS" with a date that exists.
bool ParseMoment(const std::string& text, LocalTime* moment) {
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':')
    return false;
  const std::string stamp = "backup_" + text.substr(0, 4) + text.substr(5, 2) + text.substr(8, 2) +
                            "_" + text.substr(11, 2) + text.substr(14, 2) + text.substr(17, 2);
  VersionStamp s;
  if (!ParseVersionFolderName(stamp, &s)) return false;
  *moment = {s.year, s.month, s.day, s.hour, s.minute, s.second};
  return true;
}

bool ParseScheduleAction(const std::string& text, RunArgs* args) {
  args->mode = RunArgs::Mode::kSchedule;
  if (text == "install") return args->scheduleAction = ScheduleAction::kInstall, true;
  if (text == "remove") return args->scheduleAction = ScheduleAction::kRemove, true;
  if (text == "show") return args->scheduleAction = ScheduleAction::kShow, true;
  return false;
}

/// The options that take a value, each with what it does to the arguments.
using ValueOption = std::function<bool(const std::string& value, RunArgs* args)>;

const std::map<std::string, ValueOption>& ValueOptions() {
  static const std::map<std::string, ValueOption> options = {
      {"--exclude",
       [](const std::string& v, RunArgs* a) { return a->excludes.push_back(v), true; }},
      {"--exclude-from",
       [](const std::string& v, RunArgs* a) { return a->excludeFiles.push_back(v), !v.empty(); }},
      {"--keep-last",
       [](const std::string& v, RunArgs* a) { return ParseCount(v, &a->keep.last); }},
      {"--keep-hourly",
       [](const std::string& v, RunArgs* a) { return ParseCount(v, &a->keep.hourly); }},
      {"--keep-daily",
       [](const std::string& v, RunArgs* a) { return ParseCount(v, &a->keep.daily); }},
      {"--keep-weekly",
       [](const std::string& v, RunArgs* a) { return ParseCount(v, &a->keep.weekly); }},
      {"--keep-monthly",
       [](const std::string& v, RunArgs* a) { return ParseCount(v, &a->keep.monthly); }},
      {"--keep-within",
       [](const std::string& v, RunArgs* a) { return ParseCount(v, &a->keep.within); }},
      {"--as-of",
       [](const std::string& v, RunArgs* a) { return a->hasAsOf = ParseMoment(v, &a->asOf); }},
      {"--schedule", [](const std::string& v, RunArgs* a) { return ParseScheduleAction(v, a); }},
      {"--budget", [](const std::string& v, RunArgs* a) { return ParsePercent(v, &a->budget); }},
  };
  return options;
}

/// The options without a value.
bool ApplyFlag(const std::string& arg, RunArgs* args) {
  if (arg == "--time-versioning") return args->timeVersioning = true;
  if (arg == "--dry-run") return args->dryRun = true;
  if (arg == "--accept-unkept-times") return args->acceptUnkeptTimes = true;
  if (arg == "--background") return args->background = true;
  if (arg == "--progress") return args->progress = RunArgs::Progress::kAlways, true;
  if (arg == "--no-progress") return args->progress = RunArgs::Progress::kNever, true;
  if (arg == "--prune-versions") return args->mode = RunArgs::Mode::kPrune, true;
  if (arg == "--versions") return args->mode = RunArgs::Mode::kVersions, true;
  if (arg == "--restore") return args->mode = RunArgs::Mode::kRestore, true;
  if (arg == "--verify") return args->mode = RunArgs::Mode::kVerify, true;
  if (arg == "--status") return args->mode = RunArgs::Mode::kStatus, true;
  if (arg == "--repair") return args->repair = true;
  if (arg == "--rebuild-record") return args->mode = RunArgs::Mode::kRebuildRecord, true;
  return false;
}

/// What is given besides the paths, to tell which options a mode does not take.
struct Given {
  bool backupOnly = false;  ///< --time-versioning, --exclude..., --progress...
  bool keep = false;
  bool budget = false;
  int modes = 0;
};

/// Reads the options into `args` and the rest into `paths`; false with args->error set.
bool ReadOptions(const std::vector<std::string>& list, RunArgs* args,
                 std::vector<std::string>* paths, Given* given) {
  bool options_done = false;
  for (size_t i = 0; i < list.size(); ++i) {
    std::string arg = list[i];
    if (options_done || arg.size() < 2 || arg[0] != '-') {
      paths->push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    std::string value;
    bool has_value = false;
    if (const size_t equals = arg.find('=');
        arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      value = arg.substr(equals + 1);
      arg.resize(equals);
      has_value = true;
    }
    const auto option = ValueOptions().find(arg);
    if (option != ValueOptions().end()) {
      if (!has_value && i + 1 == list.size()) return args->error = arg + " needs a value", false;
      if (!has_value) value = list[++i];
      if (arg == "--budget" && !option->second(value, args))
        return args->error = "--budget takes a whole percentage from 1 to 100, not " + value, false;
      if (!option->second(value, args))
        return args->error = "bad value for " + arg + ": " + value, false;
      if (arg == "--schedule") ++given->modes;
      given->keep = given->keep || arg.rfind("--keep-", 0) == 0;
      given->budget = given->budget || arg == "--budget";
      given->backupOnly = given->backupOnly || arg.rfind("--exclude", 0) == 0;
      continue;
    }
    const RunArgs::Mode before = args->mode;
    if (has_value || !ApplyFlag(arg, args))
      return args->error = "unknown option: " + list[i], false;
    if (args->mode != before) ++given->modes;
    given->backupOnly = given->backupOnly || arg == "--time-versioning" ||
                        arg == "--accept-unkept-times" || arg.find("progress") != std::string::npos;
  }
  return true;
}

bool CheckPatterns(RunArgs* args) {
  Exclusions exclusions;
  for (const std::string& text : args->excludes) {
    std::string why;
    if (!exclusions.Add(text, &why)) {
      args->error = "bad pattern \"" + text + "\": " + why;
      return false;
    }
  }
  return true;
}

/// Checks the paths and options against the mode; the error when they do not fit, else "".
std::string CheckMode(RunArgs* args, const std::vector<std::string>& paths, const Given& given) {
  using Mode = RunArgs::Mode;
  for (const std::string& path : paths)
    if (path.empty()) return "an empty path names no folder";
  if (given.modes > 1)
    return "--prune-versions, --versions, --restore, --rebuild-record, --schedule, --verify and "
           "--status go alone";
  if (args->mode != Mode::kBackup && args->mode != Mode::kUsageError &&
      (given.backupOnly || (args->background && args->mode != Mode::kVerify)))
    return "--time-versioning, --exclude, --progress and --background go with a backup only";
  if ((given.budget || args->repair) && args->mode != Mode::kVerify)
    return "--budget and --repair go with --verify only";
  if (given.keep && args->mode != Mode::kPrune) return "--keep-... go with --prune-versions only";
  if (args->hasAsOf && args->mode != Mode::kRestore) return "--as-of goes with --restore only";
  switch (args->mode) {
    case Mode::kPrune:
      if (paths.size() != 1) return "--prune-versions takes one TARGET";
      args->target = paths[0];
      return "";
    case Mode::kVersions:
      if (args->dryRun || paths.size() != 2) return "--versions takes TARGET and PATH";
      args->target = paths[0];
      args->paths = {paths[1]};
      return "";
    case Mode::kRebuildRecord:
      if (args->dryRun || paths.size() != 1) return "--rebuild-record takes one TARGET";
      args->target = paths[0];
      return "";
    case Mode::kSchedule:
      if (args->dryRun || !paths.empty()) return "--schedule takes install, remove or show only";
      return "";
    case Mode::kVerify:
    case Mode::kStatus:
      if (args->dryRun || paths.size() != 1)
        return (args->mode == Mode::kVerify ? "--verify" : "--status") +
               std::string(" takes one TARGET");
      args->target = paths[0];
      return "";
    case Mode::kRestore:
      if (args->dryRun || paths.size() < 2) return "--restore takes TARGET, DEST and PATHs";
      args->target = paths[0];
      args->dest = paths[1];
      args->paths.assign(paths.begin() + 2, paths.end());
      return "";
    default:
      break;
  }
  if (paths.empty() && !given.backupOnly && !args->dryRun) {
    args->mode = Mode::kBackupFromSettings;
    return "";
  }
  if (paths.size() != 2) return "expected SOURCE and TARGET";
  args->mode = Mode::kBackup;
  args->source = paths[0];
  args->target = paths[1];
  return "";
}

}  // namespace

RunArgs ParseRunArgs(const std::vector<std::string>& list) {
  for (const std::string& arg : list) {
    if (arg == "--") break;
    if (arg == "--help" || arg == "-h") {
      RunArgs help;
      help.mode = RunArgs::Mode::kHelp;
      return help;
    }
  }
  RunArgs args;
  std::vector<std::string> paths;
  Given given;
  if (!ReadOptions(list, &args, &paths, &given)) return UsageError(args.error);
  if (!CheckPatterns(&args)) return UsageError(args.error);
  const std::string error = CheckMode(&args, paths, given);
  if (!error.empty()) return UsageError(error);
  return args;
}

}  // namespace qs
