// The runner schedules itself: its own path, with the working directory as the settings
// folder.
#include "cli/schedule_command.h"

#include "os/program_path.h"
#include "schedule/schedule_setup.h"

namespace qs {

int RunScheduleCommand(const RunArgs& args, const RunnerContext& context) {
  std::ostream& out = *context.log.console;
  std::string problem;
  const int status = SetUpSchedule(args.scheduleAction, ThisProgramPath(), *context.log.clock,
                                   context.fs, out, &problem);
  if (!problem.empty()) return UsageError(context, problem);
  out.flush();
  return status;
}

}  // namespace qs
