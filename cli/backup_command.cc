// The patterns of --exclude-from are read before the run starts, so that a bad one stops the
// runner before it writes anything. Progress shares the terminal with the log through
// LogBesideProgress.
#include "cli/backup_command.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "cli/background_run.h"
#include "cli/progress_line.h"
#include "engine/backup_job.h"
#include "engine/dry_run_file_system.h"
#include "platform/console.h"
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
/// flushed together (for measurements); unset or 0: the job's own choice.
int NumberFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::atoi(value) : 0;
}

/// The patterns of the command line and of its files; false with the reason when one is not a
/// pattern or a file cannot be read.
bool ReadExclusions(const RunArgs& args, Exclusions* exclusions, std::string* why) {
  for (const std::string& pattern : args.excludes)
    if (!exclusions->Add(pattern, why)) return false;
  for (const std::string& file : args.excludeFiles) {
    std::string text;
    if (!ReadTextFile(file, &text)) return *why = "cannot read " + file, false;
    if (!AddExclusionLines(text, exclusions, why)) return *why = file + ", " + *why, false;
  }
  return true;
}

bool ShowsProgress(const RunArgs& args) {
  if (args.progress == RunArgs::Progress::kAlways) return true;
  return args.progress == RunArgs::Progress::kOnTerminal && StandardErrorIsTerminal();
}

}  // namespace

int RunBackupCommand(const RunArgs& args, const RunnerContext& context) {
  BackupOptions request = BackupOptions::Of(args.source, args.target, args.timeVersioning);
  std::string why;
  if (!ReadExclusions(args, &request.exclusions, &why)) return UsageError(context, why);
  request.dryRun = args.dryRun;
  DryRunFileSystem dry_run(context.fs);
  JobServices services;
  services.fs = args.dryRun ? &dry_run : &context.fs;
  services.log = context.log;
  services.fileThreads = NumberFromEnvironment("QS_FILE_THREADS");
  if (const int batch = NumberFromEnvironment("QS_FLUSH_BATCH")) services.flushBatch = batch;
  // Before the job: the priority must be lowered before any file thread starts.
  std::unique_ptr<BackgroundRun> background;
  if (args.background) background = std::make_unique<BackgroundRun>(context, &services);
  std::unique_ptr<ProgressLine> progress;
  std::unique_ptr<LogBesideProgress> beside;
  std::unique_ptr<std::ostream> log_out;
  if (ShowsProgress(args)) {
    request.measureSizes = true;
    progress = std::make_unique<ProgressLine>(*context.log.clock, context.error);
    beside = std::make_unique<LogBesideProgress>(*context.log.console->rdbuf(), *progress);
    log_out = std::make_unique<std::ostream>(beside.get());
    services.log.console = log_out.get();
    services.observers.push_back(progress.get());
  }
  BackupJob job(request, nullptr, nullptr, services);
  job.RunBackup();
  if (background) background->AfterRun(job);
  if (log_out) log_out->flush();
  return job.results.AnyFailed() ? 1 : 0;
}

int RunBackupFromSettings(const RunArgs& args, const RunnerContext& context) {
  AppSettings settings;
  std::string problem;
  if (!ReadSettingsFile(kSettingsFileName, &settings))
    problem = std::string("cannot read ") + kSettingsFileName +
              " in the working directory: start the runner where the window keeps its "
              "settings, or give SOURCE and TARGET";
  else if (settings.sourceDir.empty() || settings.targetDir.empty())
    problem = std::string(kSettingsFileName) + " names no source or no target folder";
  if (!problem.empty()) {
    if (args.background) NotifyRunNotStarted(context, "quillstone-run: " + problem + ".");
    return UsageError(context, problem);
  }
  RunArgs from_settings = args;
  from_settings.source = settings.sourceDir;
  from_settings.target = settings.targetDir;
  from_settings.timeVersioning = settings.timeVersioning;
  return RunBackupCommand(from_settings, context);
}

}  // namespace qs
