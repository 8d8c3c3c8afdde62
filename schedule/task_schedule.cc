// schtasks registers the task from an XML file: it is written beside the user's temporary
// files and removed once schtasks has read it.
#include "os/copy_temp_name.h"
#include "os/error_text.h"
#include "schedule/auto_backup.h"
#include "schedule/background_schedule.h"
#include "schedule/task_xml.h"

namespace qs {

namespace {

ProgramOutput Schtasks(const ScheduleSeams& seams, std::vector<std::string> args) {
  args.insert(args.begin(), "schtasks");
  return seams.runner.Run(args);
}

int Install(const ScheduleRequest& request, const ScheduleSeams& seams, std::ostream& out) {
  const int32_t interval = UsableInterval(request.intervalMinutes);
  const TaskRequest task{request.program, request.settingsFolder, interval, request.now};
  const std::string xml_path = request.tempFolder + kPathSeparator + NewCopyTempName() + ".xml";
  if (!seams.fs.WriteWholeFile(xml_path, Utf16LeWithMark(TaskXml(task)))) {
    out << "Cannot write " << xml_path << ": " << ErrorCodeText(seams.fs.LastErrorCode()) << "\n";
    return 1;
  }
  const ProgramOutput said = Schtasks(seams, {"/Create", "/XML", xml_path, "/TN", kTaskName, "/F"});
  seams.fs.RemoveFile(xml_path);
  if (said.status != 0) {
    out << "The task \"" << kTaskName << "\" could not be registered: schtasks said \""
        << FirstLineOf(said.output) << "\".\n";
    return 1;
  }
  if (interval > kMaxTaskRepeatMinutes)
    out << "The Task Scheduler repeats a task at most every 31 days: the task runs every 31 "
           "days, not every "
        << interval << " minutes.\n";
  out << "Registered: the task \"" << kTaskName << "\" runs " << request.program
      << " --background in " << request.settingsFolder << " every "
      << std::min(interval, kMaxTaskRepeatMinutes)
      << " minutes, on battery too, and as soon as it can after a missed start.\n";
  return 0;
}

/// A query that succeeds yet says nothing (Wine's schtasks has no /Query) tells nothing.
bool SaidNothing(const ProgramOutput& said) { return FirstLineOf(said.output) == "(nothing)"; }

int Remove(const ScheduleSeams& seams, std::ostream& out) {
  if (Schtasks(seams, {"/Query", "/TN", kTaskName}).status != 0) {
    out << "No background schedule is registered (no task \"" << kTaskName << "\").\n";
    return 0;
  }
  const ProgramOutput said = Schtasks(seams, {"/Delete", "/TN", kTaskName, "/F"});
  if (said.status != 0) {
    out << "The task \"" << kTaskName << "\" could not be removed: schtasks said \""
        << FirstLineOf(said.output) << "\".\n";
    return 1;
  }
  out << "Removed: the task \"" << kTaskName << "\".\n";
  return 0;
}

int Show(const ScheduleSeams& seams, std::ostream& out) {
  const ProgramOutput said = Schtasks(seams, {"/Query", "/TN", kTaskName, "/V", "/FO", "LIST"});
  if (said.status != 0) {
    out << "Background schedule: not registered (schtasks said \"" << FirstLineOf(said.output)
        << "\").\n";
    return 0;
  }
  if (SaidNothing(said)) {
    out << "Background schedule: schtasks /Query said nothing of the task \"" << kTaskName
        << "\".\n";
    return 1;
  }
  out << "Background schedule: the task \"" << kTaskName << "\"\n" << said.output;
  if (!said.output.empty() && said.output.back() != '\n') out << "\n";
  return 0;
}

}  // namespace

int RunTaskScheduleAction(ScheduleAction action, const ScheduleRequest& request,
                          const ScheduleSeams& seams, std::ostream& out) {
  switch (action) {
    case ScheduleAction::kInstall:
      return Install(request, seams, out);
    case ScheduleAction::kRemove:
      return Remove(seams, out);
    case ScheduleAction::kShow:
      return Show(seams, out);
  }
  return 1;
}

}  // namespace qs
