// The five commands over in-memory controls (and "Start Backup Now"'s launch): what each stores in
// g_settings, what it saves to backup_config.dat (and what it leaves there), and what it logs.
#include "app/commands.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "engine/paths.h"
#include "settings/settings_file.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

using test::CountOf;
using test::IndexOf;
using test::ReadFile;
using test::WriteFile;

const char kSaved[] = "/saved/src\r\n/saved/dst\r\n15\r\n0\r\n0\r\n";

class CommandsTest : public test::AppFixture {
 protected:
  CommandsTest() {
    WriteFile(SettingsFile(), kSaved);
    Create();
  }
  template <typename Handle>
  void Click(Handle box, ControlId command) {
    Kept(box).Toggle();
    OnCommand(*app_, static_cast<int>(command));
  }
};

TEST_F(CommandsTest, AutoBackupStoresTheFieldsSavesAndStarts) {
  Kept(&g_hSourceEdit).Type("/typed/src");
  Kept(&g_hTargetEdit).Type("/typed/dst");
  Kept(&g_hIntervalEdit).Type("");
  Click(&g_hAutoBackupCheck, ControlId::kAutoBackup);
  // Saved as typed (no separator added, empty interval as 0) before the scheduler's own 60.
  EXPECT_EQ(FormatSettings({"/typed/src", "/typed/dst", 0, true, false}), ReadFile(SettingsFile()));
  EXPECT_EQ((AppSettings{"/typed/src", "/typed/dst", 60, true, false}), g_settings.Snapshot());
  clock_->WaitUntilHeld();
  EXPECT_EQ("=== Next backup in 60 minutes ===", BackupLogLines().back());

  Kept(&g_hIntervalEdit).Type("20");
  std::thread let_go([this] {
    test::WaitUntil([] { return !g_autoBackupRunning; });
    clock_->Free();
  });
  Click(&g_hAutoBackupCheck, ControlId::kAutoBackup);
  let_go.join();
  EXPECT_EQ(FormatSettings({"/typed/src", "/typed/dst", 20, false, false}),
            ReadFile(SettingsFile()));
  EXPECT_EQ("=== Auto backup stopped ===", BackupLogLines().back());
  EXPECT_FALSE(g_autoBackupRunning);
}

TEST_F(CommandsTest, TimeVersioningSavesTheStoredFieldsNotTheTypedOnes) {
  Kept(&g_hSourceEdit).Type("/typed/src");
  Click(&g_hTimeVersioningCheck, ControlId::kTimeVersioning);
  EXPECT_EQ(FormatSettings({"/saved/src", "/saved/dst", 15, false, true}),
            ReadFile(SettingsFile()));
  EXPECT_TRUE(g_settings.timeVersioning);
  EXPECT_TRUE(g_settings.Snapshot().timeVersioning);
  EXPECT_EQ("/saved/src", g_settings.sourceDir);
  EXPECT_EQ("=== Time versioning ENABLED ===", BackupLogLines().back());

  Click(&g_hTimeVersioningCheck, ControlId::kTimeVersioning);
  EXPECT_EQ(kSaved, ReadFile(SettingsFile()));
  EXPECT_FALSE(g_settings.Snapshot().timeVersioning);
  EXPECT_EQ("=== Time versioning DISABLED ===", BackupLogLines().back());
  EXPECT_FALSE(g_autoBackupRunning);
}

TEST_F(CommandsTest, ClearLogLeavesOneEntryAndSavesNothing) {
  Kept(&g_hBackupLog).pane.SetText("a\r\nb\r\nc\r\n");
  test::WriteFile(SettingsFile(), "untouched");
  OnCommand(*app_, static_cast<int>(ControlId::kClearLog));
  EXPECT_EQ((std::vector<std::string>{"=== Log cleared ==="}), BackupLogLines());
  EXPECT_EQ(2, PaneOf(g_hBackupLog)->LineCount());
  EXPECT_EQ("untouched", ReadFile(SettingsFile()));
}

TEST_F(CommandsTest, ClearFileLogWritesOnlyTheHeader) {
  Kept(&g_hFileLog).pane.SetText("[COPIED] a\r\n");
  Kept(&g_hBackupLog).pane.SetText("kept\r\n");
  test::WriteFile(SettingsFile(), "untouched");
  OnCommand(*app_, static_cast<int>(ControlId::kClearFileLog));
  EXPECT_EQ("=== File Operation Log ===\r\n", Kept(&g_hFileLog).pane.Text());
  EXPECT_EQ("kept\r\n", Kept(&g_hBackupLog).pane.Text());
  EXPECT_EQ("untouched", ReadFile(SettingsFile()));
}

TEST_F(CommandsTest, StartBackupNowReadsTheFieldsAndSavesNothing) {
  WriteFile(dir_ / "src/a.txt", "alpha");
  Kept(&g_hSourceEdit).Type(dir_ / "src");
  Kept(&g_hTargetEdit).Type(dir_ / "dst");
  OnCommand(*app_, static_cast<int>(ControlId::kStartBackup));
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_EQ("alpha", ReadFile(dir_ / "dst/a.txt"));
  EXPECT_EQ("/saved/src", g_settings.sourceDir);
  EXPECT_EQ(kSaved, ReadFile(SettingsFile()));
  EXPECT_EQ("Backup operation completed.", BackupLogLines().back());
}

TEST_F(CommandsTest, FieldsAreReadAsTheControlGivesThem) {
  Kept(&g_hSourceEdit).Type(std::string(600, 's'));
  Kept(&g_hIntervalEdit).Type("12345678901");  // the field gives 9 characters
  AppSettings read = WithFieldsRead(g_settings.Snapshot());
  EXPECT_EQ(std::string(511, 's'), read.sourceDir);
  EXPECT_EQ(123456789, read.intervalMinutes);
  Kept(&g_hIntervalEdit).Type("  42abc");
  EXPECT_EQ(42, WithFieldsRead(g_settings.Snapshot()).intervalMinutes);
}

TEST_F(CommandsTest, TheRequestIsTheFieldsWithOneSeparatorAndTheStoredVersioning) {
  Kept(&g_hSourceEdit).Type(test::Native("/typed/src"));
  Kept(&g_hTargetEdit).Type(test::Native("/typed/dst/"));
  g_settings.timeVersioning = true;
  BackupOptions request;
  ASSERT_TRUE(RunRequestFromFields(*app_, false, &request));
  EXPECT_EQ(test::Native("/typed/src/"), request.sourceRoot);
  EXPECT_EQ(test::Native("/typed/dst/"), request.targetRoot);
  EXPECT_TRUE(request.timeVersioningOn);
  EXPECT_TRUE(request.exclusions.empty());
  EXPECT_FALSE(request.dryRun || request.acceptUnkeptTimes);
  // The last-backup line shows the bytes done of the total, which a listing without sizes
  // (readdir) only gives when the scan measures them.
  EXPECT_TRUE(request.measureSizes);
  // An empty field stays empty: no separator makes it a root.
  Kept(&g_hSourceEdit).Type("");
  g_settings.timeVersioning = false;
  ASSERT_TRUE(RunRequestFromFields(*app_, true, &request));
  EXPECT_TRUE(request.dryRun);
  EXPECT_EQ("", request.sourceRoot);
  EXPECT_FALSE(request.timeVersioningOn);
}

// Ids that no control or menu item has: the ones after the last of each kind, and the
// ones no table uses at all.
TEST_F(CommandsTest, OtherIdsDoNothing) {
  for (int id : {0, 99, 199, -1}) OnCommand(*app_, id);
  EXPECT_EQ(kSaved, ReadFile(SettingsFile()));
  EXPECT_TRUE(BackupLogLines().empty());
  EXPECT_EQ("", Kept(&g_hFileLog).pane.Text());
}

class StartBackupNowTest : public test::AppFixture {
 protected:
  StartBackupNowTest() {
    Create();
    test::WriteFile(dir_ / "src/a.txt", "alpha");
    test::WriteFile(dir_ / "src/sub/b.txt", "beta");
    Kept(&g_hSourceEdit).Type(dir_ / "src");
    Kept(&g_hTargetEdit).Type(dir_ / "dst");
  }
};

TEST_F(StartBackupNowTest, RunsTheTypedDirectoriesOnAWorker) {
  const AppSettings before = g_settings.Snapshot();
  OnStartBackupNow(*app_);
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));
  EXPECT_EQ("beta", test::ReadFile(dir_ / "dst/sub/b.txt"));
  const std::vector<std::string> lines = BackupLogLines();
  EXPECT_EQ(1, CountOf(lines, "Source: " + (dir_ / "src") + kPathSeparator));
  EXPECT_EQ(1, CountOf(lines, "Target: " + (dir_ / "dst") + kPathSeparator));
  EXPECT_EQ("Backup operation completed.", lines.back());
  EXPECT_EQ("[BACKUP COMPLETED] Copied: 2 | Updated: 0 | Failed: 0 | Time-versioned: 0",
            FileLogLines().back());
  EXPECT_EQ(before, g_settings.Snapshot());    // nothing stored ...
  EXPECT_FALSE(test::Exists(SettingsFile()));  // ... and nothing saved
}

TEST_F(StartBackupNowTest, TheButtonIsGreyedForTheRun) {
  test::GatedFileSystem gated;
  UseFileSystem(gated);
  test::MemoryControl& button = Kept(&g_hStartButton);
  OnStartBackupNow(*app_);
  gated.WaitUntilCopyWaiting();
  EXPECT_FALSE(button.Enabled());
  gated.Open();
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_EQ((std::vector<bool>{false, true}), button.EnableCalls());
}

TEST_F(StartBackupNowTest, BothLogsAreTrimmedBeforeTheRun) {
  std::string text;
  for (int i = 0; i < 249; ++i) text += "old " + std::to_string(i) + "\r\n";
  Kept(&g_hBackupLog).pane.SetText(text);  // 250 lines
  OnStartBackupNow(*app_);
  ASSERT_TRUE(WaitForThreadsToEnd());
  const std::vector<std::string> lines = BackupLogLines();
  EXPECT_EQ("old 150", lines.at(0));
  EXPECT_EQ("old 248", lines.at(98));
  EXPECT_EQ("=== Log cleaned (keeping latest 100 lines) ===", lines.at(99));
  EXPECT_EQ("Starting backup...", lines.at(100));
}

TEST_F(StartBackupNowTest, TimeVersioningIsTakenWhenTheWorkerStarts) {
  test::GatedFileSystem gated;
  UseFileSystem(gated);
  g_settings.timeVersioning = true;
  OnStartBackupNow(*app_);
  gated.WaitUntilCopyWaiting();
  g_settings.timeVersioning = false;  // a tick during the run
  gated.Open();
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_EQ(1, CountOf(BackupLogLines(), "Time Versioning: ENABLED"));
  EXPECT_EQ(-1, IndexOf(BackupLogLines(), "Time Versioning: DISABLED"));
}

}  // namespace
}  // namespace qs
