// The request is made of what the program knows of itself and its surroundings: the runner's
// path, the working directory (the settings folder), the interval of backup_config.dat there,
// and where the system keeps the user's units or temporary files.
#include "schedule/schedule_setup.h"

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "os/program_runner.h"
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

/// The request, or the reason it cannot be made.
std::string MakeRequest(ScheduleAction action, const std::string& program, Clock& clock,
                        ScheduleRequest* request) {
  std::error_code error;
  request->settingsFolder = Utf8Of(std::filesystem::current_path(error));
  if (error) return "cannot tell the working directory";
  request->program = program;
  if (request->program.empty()) return "cannot tell where this program is";
  AppSettings settings;
  if (action == ScheduleAction::kInstall) {
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
  request->now = ToLocalTime(clock.WallTicks() / 10000000);
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

int SetUpSchedule(ScheduleAction action, const std::string& program, Clock& clock, FileSystem& fs,
                  std::ostream& out, std::string* problem, bool record) {
  ScheduleRequest request;
  *problem = MakeRequest(action, program, clock, &request);
  if (!problem->empty()) return 2;
  std::unique_ptr<ProgramRunner> runner = MakeProgramRunner();
  const int status = RunScheduleAction(ThisSystemScheduler(), action, request, {fs, *runner}, out);
  if (record && status == 0 && action != ScheduleAction::kShow)
    RecordSchedule(action == ScheduleAction::kInstall, out);
  return status;
}

std::string RunnerBeside(const std::string& this_program) {
  if (this_program.empty()) return "";
  const std::filesystem::path self(std::u8string(this_program.begin(), this_program.end()));
  std::filesystem::path runner = self.parent_path() / "quillstone-run";
  if (self.extension() == ".exe") runner += ".exe";
  return Utf8Of(runner);
}

}  // namespace qs
