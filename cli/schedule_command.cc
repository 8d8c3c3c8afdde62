// The request is made of what this runner knows of itself and its surroundings: its own path,
// the working directory (the settings folder), the interval of backup_config.dat there, and
// where the system keeps the user's units or temporary files.
#include "cli/schedule_command.h"

#include <cstdlib>
#include <filesystem>

#include "platform/program_path.h"
#include "settings/preferences_file.h"
#include "settings/settings_file.h"

namespace qs {

namespace {

std::string Utf8Of(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

/// $XDG_CONFIG_HOME/systemd/user, with ~/.config when it is unset or not absolute (as the
/// XDG rules say); "" without a home.
std::string UserUnitFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  std::string folder = config != nullptr && config[0] == '/' ? config : "";
  if (folder.empty()) {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') return "";
    folder = std::string(home) + "/.config";
  }
  return folder + "/systemd/user";
}

/// The request, or the reason (a usage error) it cannot be made.
std::string MakeRequest(const RunArgs& args, const RunnerContext& context,
                        ScheduleRequest* request) {
  std::error_code error;
  request->settingsFolder = Utf8Of(std::filesystem::current_path(error));
  if (error) return "cannot tell the working directory";
  request->program = ThisProgramPath();
  if (request->program.empty()) return "cannot tell where this program is";
  AppSettings settings;
  if (args.scheduleAction == ScheduleAction::kInstall) {
    if (!LoadSettingsWithFolders(kSettingsFileName, &settings))
      return std::string("no settings file with a source and a target was found in ") +
             request->settingsFolder + " (" + kSettingsFileName +
             "): start --schedule install where the window keeps its settings";
    request->intervalMinutes = settings.intervalMinutes;
  }
  if (ThisSystemScheduler() == SystemScheduler::kSystemdUser) {
    request->unitFolder = UserUnitFolder();
    if (request->unitFolder.empty()) return "neither XDG_CONFIG_HOME nor HOME names a folder";
  }
  request->tempFolder = Utf8Of(std::filesystem::temp_directory_path(error));
  request->now = ToLocalTime(context.log.clock->WallTicks() / 10000000);
  return "";
}

/// Keeps the window's "Also back up when this window is closed" as the schedule now is.
void RecordSchedule(bool on, std::ostream& out) {
  Preferences preferences = LoadPreferences();
  if (preferences.backupWhenClosed == on) return;
  preferences.backupWhenClosed = on;
  if (!SavePreferences(preferences))
    out << "Cannot write " << kPreferencesFileName
        << ": the window will not show that the schedule is " << (on ? "on" : "off") << ".\n";
}

}  // namespace

int RunScheduleCommand(const RunArgs& args, const RunnerContext& context) {
  ScheduleRequest request;
  const std::string problem = MakeRequest(args, context, &request);
  if (!problem.empty()) return UsageError(context, problem);
  std::unique_ptr<ProgramRunner> runner = MakeProgramRunner();
  std::ostream& out = *context.log.console;
  const int status = RunScheduleAction(ThisSystemScheduler(), args.scheduleAction, request,
                                       {context.fs, *runner}, out);
  if (status == 0 && args.scheduleAction != ScheduleAction::kShow)
    RecordSchedule(args.scheduleAction == ScheduleAction::kInstall, out);
  out.flush();
  return status;
}

}  // namespace qs
