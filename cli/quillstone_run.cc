// quillstone-run: one backup without a window; the log goes to standard output.
#include <cstdlib>

#include "cli/run_args.h"
#include "engine/backup_job.h"
#include "platform/broken_pipe.h"
#include "platform/console.h"
#include "platform/program_args.h"
#include "settings/settings_file.h"

namespace {

/// QS_FILE_THREADS and QS_FLUSH_BATCH override the number of file threads and of copies
/// flushed together (for measurements); unset or 0: the job's own choice.
int NumberFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::atoi(value) : 0;
}

int RunOnce(const std::string& source, const std::string& target, bool time_versioning) {
  const std::unique_ptr<qs::FileSystem> fs = qs::MakeRealFileSystem();
  qs::JobServices services;
  services.fs = fs.get();
  services.log.clock = &qs::RealClock();
  services.log.console = &qs::StandardOutput();
  // Into a file or a pipe the log is written in blocks, as other tools do; a person at a
  // terminal sees every line as it happens.
  services.log.flushEachLine = qs::StandardOutputIsTerminal();
  services.fileThreads = NumberFromEnvironment("QS_FILE_THREADS");
  if (const int batch = NumberFromEnvironment("QS_FLUSH_BATCH")) services.flushBatch = batch;
  qs::BackupJob job(source, target, nullptr, nullptr, time_versioning, services);
  job.RunBackup();
  return job.results.AnyFailed() ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  // The log is a by-product: a reader that leaves early must not stop the copies.
  qs::IgnoreBrokenPipes();
  // UTF-8 on every system: on Windows argv would hold the ANSI code page.
  const std::vector<std::string> program_args = qs::ProgramArguments(argc, argv);
  const qs::RunArgs args = qs::ParseRunArgs(std::vector<std::string>(
      program_args.begin() + (program_args.empty() ? 0 : 1), program_args.end()));
  switch (args.mode) {
    case qs::RunArgs::Mode::kHelp:
      qs::StandardOutput() << qs::kRunUsage << std::flush;
      return 0;
    case qs::RunArgs::Mode::kUsageError:
      qs::StandardError() << "quillstone-run: " << args.error << "\n"
                          << qs::kRunUsage << std::flush;
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
