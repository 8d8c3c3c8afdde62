// Window creation and close over in-memory controls: the table, the settings that come and go,
// and the start-up and shut-down order.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include "app/app_main.h"
#include "app/app_state.h"
#include "settings/settings_file.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

using test::WriteFile;

class MainWindowTest : public test::AppFixture {};

TEST_F(MainWindowTest, TheTableMakesTwentyControlsInOrder) {
  Create();
  ASSERT_EQ(kControlCount + kAddedControls.size(), window_.controls.size());
  std::vector<std::string> texts;
  std::vector<int> ids;
  for (size_t i = 0; i < 20; ++i) {
    texts.push_back(window_.controls[i]->layout.text);
    if (window_.controls[i]->layout.id != 0) ids.push_back(window_.controls[i]->layout.id);
  }
  EXPECT_EQ((std::vector<std::string>{"Current Time:",
                                      "",
                                      "Backup Status:",
                                      "",
                                      "",
                                      "Source Directory:",
                                      "",
                                      "Target Directory:",
                                      "",
                                      "Backup Interval (minutes):",
                                      "",
                                      "Enable Auto Backup",
                                      "Enable Time Versioning",
                                      "Start Backup Now",
                                      "Clear Log",
                                      "Clear File Log",
                                      "Backup Log:",
                                      "",
                                      "File Operations Log:",
                                      ""}),
            texts);
  EXPECT_EQ((std::vector<int>{2, 5, 1, 3, 4}), ids);
  const ControlLayout& start = Kept(&g_hStartButton).layout;
  EXPECT_EQ((std::vector<int>{10, 190, 120, 30}),
            (std::vector<int>{start.x, start.y, start.width, start.height}));
  const ControlLayout& file_log = Kept(&g_hFileLog).layout;
  EXPECT_EQ((std::vector<int>{10, 400, 580, 150}),
            (std::vector<int>{file_log.x, file_log.y, file_log.width, file_log.height}));
  EXPECT_TRUE(Kept(&g_hIntervalEdit).layout.style & kStyleNumber);
  EXPECT_TRUE(Kept(&g_hAutoBackupCheck).layout.style & kStyleAutoCheckBox);
  EXPECT_EQ(&Kept(&g_hBackupLog), g_hBackupLog);
  EXPECT_EQ(&Kept(&g_hBackupLog).pane, PaneOf(g_hBackupLog));
  EXPECT_EQ(&Kept(&g_hFileLog).pane, PaneOf(g_hFileLog));
  EXPECT_EQ(&Kept(&g_hCountdownLabel), g_hCountdownLabel);
  EXPECT_EQ(&Kept(&g_hIntervalEdit), g_hIntervalEdit);
}

// The added controls come after the twenty, inside the window, and overlap none of them.
TEST_F(MainWindowTest, TheAddedControlsMoveNoneOfTheTwenty) {
  Create();
  ASSERT_EQ(kControlCount + kAddedControls.size(), window_.controls.size());
  EXPECT_EQ("Also back up when this window is closed",
            std::string(Kept(&AddedControls::backupWhenClosedCheck).layout.text));
  EXPECT_EQ("Notify when a backup succeeds",
            std::string(Kept(&AddedControls::notifyOnSuccessCheck).layout.text));
  EXPECT_EQ(&Kept(&AddedControls::backupWhenClosedCheck), app_->added.backupWhenClosedCheck);
  EXPECT_EQ(&Kept(&AddedControls::notifyOnSuccessCheck), app_->added.notifyOnSuccessCheck);
  EXPECT_EQ(&Kept(&AddedControls::overdueLabel), app_->added.overdueLabel);
  EXPECT_EQ(&Kept(&AddedControls::lastBackupLabel), app_->added.lastBackupLabel);
  EXPECT_EQ(6, Kept(&AddedControls::backupWhenClosedCheck).layout.id);
  EXPECT_EQ(7, Kept(&AddedControls::notifyOnSuccessCheck).layout.id);
  for (size_t i = 0; i < kAddedControls.size(); ++i)
    EXPECT_EQ(kAddedControls[i].layout.id, window_.controls[kControlCount + i]->layout.id)
        << kAddedControls[i].layout.text;
  const auto overlap = [](const ControlLayout& a, const ControlLayout& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
  };
  for (const AddedControlRow& added : kAddedControls) {
    EXPECT_LE(added.layout.x + added.layout.width, kWindowWidth - 20) << added.layout.text;
    for (const ControlRow& row : kControls)
      EXPECT_FALSE(overlap(added.layout, row.layout))
          << "\"" << added.layout.text << "\" overlaps \"" << row.layout.text << "\" at "
          << row.layout.x << "," << row.layout.y;
    for (const AddedControlRow& other : kAddedControls)
      EXPECT_TRUE(&other == &added || !overlap(added.layout, other.layout))
          << "added controls at " << added.layout.x << "," << added.layout.y << " and "
          << other.layout.x << "," << other.layout.y << " overlap";
  }
}

TEST_F(MainWindowTest, AFirstStartShowsTheDefaults) {
  Create();
  const AppSettings defaults = DefaultSettings();
  EXPECT_EQ(defaults, g_settings.Snapshot());
  EXPECT_EQ(defaults.sourceDir, Kept(&g_hSourceEdit).GetText(512));
  EXPECT_EQ(defaults.targetDir, Kept(&g_hTargetEdit).GetText(512));
  EXPECT_EQ("60", Kept(&g_hIntervalEdit).GetText(10));
  EXPECT_FALSE(Kept(&g_hAutoBackupCheck).IsChecked());
  EXPECT_FALSE(Kept(&g_hTimeVersioningCheck).IsChecked());
  EXPECT_EQ("", Kept(&g_hBackupLog).pane.Text());
  EXPECT_EQ("", Kept(&g_hClockLabel).GetText(100));
  EXPECT_FALSE(g_autoBackupRunning);
  EXPECT_FALSE(test::Exists(SettingsFile()));  // creation saves nothing
}

TEST_F(MainWindowTest, SavedSettingsComeBackAndAutoBackupStartsAfterEverything) {
  WriteFile(SettingsFile(), "/data/src\r\n/data/dst\r\n5\r\n1\r\n1\r\n");
  size_t controls_when_clock_started = 0;
  bool scheduler_when_clock_started = true;
  OnCreate(*app_, window_, [&] {
    controls_when_clock_started = window_.controls.size();
    scheduler_when_clock_started = g_autoBackupRunning;
  });
  EXPECT_EQ(kControlCount + kAddedControls.size(), controls_when_clock_started);
  EXPECT_FALSE(scheduler_when_clock_started);
  EXPECT_EQ("/data/src", Kept(&g_hSourceEdit).GetText(512));
  EXPECT_EQ("5", Kept(&g_hIntervalEdit).GetText(10));
  EXPECT_TRUE(Kept(&g_hAutoBackupCheck).IsChecked());
  EXPECT_TRUE(Kept(&g_hTimeVersioningCheck).IsChecked());
  EXPECT_TRUE(g_settings.timeVersioning);
  clock_->WaitUntilHeld();
  EXPECT_TRUE(g_autoBackupRunning);
  EXPECT_EQ(
      (std::vector<std::string>{"=== Auto backup started ===", "=== Next backup in 5 minutes ==="}),
      BackupLogLines());
}

TEST_F(MainWindowTest, CloseStoresAllFiveSettingsAndSavesThem) {
  Create();
  Kept(&g_hSourceEdit).Type("/typed/src");
  Kept(&g_hTargetEdit).Type("/typed/dst");
  Kept(&g_hIntervalEdit).Type("");
  Kept(&g_hAutoBackupCheck).Toggle();  // ticked, but no command was sent
  Kept(&g_hTimeVersioningCheck).Toggle();
  OnClose(*app_, window_);
  const AppSettings expected{"/typed/src", "/typed/dst", 0, true, true};
  EXPECT_EQ(expected, g_settings.Snapshot());
  EXPECT_EQ(FormatSettings(expected), test::ReadFile(SettingsFile()));
  EXPECT_TRUE(BackupLogLines().empty());  // nothing was running, nothing was stopped
  EXPECT_TRUE(window_.destroyed);
}

TEST_F(MainWindowTest, CloseStopsTheSchedulerBeforeTheWindowGoes) {
  WriteFile(SettingsFile(), "/data/src\r\n/data/dst\r\n5\r\n1\r\n0\r\n");
  Create();
  clock_->WaitUntilHeld();
  std::thread let_go([this] {
    test::WaitUntil([] { return !g_autoBackupRunning; });
    clock_->Free();
  });
  OnClose(*app_, window_);
  let_go.join();
  EXPECT_TRUE(window_.destroyed);
  EXPECT_EQ("=== Auto backup stopped ===", BackupLogLines().back());
  EXPECT_TRUE(WaitForThreadsToEnd());
  EXPECT_TRUE(LoadSettings(SettingsFile()).autoBackupEnabled);  // the box is still ticked
}

std::unique_ptr<MainWindow> NoWindow(const std::string&, int, int, WindowEvents&,
                                     std::string* error) {
  *error = "no display";
  return nullptr;
}

TEST_F(MainWindowTest, AProgramWithoutAWindowSaysWhyAndFails) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(1, AppMain(&NoWindow));
  EXPECT_EQ("quillstone: no display\n", testing::internal::GetCapturedStderr());
  EXPECT_EQ(nullptr, g_hBackupLog);
}

}  // namespace
}  // namespace qs
