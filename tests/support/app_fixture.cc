// Test threads wait for the program's threads before the doubles they use go away.
#include "tests/support/app_fixture.h"

#include <algorithm>
#include <thread>

#include "app/app_state.h"
#include "app/auto_backup_switch.h"
#include "app/main_window.h"

namespace qs::test {

void ResetAppState() {
  g_settings.Store(AppSettings{"", "", 0, false, false});
  g_hSourceEdit = g_hTargetEdit = g_hIntervalEdit = nullptr;
  g_hAutoBackupCheck = g_hTimeVersioningCheck = g_hStartButton = nullptr;
  g_hBackupLog = g_hFileLog = nullptr;
  g_hClockLabel = g_hStatusLabel = g_hCountdownLabel = nullptr;
  g_autoBackupRunning = false;
  g_schedulerThread = nullptr;
  g_nextBackupTime = 0;
  g_backupInProgress = false;
}

AppFixture::AppFixture() {
  ResetAppState();
  UseNewClock();
}

AppFixture::~AppFixture() {
  if (g_autoBackupRunning) StopScheduler();
  clock_->Free();
  EXPECT_TRUE(WaitForThreadsToEnd()) << ThreadsAlive() << " threads still at work";
  ResetAppState();
}

bool AppFixture::WaitForThreadsToEnd() {
  return WaitUntil([this] { return ThreadsAlive() == 0; });
}

void AppFixture::Create() {
  OnCreate(*app_, window_, [] {});
}

MemoryControl& AppFixture::Kept(Control** handle) {
  for (size_t i = 0; i < kControlCount; ++i) {
    if (kControls[i].keptIn == handle) return *window_.controls.at(i);
  }
  throw std::logic_error("no such control");
}

MemoryControl& AppFixture::Kept(Control* AddedControls::*handle) {
  for (size_t i = 0; i < kAddedControls.size(); ++i) {
    if (kAddedControls[i].keptIn == handle) return *window_.controls.at(kControlCount + i);
  }
  throw std::logic_error("no such control");
}

void AppFixture::StopScheduler() {
  std::thread let_go([this] {
    WaitUntil([] { return !g_autoBackupRunning; });
    clock_->Free();
  });
  SetAutoBackup(*app_, false);
  let_go.join();
}

void AppFixture::UseNewClock() {
  auto clock = std::make_unique<StepClock>();
  auto app = std::make_unique<AppContext>(app_ ? app_->fs : RealFs(), *clock);
  app->settingsPath = SettingsFile();
  app->preferencesPath = PreferencesFile();
  app_ = std::move(app);
  clock_ = std::move(clock);
}

void AppFixture::UseFileSystem(FileSystem& fs) {
  auto app = std::make_unique<AppContext>(fs, *clock_);
  app->settingsPath = SettingsFile();
  app->preferencesPath = PreferencesFile();
  app_ = std::move(app);
}

std::vector<std::string> AppFixture::BackupLogLines() {
  return WithoutStamps(PaneLines(Kept(&g_hBackupLog).pane.Text()));
}

std::vector<std::string> AppFixture::FileLogLines() {
  return PaneLines(Kept(&g_hFileLog).pane.Text());
}

int CountOf(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

int IndexOf(const std::vector<std::string>& lines, const std::string& line) {
  const auto at = std::find(lines.begin(), lines.end(), line);
  return at == lines.end() ? -1 : static_cast<int>(at - lines.begin());
}

}  // namespace qs::test
