// Test threads wait for the program's threads before the doubles they use go away.
#include "tests/support/app_fixture.h"

#include <algorithm>
#include <thread>

#include "app/app_state.h"
#include "app/main_window.h"
#include "schedule/auto_backup.h"
#include "schedule/manual_backup.h"

namespace qs::test {

AppFixture::AppFixture() {
  ResetAppState();
  g_settingsPath = SettingsFile();
  UseNewClock();
}

AppFixture::~AppFixture() {
  if (g_autoBackupRunning) StopScheduler();
  clock_->Free();
  WaitForSchedulerThreadsToEnd();
  WaitForManualBackupsToEnd();
  SetSchedulerStopWait(std::chrono::milliseconds(5000));
  ResetAppState();
}

void AppFixture::Create() {
  OnCreate(window_, [] {});
}

MemoryControl& AppFixture::Kept(KeptAs kept) {
  for (size_t i = 0; i < kControlCount; ++i) {
    if (kControls[i].keptAs == kept) return *window_.controls.at(i);
  }
  throw std::logic_error("no such control");
}

void AppFixture::StopScheduler() {
  std::thread let_go([this] {
    WaitUntil([] { return !g_autoBackupRunning; });
    clock_->Free();
  });
  SetAutoBackup(false);
  let_go.join();
}

void AppFixture::UseNewClock() {
  clock_ = std::make_unique<StepClock>();
  g_clock = clock_.get();
}

std::vector<std::string> AppFixture::BackupLogLines() {
  return WithoutStamps(PaneLines(Kept(KeptAs::kBackupLog).pane.Text()));
}

std::vector<std::string> AppFixture::FileLogLines() {
  return PaneLines(Kept(KeptAs::kFileLog).pane.Text());
}

int CountOf(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

int IndexOf(const std::vector<std::string>& lines, const std::string& line) {
  const auto at = std::find(lines.begin(), lines.end(), line);
  return at == lines.end() ? -1 : static_cast<int>(at - lines.begin());
}

}  // namespace qs::test
