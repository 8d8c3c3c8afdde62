// The five commands over in-memory controls: what each stores in g_settings, what it saves to
// backup_config.dat (and what it leaves there), and what it logs.
#include "app/commands.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "schedule/auto_backup.h"
#include "schedule/manual_backup.h"
#include "settings/settings_file.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

using test::ReadFile;
using test::WriteFile;

const char kSaved[] = "/saved/src\r\n/saved/dst\r\n15\r\n0\r\n0\r\n";

class CommandsTest : public test::AppFixture {
 protected:
  CommandsTest() {
    WriteFile(SettingsFile(), kSaved);
    Create();
  }
  void Click(KeptAs box, ControlId command) {
    Kept(box).Toggle();
    OnCommand(static_cast<int>(command));
  }
};

TEST_F(CommandsTest, AutoBackupStoresTheFieldsSavesAndStarts) {
  Kept(KeptAs::kSourceEdit).Type("/typed/src");
  Kept(KeptAs::kTargetEdit).Type("/typed/dst");
  Kept(KeptAs::kIntervalEdit).Type("");
  Click(KeptAs::kAutoBackupCheck, ControlId::kAutoBackup);
  // Saved as typed (no separator added, empty interval as 0) before the scheduler's own 60.
  EXPECT_EQ(FormatSettings({"/typed/src", "/typed/dst", 0, true, false}), ReadFile(SettingsFile()));
  EXPECT_EQ((AppSettings{"/typed/src", "/typed/dst", 60, true, false}), g_settings);
  clock_->WaitUntilHeld();
  EXPECT_EQ("=== Next backup in 60 minutes ===", BackupLogLines().back());

  Kept(KeptAs::kIntervalEdit).Type("20");
  std::thread let_go([this] {
    test::WaitUntil([] { return !g_autoBackupRunning; });
    clock_->Free();
  });
  Click(KeptAs::kAutoBackupCheck, ControlId::kAutoBackup);
  let_go.join();
  EXPECT_EQ(FormatSettings({"/typed/src", "/typed/dst", 20, false, false}),
            ReadFile(SettingsFile()));
  EXPECT_EQ("=== Auto backup stopped ===", BackupLogLines().back());
  EXPECT_FALSE(g_autoBackupRunning);
}

TEST_F(CommandsTest, TimeVersioningSavesTheStoredFieldsNotTheTypedOnes) {
  Kept(KeptAs::kSourceEdit).Type("/typed/src");
  Click(KeptAs::kTimeVersioningCheck, ControlId::kTimeVersioning);
  EXPECT_EQ(FormatSettings({"/saved/src", "/saved/dst", 15, false, true}),
            ReadFile(SettingsFile()));
  EXPECT_TRUE(g_settings.timeVersioning);
  EXPECT_TRUE(g_timeVersioning);
  EXPECT_EQ("/saved/src", g_settings.sourceDir);
  EXPECT_EQ("=== Time versioning ENABLED ===", BackupLogLines().back());

  Click(KeptAs::kTimeVersioningCheck, ControlId::kTimeVersioning);
  EXPECT_EQ(kSaved, ReadFile(SettingsFile()));
  EXPECT_FALSE(g_timeVersioning);
  EXPECT_EQ("=== Time versioning DISABLED ===", BackupLogLines().back());
  EXPECT_FALSE(g_autoBackupRunning);
}

TEST_F(CommandsTest, ClearLogLeavesOneEntryAndSavesNothing) {
  Kept(KeptAs::kBackupLog).pane.SetText("a\r\nb\r\nc\r\n");
  test::WriteFile(SettingsFile(), "untouched");
  OnCommand(static_cast<int>(ControlId::kClearLog));
  EXPECT_EQ((std::vector<std::string>{"=== Log cleared ==="}), BackupLogLines());
  EXPECT_EQ(2, g_hBackupLog->LineCount());
  EXPECT_EQ("untouched", ReadFile(SettingsFile()));
}

TEST_F(CommandsTest, ClearFileLogWritesOnlyTheHeader) {
  Kept(KeptAs::kFileLog).pane.SetText("[COPIED] a\r\n");
  Kept(KeptAs::kBackupLog).pane.SetText("kept\r\n");
  test::WriteFile(SettingsFile(), "untouched");
  OnCommand(static_cast<int>(ControlId::kClearFileLog));
  EXPECT_EQ("=== File Operation Log ===\r\n", Kept(KeptAs::kFileLog).pane.Text());
  EXPECT_EQ("kept\r\n", Kept(KeptAs::kBackupLog).pane.Text());
  EXPECT_EQ("untouched", ReadFile(SettingsFile()));
}

TEST_F(CommandsTest, StartBackupNowReadsTheFieldsAndSavesNothing) {
  WriteFile(dir_ / "src/a.txt", "alpha");
  Kept(KeptAs::kSourceEdit).Type(dir_ / "src");
  Kept(KeptAs::kTargetEdit).Type(dir_ / "dst");
  OnCommand(static_cast<int>(ControlId::kStartBackup));
  WaitForManualBackupsToEnd();
  EXPECT_EQ("alpha", ReadFile(dir_ / "dst/a.txt"));
  EXPECT_EQ("/saved/src", g_settings.sourceDir);
  EXPECT_EQ(kSaved, ReadFile(SettingsFile()));
  EXPECT_EQ("Backup operation completed.", BackupLogLines().back());
}

TEST_F(CommandsTest, FieldsAreReadAsTheControlGivesThem) {
  Kept(KeptAs::kSourceEdit).Type(std::string(600, 's'));
  Kept(KeptAs::kIntervalEdit).Type("12345678901");  // the field gives 9 characters
  AppSettings read = WithFieldsRead(g_settings);
  EXPECT_EQ(std::string(511, 's'), read.sourceDir);
  EXPECT_EQ(123456789, read.intervalMinutes);
  Kept(KeptAs::kIntervalEdit).Type("  42abc");
  EXPECT_EQ(42, WithFieldsRead(g_settings).intervalMinutes);
}

TEST_F(CommandsTest, OtherIdsDoNothing) {
  for (int id : {0, 6, -1}) OnCommand(id);
  EXPECT_EQ(kSaved, ReadFile(SettingsFile()));
  EXPECT_TRUE(BackupLogLines().empty());
  EXPECT_EQ("", Kept(KeptAs::kFileLog).pane.Text());
}

}  // namespace
}  // namespace qs
