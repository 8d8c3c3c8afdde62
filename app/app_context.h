// The seams of the desktop program — file system, clock, settings file, status area — made
// once where the program starts and passed to every command. Tests make their own.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/status_display.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "schedule/auto_backup.h"
#include "schedule/run_seams.h"
#include "settings/settings_file.h"

namespace qs {

struct AppContext {
  AppContext(FileSystem& file_system, Clock& program_clock)
      : fs(file_system), clock(program_clock), status(program_clock) {}

  FileSystem& fs;
  Clock& clock;
  /// Where the settings are loaded from and saved to.
  std::string settingsPath = kSettingsFileName;
  StatusDisplay status;
  /// How long a stop waits for the scheduler thread.
  std::chrono::milliseconds schedulerStopWait{5000};
  /// The threads the window started (scheduler, manual workers) that are still at work.
  ThreadCount threads;

  /// The panes, the status area and the services of every backup the window starts.
  RunSeams Seams();
  SchedulerSeams ForScheduler();
};

}  // namespace qs
