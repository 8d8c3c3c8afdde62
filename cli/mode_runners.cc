// What runs each mode, beside the mode table rather than in it: the parser, built and fuzzed
// alone, must not pull in every command.
#include "cli/mode_runners.h"

#include "cli/backup_command.h"
#include "cli/check_command.h"
#include "cli/prune_command.h"
#include "cli/rebuild_record_command.h"
#include "cli/restore_command.h"
#include "cli/run_usage.h"
#include "cli/schedule_command.h"

namespace qs {

namespace {

using Mode = RunArgs::Mode;

int ShowHelp(const RunArgs&, const RunnerContext& context) {
  *context.log.console << RunHelp() << std::flush;
  return 0;
}

int ShowUsageError(const RunArgs& args, const RunnerContext& context) {
  return UsageError(context, args.error);
}

const struct {
  Mode mode;
  int (*run)(const RunArgs& args, const RunnerContext& context);
} kRunners[] = {
    {Mode::kHelp, ShowHelp},
    {Mode::kUsageError, ShowUsageError},
    {Mode::kBackup, RunBackupCommand},
    {Mode::kBackupFromSettings, RunBackupFromSettings},
    {Mode::kPrune, RunPruneCommand},
    {Mode::kVersions, RunVersionsCommand},
    {Mode::kRestore, RunRestoreCommand},
    {Mode::kRebuildRecord, RunRebuildRecordCommand},
    {Mode::kSchedule, RunScheduleCommand},
    {Mode::kVerify, RunCheckCommand},
    {Mode::kStatus, RunStatusCommand},
};

}  // namespace

bool HasRunner(RunArgs::Mode mode) {
  for (const auto& runner : kRunners)
    if (runner.mode == mode) return true;
  return false;
}

int RunChosenMode(const RunArgs& args, const RunnerContext& context) {
  for (const auto& runner : kRunners)
    if (runner.mode == args.mode) return runner.run(args, context);
  return 2;
}

}  // namespace qs
