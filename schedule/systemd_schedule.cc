// The units are written first, then handed to the user's systemd manager. Without one (a
// container, a session without systemd) the units stay written and the person is told the
// one command that enables them later: the install is then not complete.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/paths.h"
#include "os/error_text.h"
#include "schedule/auto_backup.h"
#include "schedule/background_schedule.h"
#include "schedule/systemd_units.h"

namespace qs {

namespace {

constexpr char kEnableCommand[] =
    "systemctl --user daemon-reload && systemctl --user enable --now quillstone-backup.timer";

struct UnitPaths {
  explicit UnitPaths(const std::string& folder)
      : service(folder + kPathSeparator + kServiceUnitName),
        timer(folder + kPathSeparator + kTimerUnitName),
        wants(folder + kPathSeparator + "timers.target.wants" + kPathSeparator + kTimerUnitName) {}
  std::string service;
  std::string timer;
  std::string wants;  ///< the link that `systemctl enable` makes
};

ProgramOutput Systemctl(const ScheduleSeams& seams, std::vector<std::string> args) {
  args.insert(args.begin(), {"systemctl", "--user"});
  return seams.runner.Run(args);
}

bool MakeFolders(FileSystem& fs, const std::string& folder) {
  if (fs.Probe(folder) == PathKind::Directory) return true;
  if (HasParent(folder) && !ParentPath(folder).empty() && !MakeFolders(fs, ParentPath(folder)))
    return false;
  return fs.MakeDirectory(folder) != MakeDirResult::Failed;
}

/// Writes the service, then the timer that starts it; false when either could not be written.
bool WriteUnits(const ScheduleRequest& request, const CalendarPlan& plan, FileSystem& fs,
                std::ostream& out) {
  const UnitPaths paths(request.unitFolder);
  const UnitRequest unit{request.program, request.settingsFolder, request.intervalMinutes};
  if (!MakeFolders(fs, request.unitFolder)) {
    out << "Cannot create the folder " << request.unitFolder << ": "
        << ErrorCodeText(fs.LastErrorCode()) << "\n";
    return false;
  }
  for (const auto& [path, text] : {std::pair{paths.service, ServiceUnitText(unit)},
                                   std::pair{paths.timer, TimerUnitText(plan)}}) {
    if (!fs.WriteWholeFile(path, text)) {
      out << "Cannot write " << path << ": " << ErrorCodeText(fs.LastErrorCode()) << "\n";
      return false;
    }
  }
  out << "Written: " << paths.timer << " and " << kServiceUnitName
      << " beside it: " << request.program << " --background in " << request.settingsFolder
      << ".\n";
  return true;
}

int Install(const ScheduleRequest& request, const ScheduleSeams& seams, std::ostream& out) {
  const std::string problem = UnitPathProblem({request.program, request.settingsFolder, 0});
  if (!problem.empty()) return out << problem << " Nothing was written.\n", 1;
  const int32_t interval = UsableInterval(request.intervalMinutes);
  const CalendarPlan plan = CalendarFor(interval);
  if (!WriteUnits(request, plan, seams.fs, out)) return 1;
  if (plan.periodMinutes != interval)
    out << "A systemd calendar repeats only at periods that divide a day or a week: the timer "
           "runs every "
        << plan.periodMinutes << " minutes, not every " << interval << ".\n";
  ProgramOutput said = Systemctl(seams, {"daemon-reload"});
  if (said.status == 0) said = Systemctl(seams, {"enable", "--now", kTimerUnitName});
  if (said.status != 0) {
    out << "The timer is not enabled: systemctl --user said \"" << FirstLineOf(said.output)
        << "\". Enable it in your desktop session with:\n  " << kEnableCommand << "\n";
    return 1;
  }
  out << "Enabled: a backup every " << plan.periodMinutes
      << " minutes, and one missed while the computer was off or asleep runs when it is back.\n";
  return 0;
}

bool RemoveIfThere(FileSystem& fs, const std::string& path, std::ostream& out) {
  if (fs.Probe(path) == PathKind::Missing || fs.RemoveFile(path)) return true;
  out << "Cannot remove " << path << ": " << ErrorCodeText(fs.LastErrorCode()) << "\n";
  return false;
}

int Remove(const ScheduleRequest& request, const ScheduleSeams& seams, std::ostream& out) {
  const UnitPaths paths(request.unitFolder);
  FileSystem& fs = seams.fs;
  if (fs.Probe(paths.timer) == PathKind::Missing && fs.Probe(paths.service) == PathKind::Missing &&
      fs.Probe(paths.wants) == PathKind::Missing) {
    out << "No background schedule is installed in " << request.unitFolder << ".\n";
    return 0;
  }
  const ProgramOutput said = Systemctl(seams, {"disable", "--now", kTimerUnitName});
  // Without a manager, `disable` could not remove its link: that is done here.
  if (!RemoveIfThere(fs, paths.wants, out) || !RemoveIfThere(fs, paths.timer, out) ||
      !RemoveIfThere(fs, paths.service, out))
    return 1;
  if (said.status == 0) Systemctl(seams, {"daemon-reload"});
  out << "Removed: " << paths.timer << " and " << kServiceUnitName << " beside it.\n";
  if (said.status != 0)
    out << "systemctl --user said \"" << FirstLineOf(said.output)
        << "\": no timer of this session was running it.\n";
  return 0;
}

std::string ReadText(const std::string& path) {
  std::ifstream file(std::filesystem::path(std::u8string(path.begin(), path.end())));
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

/// The lines of `text` that set one of `keys`, each as it is.
void ShowSettings(const std::string& text, std::initializer_list<const char*> keys,
                  std::ostream& out) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);)
    for (const char* key : keys)
      if (line.rfind(std::string(key) + "=", 0) == 0) out << "  " << line << "\n";
}

int Show(const ScheduleRequest& request, const ScheduleSeams& seams, std::ostream& out) {
  const UnitPaths paths(request.unitFolder);
  if (seams.fs.Probe(paths.timer) == PathKind::Missing) {
    out << "Background schedule: not installed (no " << paths.timer << ").\n";
    return 0;
  }
  out << "Background schedule: " << paths.timer << "\n";
  ShowSettings(ReadText(paths.timer), {"Description", "OnCalendar", "Persistent"}, out);
  out << "Service: " << paths.service << "\n";
  ShowSettings(ReadText(paths.service), {"WorkingDirectory", "ExecStart"}, out);
  const ProgramOutput enabled = Systemctl(seams, {"is-enabled", kTimerUnitName});
  out << "Enabled: " << (enabled.status == 0 ? "yes" : "no")
      << " (systemctl --user is-enabled: " << FirstLineOf(enabled.output) << ")\n";
  const ProgramOutput next =
      Systemctl(seams, {"show", kTimerUnitName, "--property=NextElapseUSecRealtime", "--value"});
  if (next.status == 0 && FirstLineOf(next.output) != "(nothing)")
    out << "Next run: " << FirstLineOf(next.output) << "\n";
  return 0;
}

}  // namespace

int RunSystemdScheduleAction(ScheduleAction action, const ScheduleRequest& request,
                             const ScheduleSeams& seams, std::ostream& out) {
  switch (action) {
    case ScheduleAction::kInstall:
      return Install(request, seams, out);
    case ScheduleAction::kRemove:
      return Remove(request, seams, out);
    case ScheduleAction::kShow:
      return Show(request, seams, out);
  }
  return 1;
}

}  // namespace qs
