// quillstone-run: a backup without a window, and what a user of the backup needs besides:
// pruning old versions, listing a file's versions, restoring, checking the copies, the status
// of a target, and its schedule while no window is open. The log goes to standard output.
#include "cli/mode_runners.h"
#include "cli/run_args.h"
#include "cli/runner_context.h"
#include "os/broken_pipe.h"
#include "os/console.h"
#include "os/program_args.h"

int main(int argc, char** argv) {
  // The log is a by-product: a reader that leaves early must not stop the copies.
  qs::IgnoreBrokenPipes();
  // UTF-8 on every system: on Windows argv would hold the ANSI code page.
  const std::vector<std::string> program_args = qs::ProgramArguments(argc, argv);
  const qs::RunArgs args = qs::ParseRunArgs(std::vector<std::string>(
      program_args.begin() + (program_args.empty() ? 0 : 1), program_args.end()));
  const std::unique_ptr<qs::FileSystem> fs = qs::MakeRealFileSystem();
  qs::LogServices log;
  log.clock = &qs::RealClock();
  log.console = &qs::StandardOutput();
  // Into a file or a pipe the log is written in blocks, as other tools do; a person at a
  // terminal sees every line as it happens.
  log.flushEachLine = qs::StandardOutputIsTerminal();
  const qs::RunnerContext context{*fs, log, qs::StandardError()};
  const int status = qs::RunChosenMode(args, context);
  log.console->flush();
  return status;
}
