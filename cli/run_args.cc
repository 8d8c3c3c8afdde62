// Argument parsing kept apart from main so that it can be tested and fuzzed. Options are read
// first, in any order; then the paths are checked against what the chosen mode takes.
#include "cli/run_args.h"

#include <functional>
#include <map>

#include "engine/exclusions.h"

namespace qs {

const char kRunSynopsis[] =
    "usage: quillstone-run [OPTIONS] SOURCE TARGET\n"
    "       quillstone-run\n"
    "       quillstone-run --prune-versions [--dry-run] [--keep-... N]... TARGET\n"
    "       quillstone-run --versions TARGET PATH\n"
    "       quillstone-run --restore [--as-of \"YYYY-MM-DD HH:MM:SS\"] TARGET DEST [PATH...]\n"
    "       quillstone-run --rebuild-record TARGET\n"
    "       quillstone-run --schedule install|remove|show\n";

const char kRunUsage[] =
    "\n"
    "Copies every file below SOURCE that is new, or newer than its copy, to the same place\n"
    "below TARGET. Nothing is ever deleted. SOURCE may not be TARGET or lie inside it.\n"
    "Without arguments, the source, target and time versioning of backup_config.dat in the\n"
    "working directory are used (the file is only read); without that file nothing is done.\n"
    "\n"
    "Backup options:\n"
    "  --time-versioning     first save each copy about to be overwritten into a dated\n"
    "                        backup_YYYYMMDD_HHMMSS folder inside TARGET\n"
    "  --dry-run             decide and report as a real run would, failing what it would\n"
    "                        fail (a file it cannot read, a folder it cannot write), and\n"
    "                        write nothing; the first line says so\n"
    "  --exclude PATTERN     leave out what PATTERN names (repeatable): * and ? within one\n"
    "                        name, [abc] [a-z] [!abc] one character of a class, ** across\n"
    "                        folders, a leading / anchors at SOURCE, a trailing / names\n"
    "                        folders only; '/' between names on every system\n"
    "                          e.g. --exclude '*.tmp' --exclude 'cache/' --exclude '/build/'\n"
    "                        !PATTERN takes back in what an earlier pattern left out: the\n"
    "                        last pattern that matches decides, and nothing below a folder\n"
    "                        left out comes back; \\ takes the next character as itself\n"
    "                        (\\* \\[ \\!; on Windows \\ separates names instead)\n"
    "                          e.g. --exclude '*.log' --exclude '!keep.log'\n"
    "  --exclude-from FILE   the patterns of FILE, one a line; '#' starts a comment, and the\n"
    "                        spaces that end a line are dropped unless escaped with \\\n"
    "  --progress            show progress on standard error (shown there by default when it\n"
    "  --no-progress         is a terminal), or never show it\n"
    "  --accept-unkept-times back up to a target that does not keep last-write times (some\n"
    "                        WebDAV servers and network shares) without counting it as a\n"
    "                        failure; every run then copies every file again\n"
    "  --background          give way to what the person is doing (idle disk priority, lower\n"
    "                        processor priority), and raise a desktop notification when the\n"
    "                        backup fails (and when it succeeds, if the window asks for that)\n"
    "  e.g. quillstone-run --time-versioning --exclude '**/node_modules/' ~/Documents /mnt/usb\n"
    "\n"
    "--prune-versions TARGET: removes the version folders of TARGET that no rule keeps. The\n"
    "newest is always kept; without a --keep rule nothing goes.\n"
    "  --keep-last N         the N newest\n"
    "  --keep-hourly N       the newest of each of the last N hours that have one\n"
    "  --keep-daily N        ... of the last N days\n"
    "  --keep-weekly N       ... of the last N ISO weeks\n"
    "  --keep-monthly N      ... of the last N months\n"
    "  --keep-within DAYS    every folder less than DAYS days older than the newest\n"
    "  --dry-run             say what would go, and remove nothing\n"
    "  e.g. quillstone-run --prune-versions --keep-daily 7 --keep-weekly 4 /mnt/usb\n"
    "\n"
    "--versions TARGET PATH: lists every kept copy of the file PATH (relative to the\n"
    "backed-up folder), the current one first, then each version folder's with the moment\n"
    "its run replaced it, the latest first.\n"
    "  e.g. quillstone-run --versions /mnt/usb notes/plan.txt\n"
    "\n"
    "--restore TARGET DEST [PATH...]: rebuilds into DEST (empty or missing) the tree, or the\n"
    "PATHs, from TARGET; TARGET is never written.\n"
    "  --as-of \"YYYY-MM-DD HH:MM:SS\"  what the backup held at that local moment: the copy of\n"
    "                        the oldest version folder made after it, else the current\n"
    "                        one; a file whose copy was written later is left out, and\n"
    "                        named. Deleted files and renamed folders' old names come back.\n"
    "  e.g. quillstone-run --restore --as-of \"2026-12-01 18:00:00\" /mnt/usb ~/restored notes\n"
    "\n"
    "--schedule install|remove|show: backups while no window is open, through the system's\n"
    "scheduler, with the interval and settings of backup_config.dat in the working directory:\n"
    "a systemd user timer ($XDG_CONFIG_HOME/systemd/user/quillstone-backup.timer, catching up\n"
    "a missed run) on Linux, the task \"Quillstone Backup\" on Windows. It runs\n"
    "quillstone-run --background in that directory. Exit status 1 when the schedule could not\n"
    "be installed or enabled (the sentence says what to do).\n"
    "  e.g. cd ~/.config/quillstone && quillstone-run --schedule install\n"
    "\n"
    "--rebuild-record TARGET: makes a new record of the runs in TARGET/.quillstone from the\n"
    "copies TARGET holds now, reading and hashing each. A record there before is renamed to\n"
    "journal.replaced-YYYYMMDD_HHMMSS beside it, never deleted. Exit status 1 when a copy\n"
    "could not be read (it is recorded without its hash) or the record could not be written.\n"
    "\n"
    "Exit status: 0 when everything was done; 1 when a file failed, a folder below SOURCE (or\n"
    "SOURCE itself) could not be listed, an old version could not be kept, a version folder\n"
    "could not be removed (a prune never enters another file system mounted inside),\n"
    "nothing of a PATH was restored, or TARGET does not keep last-write times (unless\n"
    "accepted); 2 for a usage error (nothing is written then).\n";

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
  if (arg == "--rebuild-record") return args->mode = RunArgs::Mode::kRebuildRecord, true;
  return false;
}

/// What is given besides the paths, to tell which options a mode does not take.
struct Given {
  bool backupOnly = false;  ///< --time-versioning, --exclude..., --progress...
  bool keep = false;
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
      if (!option->second(value, args))
        return args->error = "bad value for " + arg + ": " + value, false;
      if (arg == "--schedule") ++given->modes;
      given->keep = given->keep || arg.rfind("--keep-", 0) == 0;
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
    return "--prune-versions, --versions, --restore, --rebuild-record and --schedule go alone";
  if (args->mode != Mode::kBackup && args->mode != Mode::kUsageError &&
      (given.backupOnly || args->background))
    return "--time-versioning, --exclude, --progress and --background go with a backup only";
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
