// quillstone-run: one backup without a window; the log goes to standard output.
#include <iostream>

#include "cli/run_args.h"
#include "engine/backup_job.h"
#include "platform/broken_pipe.h"
#include "settings/settings_file.h"

namespace {

int FilesSeen(const qs::BackupCounters& counters) {
  return counters.copied + counters.updated + counters.skipped + counters.failed;
}

/// The scan passes over a source it cannot list in silence, so the log shows an empty run;
/// the script or scheduler that called the runner must not take that for a backup.
bool ReportUnlistableSource(const std::string& source, const std::string& root) {
  qs::FileSystem& fs = qs::RealFileSystem();
  qs::DirListing listing;
  if (fs.ListDirectory(root.empty() ? "." : root, &listing)) return false;
  std::cerr << "quillstone-run: cannot list the source folder " << source
            << " Error: " << fs.LastErrorCode() << "\n";
  return true;
}

int RunOnce(const std::string& source, const std::string& target, bool time_versioning) {
  qs::BackupJob job(source, target, nullptr, nullptr, time_versioning);
  job.RunBackup();
  const bool any_failed = job.counters.failed > 0 || job.timeVersionFailures > 0;
  // Only a run that saw no file at all can have had an unlistable source.
  if (FilesSeen(job.counters) == 0 && ReportUnlistableSource(source, job.sourceRoot)) return 1;
  return any_failed ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The log is a by-product: a reader that leaves early must not stop the copies.
  qs::IgnoreBrokenPipes();
  const qs::RunArgs args = qs::ParseRunArgs(std::vector<std::string>(argv + 1, argv + argc));
  switch (args.mode) {
    case qs::RunArgs::Mode::kHelp:
      std::cout << qs::kRunUsage;
      return 0;
    case qs::RunArgs::Mode::kUsageError:
      std::cerr << "quillstone-run: " << args.error << "\n" << qs::kRunUsage;
      return 2;
    case qs::RunArgs::Mode::kBackupFromSettings: {
      const qs::AppSettings settings = qs::LoadSettings();
      return RunOnce(settings.sourceDir, settings.targetDir, settings.timeVersioning);
    }
    case qs::RunArgs::Mode::kBackup:
      return RunOnce(args.source, args.target, args.timeVersioning);
  }
  return 2;
}
