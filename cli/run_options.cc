// The runner's options, one row each. The rows stand in the order of their lines in --help.
#include "cli/run_options.h"

#include "cli/run_values.h"

namespace qs {

namespace {

using Mode = RunArgs::Mode;

constexpr ModeSet kBackup = ModeBit(Mode::kBackup);
constexpr ModeSet kPrune = ModeBit(Mode::kPrune);
constexpr ModeSet kVerify = ModeBit(Mode::kVerify);

bool Nothing(const std::string&, RunArgs*) { return true; }

const RunOption kOptions[] = {
    {"--time-versioning",
     nullptr,
     [](const std::string&, RunArgs* a) { return a->timeVersioning = true; },
     kBackup,
     Refusal::kBackupOnly,
     {{Mode::kBackup,
       "first save each copy about to be overwritten into a dated\n"
       "backup_YYYYMMDD_HHMMSS folder inside TARGET"}}},
    {"--keep-last",
     "N",
     [](const std::string& v, RunArgs* a) { return ParseCount(v, &a->keep.last); },
     kPrune,
     Refusal::kPruneOnly,
     {{Mode::kPrune, "the N newest"}}},
    {"--keep-hourly",
     "N",
     [](const std::string& v, RunArgs* a) { return ParseCount(v, &a->keep.hourly); },
     kPrune,
     Refusal::kPruneOnly,
     {{Mode::kPrune, "the newest of each of the last N hours that have one"}}},
    {"--keep-daily",
     "N",
     [](const std::string& v, RunArgs* a) { return ParseCount(v, &a->keep.daily); },
     kPrune,
     Refusal::kPruneOnly,
     {{Mode::kPrune, "... of the last N days"}}},
    {"--keep-weekly",
     "N",
     [](const std::string& v, RunArgs* a) { return ParseCount(v, &a->keep.weekly); },
     kPrune,
     Refusal::kPruneOnly,
     {{Mode::kPrune, "... of the last N ISO weeks"}}},
    {"--keep-monthly",
     "N",
     [](const std::string& v, RunArgs* a) { return ParseCount(v, &a->keep.monthly); },
     kPrune,
     Refusal::kPruneOnly,
     {{Mode::kPrune, "... of the last N months"}}},
    {"--keep-within",
     "DAYS",
     [](const std::string& v, RunArgs* a) { return ParseCount(v, &a->keep.within); },
     kPrune,
     Refusal::kPruneOnly,
     {{Mode::kPrune, "every folder less than DAYS days older than the newest"}}},
    {"--dry-run",
     nullptr,
     [](const std::string&, RunArgs* a) { return a->dryRun = true; },
     kBackup | kPrune,
     Refusal::kModeMisfit,
     {{Mode::kBackup,
       "decide and report as a real run would, failing what it would\n"
       "fail (a file it cannot read, a folder it cannot write), and\n"
       "write nothing; the first line says so"},
      {Mode::kPrune, "say what would go, and remove nothing"}}},
    {"--exclude",
     "PATTERN",
     [](const std::string& v, RunArgs* a) { return a->excludes.push_back(v), true; },
     kBackup,
     Refusal::kBackupOnly,
     {{Mode::kBackup,
       "leave out what PATTERN names (repeatable): * and ? within one\n"
       "name, [abc] [a-z] [!abc] one character of a class, ** across\n"
       "folders, a leading / anchors at SOURCE, a trailing / names\n"
       "folders only; '/' between names on every system\n"
       "  e.g. --exclude '*.tmp' --exclude 'cache/' --exclude '/build/'\n"
       "!PATTERN takes back in what an earlier pattern left out: the\n"
       "last pattern that matches decides, and nothing below a folder\n"
       "left out comes back; \\ takes the next character as itself\n"
       "(\\* \\[ \\!; on Windows \\ separates names instead)\n"
       "  e.g. --exclude '*.log' --exclude '!keep.log'"}}},
    {"--exclude-from",
     "FILE",
     [](const std::string& v, RunArgs* a) { return a->excludeFiles.push_back(v), !v.empty(); },
     kBackup,
     Refusal::kBackupOnly,
     {{Mode::kBackup,
       "the patterns of FILE, one a line; '#' starts a comment, and the\n"
       "spaces that end a line are dropped unless escaped with \\"}}},
    {"--progress",
     nullptr,
     [](const std::string&, RunArgs* a) { return a->progress = RunArgs::Progress::kAlways, true; },
     kBackup,
     Refusal::kBackupOnly,
     {{Mode::kBackup, "show progress on standard error (shown there by default when it"}}},
    {"--no-progress",
     nullptr,
     [](const std::string&, RunArgs* a) { return a->progress = RunArgs::Progress::kNever, true; },
     kBackup,
     Refusal::kBackupOnly,
     {{Mode::kBackup, "is a terminal), or never show it"}}},
    {"--accept-unkept-times",
     nullptr,
     [](const std::string&, RunArgs* a) { return a->acceptUnkeptTimes = true; },
     kBackup,
     Refusal::kBackupOnly,
     {{Mode::kBackup,
       "back up to a target that does not keep last-write times (some\n"
       "WebDAV servers and network shares) without counting it as a\n"
       "failure; every run then copies every file again"}}},
    {"--budget",
     "PERCENT",
     [](const std::string& v, RunArgs* a) { return ParsePercent(v, &a->budget); },
     kVerify,
     Refusal::kVerifyOnly,
     {{Mode::kVerify,
       "read about PERCENT % (1 to 100, default 100) of the bytes: each\n"
       "check goes on where the last one stopped, so that every copy is\n"
       "read at least once in any ceil(100/PERCENT) checks in a row"}},
     Mode::kUsageError,
     "--budget takes a whole percentage from 1 to 100, not "},
    {"--repair",
     nullptr,
     [](const std::string&, RunArgs* a) { return a->repair = true; },
     kVerify,
     Refusal::kVerifyOnly,
     {{Mode::kVerify,
       "copy a damaged current copy again from the source when the\n"
       "source still has the recorded size, time and hash; an old\n"
       "version from another copy with its hash. Exit status 1 while\n"
       "any damage remains"}}},
    {"--background",
     nullptr,
     [](const std::string&, RunArgs* a) { return a->background = true; },
     kBackup | ModeBit(Mode::kBackupFromSettings) | kVerify,
     Refusal::kBackupOnly,
     {{Mode::kBackup,
       "give way to what the person is doing (idle disk priority, lower\n"
       "processor priority), and raise a desktop notification when the\n"
       "backup fails (and when it succeeds, if the window asks for that)"},
      {Mode::kVerify,
       "as for a backup, with a desktop notification when a copy is\n"
       "found damaged"}}},
    {"--as-of",
     "\"YYYY-MM-DD HH:MM:SS\"",
     [](const std::string& v, RunArgs* a) { return a->hasAsOf = ParseMoment(v, &a->asOf); },
     ModeBit(Mode::kRestore),
     Refusal::kRestoreOnly,
     {{Mode::kRestore,
       "the tree as the last run that had ended by that local\n"
       "moment saw the source, each copy checked against the hash\n"
       "the record of the runs keeps; a state no longer kept is\n"
       "named. Without a record: the copy of the oldest version\n"
       "folder made after it, else the current one; a file whose\n"
       "copy was written later is left out, and named; deleted files\n"
       "and renamed folders' old names come back."}}},
    // The options that choose a mode, in the order the error for more than one names them.
    {"--prune-versions", nullptr, Nothing, kPrune, Refusal::kModeMisfit, {}, Mode::kPrune},
    {"--versions",
     nullptr,
     Nothing,
     ModeBit(Mode::kVersions),
     Refusal::kModeMisfit,
     {},
     Mode::kVersions},
    {"--restore",
     nullptr,
     Nothing,
     ModeBit(Mode::kRestore),
     Refusal::kModeMisfit,
     {},
     Mode::kRestore},
    {"--rebuild-record",
     nullptr,
     Nothing,
     ModeBit(Mode::kRebuildRecord),
     Refusal::kModeMisfit,
     {},
     Mode::kRebuildRecord},
    {"--schedule",
     "install|remove|show",
     [](const std::string& v, RunArgs* a) { return ParseScheduleAction(v, &a->scheduleAction); },
     ModeBit(Mode::kSchedule),
     Refusal::kModeMisfit,
     {},
     Mode::kSchedule},
    {"--verify", nullptr, Nothing, kVerify, Refusal::kModeMisfit, {}, Mode::kVerify},
    {"--status", nullptr, Nothing, ModeBit(Mode::kStatus), Refusal::kModeMisfit, {}, Mode::kStatus},
};

}  // namespace

const char* RefusalText(Refusal refusal) {
  switch (refusal) {
    case Refusal::kBackupOnly:
      return "--time-versioning, --exclude, --progress and --background go with a backup only";
    case Refusal::kVerifyOnly:
      return "--budget and --repair go with --verify only";
    case Refusal::kPruneOnly:
      return "--keep-... go with --prune-versions only";
    case Refusal::kRestoreOnly:
      return "--as-of goes with --restore only";
    case Refusal::kModeMisfit:
      break;
  }
  return "";
}

std::span<const RunOption> RunOptions() { return kOptions; }

const RunOption* FindRunOption(const std::string& name) {
  for (const RunOption& option : kOptions)
    if (name == option.name) return &option;
  return nullptr;
}

}  // namespace qs
