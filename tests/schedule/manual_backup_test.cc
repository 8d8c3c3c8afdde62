// "Start Backup Now": the fields as typed, the trims, the button, and the worker's run.
#include "schedule/manual_backup.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "engine/paths.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

using test::CountOf;
using test::IndexOf;

TEST(WithTrailingSeparatorTest, AddsOneWhereMissing) {
  const std::string sep(1, kPathSeparator);
  EXPECT_EQ("data" + sep, WithTrailingSeparator("data"));
  EXPECT_EQ("copy" + sep, WithTrailingSeparator("copy" + sep));
  EXPECT_EQ("", WithTrailingSeparator(""));
}

class ManualBackupTest : public test::AppFixture {
 protected:
  ManualBackupTest() {
    Create();
    test::WriteFile(dir_ / "src/a.txt", "alpha");
    test::WriteFile(dir_ / "src/sub/b.txt", "beta");
    Kept(KeptAs::kSourceEdit).Type(dir_ / "src");
    Kept(KeptAs::kTargetEdit).Type(dir_ / "dst");
  }
};

TEST_F(ManualBackupTest, RunsTheTypedDirectoriesOnAWorker) {
  const AppSettings before = g_settings;
  StartManualBackup();
  WaitForManualBackupsToEnd();
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));
  EXPECT_EQ("beta", test::ReadFile(dir_ / "dst/sub/b.txt"));
  const std::vector<std::string> lines = BackupLogLines();
  EXPECT_EQ(1, CountOf(lines, "Source: " + (dir_ / "src") + kPathSeparator));
  EXPECT_EQ(1, CountOf(lines, "Target: " + (dir_ / "dst") + kPathSeparator));
  EXPECT_EQ("Backup operation completed.", lines.back());
  EXPECT_EQ("[BACKUP COMPLETED] Copied: 2 | Updated: 0 | Failed: 0 | Time-versioned: 0",
            FileLogLines().back());
  EXPECT_EQ(before, g_settings);               // nothing stored ...
  EXPECT_FALSE(test::Exists(SettingsFile()));  // ... and nothing saved
}

TEST_F(ManualBackupTest, TheButtonIsGreyedForTheRun) {
  test::GatedFileSystem gated;
  g_fileSystem = &gated;
  test::MemoryControl& button = Kept(KeptAs::kStartButton);
  StartManualBackup();
  gated.WaitUntilCopyWaiting();
  EXPECT_FALSE(button.Enabled());
  gated.Open();
  WaitForManualBackupsToEnd();
  EXPECT_EQ((std::vector<bool>{false, true}), button.EnableCalls());
}

TEST_F(ManualBackupTest, BothLogsAreTrimmedBeforeTheRun) {
  std::string text;
  for (int i = 0; i < 249; ++i) text += "old " + std::to_string(i) + "\r\n";
  Kept(KeptAs::kBackupLog).pane.SetText(text);  // 250 lines
  StartManualBackup();
  WaitForManualBackupsToEnd();
  const std::vector<std::string> lines = BackupLogLines();
  EXPECT_EQ("old 150", lines.at(0));
  EXPECT_EQ("old 248", lines.at(98));
  EXPECT_EQ("=== Log cleaned (keeping latest 100 lines) ===", lines.at(99));
  EXPECT_EQ("Starting backup...", lines.at(100));
}

TEST_F(ManualBackupTest, TimeVersioningIsTakenWhenTheWorkerStarts) {
  test::GatedFileSystem gated;
  g_fileSystem = &gated;
  StoreTimeVersioning(true);
  StartManualBackup();
  gated.WaitUntilCopyWaiting();
  StoreTimeVersioning(false);  // a tick during the run
  gated.Open();
  WaitForManualBackupsToEnd();
  EXPECT_EQ(1, CountOf(BackupLogLines(), "Time Versioning: ENABLED"));
  EXPECT_EQ(-1, IndexOf(BackupLogLines(), "Time Versioning: DISABLED"));
}

}  // namespace
}  // namespace qs
