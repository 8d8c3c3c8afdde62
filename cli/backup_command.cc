// The patterns of --exclude-from are read before the run starts, so that a bad one stops the
// runner before it writes anything. Progress shares the terminal with the log, when the two
// show on one, through LogBesideProgress.
#include "cli/backup_command.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "cli/background_run.h"
#include "cli/progress_line.h"
#include "engine/backup_request.h"
#include "engine/backup_run.h"
#include "engine/dry_run_file_system.h"
#include "engine/root_overlap.h"
#include "log/backup_log.h"
#include "log/file_log.h"
#include "os/console.h"
#include "schedule/settings_exclusions.h"
#include "settings/exclusions_file.h"
#include "settings/settings_file.h"

namespace qs {

namespace {

/// The whole file at `path` (UTF-8 on every system); false when it cannot be read.
bool ReadTextFile(const std::string& path, std::string* text) {
  std::ifstream file(std::filesystem::path(std::u8string(path.begin(), path.end())),
                     std::ios::binary);
  if (!file) return false;
  std::ostringstream content;
  content << file.rdbuf();
  *text = content.str();
  return !file.bad();
}

/// QS_FILE_THREADS and QS_FLUSH_BATCH override the number of file threads and of copies
/// flushed together (for measurements); unset or 0: the pass's own choice.
int NumberFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::atoi(value) : 0;
}

/// Why the file of --exclude-from cannot be read, or "" when it was.
std::string ReadPatternFile(FileSystem& fs, const std::string& file, std::string* text) {
  // A folder opens as a file on some systems and reads as empty: no pattern would be left.
  const PathKind kind = fs.Probe(file);
  if (kind == PathKind::Directory) return "--exclude-from names a folder, not a file: " + file;
  if (kind == PathKind::Missing) return "--exclude-from names no file: " + file;
  if (kind != PathKind::File || !ReadTextFile(file, text))
    return "--exclude-from cannot read " + file;
  return "";
}

/// The patterns of the command line and of its files; false with the reason when one is not a
/// pattern or a file cannot be read.
bool ReadExclusions(FileSystem& fs, const RunArgs& args, Exclusions* exclusions, std::string* why) {
  for (const std::string& pattern : args.excludes)
    if (!exclusions->Add(pattern, why)) return false;
  for (const std::string& file : args.excludeFiles) {
    std::string text;
    if (*why = ReadPatternFile(fs, file, &text); !why->empty()) return false;
    if (!AddExclusionLines(text, exclusions, why)) return *why = file + ", " + *why, false;
  }
  return true;
}

/// Why SOURCE and TARGET cannot make a backup, or "".
std::string CheckRoots(FileSystem& fs, const RunArgs& args) {
  switch (CompareRoots(fs, args.source, args.target)) {
    case RootOverlap::kSame:
      return "SOURCE and TARGET are the same folder: " + args.source;
    case RootOverlap::kSourceInside:
      return "SOURCE lies inside TARGET, so each run would copy the backup into itself: " +
             args.source;
    default:
      return "";
  }
}

bool ShowsProgress(const RunArgs& args) {
  if (args.progress == RunArgs::Progress::kAlways) return true;
  return args.progress == RunArgs::Progress::kOnTerminal && StandardErrorIsTerminal();
}

/// The tuning those two variables ask for.
BackupTuning TuningFromEnvironment() {
  BackupTuning tuning;
  tuning.fileThreads = NumberFromEnvironment("QS_FILE_THREADS");
  if (const int batch = NumberFromEnvironment("QS_FLUSH_BATCH")) tuning.flushBatch = batch;
  return tuning;
}

/// What the command line asks for; the progress line needs the files' sizes.
BackupOptions RequestOf(const RunArgs& args, Exclusions exclusions, bool shows_progress) {
  return BackupRequest(args.source, args.target, args.timeVersioning)
      .Excluding(std::move(exclusions))
      .DryRun(args.dryRun)
      .MeasuringSizes(shows_progress)
      .AcceptingUnkeptTimes(args.acceptUnkeptTimes)
      .Tuned(TuningFromEnvironment())
      .Build();
}

/// What a run tells of its events before its two logs (the notification of a background run,
/// then the progress line), and where its backup log's entries go.
struct RunnerObservers {
  LogServices log;
  std::vector<RunObserver*> observers;
  std::unique_ptr<BackgroundRun> background;
  std::unique_ptr<ProgressLine> progress;
  std::unique_ptr<LogBesideProgress> beside;
  std::unique_ptr<std::ostream> logOut;
};

/// Makes them. Before the run: the priority must be lowered before any file thread starts.
void MakeObservers(const RunArgs& args, bool shows_progress, const RunnerContext& context,
                   RunnerObservers* run) {
  run->log = context.log;
  if (args.background) run->background = std::make_unique<BackgroundRun>(context, &run->observers);
  if (!shows_progress) return;
  const bool terminal = StandardErrorIsTerminal();
  run->progress = std::make_unique<ProgressLine>(
      *context.log.clock, context.error,
      ProgressLine::Where{terminal, StandardErrorColumns, context.log.console});
  // Into a file or a pipe the log never needs room made: nothing of it is ever erased.
  if (terminal && StandardStreamsShareTerminal()) {
    run->beside =
        std::make_unique<LogBesideProgress>(*context.log.console->rdbuf(), *run->progress);
    run->logOut = std::make_unique<std::ostream>(run->beside.get());
    run->log.console = run->logOut.get();
  }
  run->observers.push_back(run->progress.get());
}

/// The backup of `args` with `exclusions` besides those of the command line.
int RunBackupWith(const RunArgs& args, Exclusions exclusions, const RunnerContext& context) {
  std::string why = CheckRoots(context.fs, args);
  if (!why.empty() || !ReadExclusions(context.fs, args, &exclusions, &why))
    return UsageError(context, why);
  const bool shows_progress = ShowsProgress(args);
  const BackupOptions request = RequestOf(args, std::move(exclusions), shows_progress);
  DryRunFileSystem dry_run(context.fs);
  RunnerObservers run;
  MakeObservers(args, shows_progress, context, &run);
  // No panes: the backup log's entries go to the console of run.log.
  BackupLogObserver backup_log(nullptr, run.log, request.sourceRoot);
  FileLogObserver file_log(nullptr, request.sourceRoot);
  run.observers.push_back(&file_log);
  run.observers.push_back(&backup_log);
  RunFanOut observer(run.observers);
  FileSystem& fs = args.dryRun ? static_cast<FileSystem&>(dry_run) : context.fs;
  const BackupResults results = RunBackup(fs, *context.log.clock, request, observer);
  if (run.background) run.background->AfterRun(backup_log);
  if (run.logOut) run.logOut->flush();
  return results.AnyFailed() ? 1 : 0;
}

}  // namespace

int RunBackupCommand(const RunArgs& args, const RunnerContext& context) {
  return RunBackupWith(args, Exclusions(), context);
}

int RunBackupFromSettings(const RunArgs& args, const RunnerContext& context) {
  AppSettings settings;
  if (!LoadSettingsWithFolders(kSettingsFileName, &settings)) {
    const std::string problem =
        "no settings file was found in the working folder (backup_config.dat with a source "
        "and a target); give SOURCE and TARGET";
    if (args.background) NotifyRunNotStarted(context, "quillstone-run: " + problem + ".");
    return UsageError(context, problem);
  }
  // Left out of no run of the settings: a file that cannot be used stops the run, as a
  // settings file that cannot be read does.
  Exclusions exclusions;
  std::string why;
  if (!LoadSettingsExclusions(ExclusionsPathBeside(kSettingsFileName), &exclusions, &why)) {
    if (args.background) NotifyRunNotStarted(context, "quillstone-run: " + why);
    return UsageError(context, why);
  }
  RunArgs from_settings = args;
  from_settings.source = settings.sourceDir;
  from_settings.target = settings.targetDir;
  from_settings.timeVersioning = settings.timeVersioning;
  return RunBackupWith(from_settings, std::move(exclusions), context);
}

}  // namespace qs
