// Backups with the window closed, through the system's own scheduler: a systemd user timer
// on Linux, a Task Scheduler task on Windows. Installing, removing and showing the schedule
// are portable code over the file-system and program seams, so both are tested everywhere.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "os/clock.h"
#include "os/file_system.h"
#include "os/program_runner.h"
#include "os/system_scheduler.h"

namespace qs {

enum class ScheduleAction { kInstall, kRemove, kShow };

struct ScheduleRequest {
  std::string program;         ///< the absolute path of the quillstone-run to start
  std::string settingsFolder;  ///< absolute: where its backup_config.dat is
  int32_t intervalMinutes = 60;
  std::string unitFolder;  ///< systemd: the user's unit folder ($XDG_CONFIG_HOME/systemd/user)
  std::string tempFolder;  ///< Task Scheduler: where the task's XML is left for schtasks
  LocalTime now;           ///< Task Scheduler: the first start of the task
};

struct ScheduleSeams {
  FileSystem& fs;
  ProgramRunner& runner;
};

/// Carries out `action` with `scheduler`; what happened goes to `out`, a sentence a line.
/// Returns 0 when it is done, 1 when it is not, or only in part: `out` then says why, and what
/// the person can do. Showing that nothing is installed is done too.
int RunScheduleAction(SystemScheduler scheduler, ScheduleAction action,
                      const ScheduleRequest& request, const ScheduleSeams& seams,
                      std::ostream& out);

/// The systemd user service and timer in request.unitFolder, enabled through systemctl --user.
int RunSystemdScheduleAction(ScheduleAction action, const ScheduleRequest& request,
                             const ScheduleSeams& seams, std::ostream& out);

/// The task "Quillstone Backup" of the user, registered through schtasks.
int RunTaskScheduleAction(ScheduleAction action, const ScheduleRequest& request,
                          const ScheduleSeams& seams, std::ostream& out);

/// The first line of a program's output, for a sentence that quotes it.
std::string FirstLineOf(const std::string& output);

}  // namespace qs
