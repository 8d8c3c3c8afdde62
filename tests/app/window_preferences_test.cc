// The two preference boxes over in-memory controls: what each keeps in backup_preferences.txt,
// what it logs, and that the schedule is set up on a worker with its outcome in one line.
#include "app/window_preferences.h"

#include <gtest/gtest.h>

#include <atomic>

#include "app/app_state.h"
#include "app/commands.h"
#include "settings/preferences_file.h"
#include "settings/settings_file.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

using test::CountOf;
using test::ReadFile;
using test::WriteFile;

class WindowPreferencesTest : public test::AppFixture {
 protected:
  template <typename Handle>
  void Click(Handle box, ControlId command) {
    Kept(box).Toggle();
    OnCommand(*app_, static_cast<int>(command));
  }
  /// The system's schedule as a double: answers `status` with `said`, counts the calls.
  void ScheduleAnswers(int status, std::string said) {
    app_->systemSchedule = [this, status, said](bool install, std::ostream& out) {
      installs_ += install ? 1 : 0;
      removes_ += install ? 0 : 1;
      out << said;
      return status;
    };
  }
  std::atomic<int> installs_{0};
  std::atomic<int> removes_{0};
};

TEST_F(WindowPreferencesTest, TheBoxesShowTheSavedPreferencesAndKeepOtherLines) {
  WriteFile(PreferencesFile(), "# mine\r\nnotify_on_success=1\r\nfuture_key=7\r\n");
  Create();
  EXPECT_TRUE(Kept(&AddedControls::notifyOnSuccessCheck).IsChecked());
  EXPECT_FALSE(Kept(&AddedControls::backupWhenClosedCheck).IsChecked());
  EXPECT_TRUE(app_->notifyOnSuccess);

  Click(&AddedControls::notifyOnSuccessCheck, ControlId::kNotifyOnSuccess);
  EXPECT_FALSE(app_->notifyOnSuccess);
  const std::string saved = ReadFile(PreferencesFile());
  EXPECT_FALSE(ParsePreferences(saved).notifyOnSuccess);
  EXPECT_NE(std::string::npos, saved.find("# mine\r\n"));
  EXPECT_NE(std::string::npos, saved.find("future_key=7\r\n"));
  EXPECT_EQ("=== Success notifications DISABLED ===", BackupLogLines().back());
  Click(&AddedControls::notifyOnSuccessCheck, ControlId::kNotifyOnSuccess);
  EXPECT_TRUE(LoadPreferences(PreferencesFile()).notifyOnSuccess);
  EXPECT_EQ("=== Success notifications ENABLED ===", BackupLogLines().back());
}

TEST_F(WindowPreferencesTest, TickingInstallsTheScheduleWithTheFieldsSavedFirst) {
  Create();
  ScheduleAnswers(0, "Written: timer and service.\nEnabled: a backup every 30 minutes.\n");
  Kept(&g_hSourceEdit).Type("/typed/src");
  Kept(&g_hTargetEdit).Type("/typed/dst");
  Kept(&g_hIntervalEdit).Type("30");
  Click(&AddedControls::backupWhenClosedCheck, ControlId::kBackupWhenClosed);
  // The schedule reads backup_config.dat: it holds the fields before the schedule is made.
  EXPECT_EQ(FormatSettings({"/typed/src", "/typed/dst", 30, false, false}),
            ReadFile(SettingsFile()));
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_EQ(1, installs_.load());
  EXPECT_EQ(0, removes_.load());
  EXPECT_EQ(
      "Background schedule installed: Written: timer and service. Enabled: a backup "
      "every 30 minutes.",
      BackupLogLines().back());
  EXPECT_TRUE(Kept(&AddedControls::backupWhenClosedCheck).IsChecked());
  EXPECT_TRUE(Kept(&AddedControls::backupWhenClosedCheck).Enabled());
  EXPECT_TRUE(app_->backupWhenClosed);
  EXPECT_TRUE(LoadPreferences(PreferencesFile()).backupWhenClosed);

  ScheduleAnswers(0, "Removed: timer and service.\n");
  Click(&AddedControls::backupWhenClosedCheck, ControlId::kBackupWhenClosed);
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_EQ(1, removes_.load());
  EXPECT_EQ("Background schedule removed: Removed: timer and service.", BackupLogLines().back());
  EXPECT_FALSE(app_->backupWhenClosed);
  EXPECT_FALSE(LoadPreferences(PreferencesFile()).backupWhenClosed);
}

TEST_F(WindowPreferencesTest, AScheduleThatFailsUnticksTheBoxAndSavesNothing) {
  Create();
  ScheduleAnswers(1, "The timer is not enabled: systemctl --user said \"no bus\".\n");
  Click(&AddedControls::backupWhenClosedCheck, ControlId::kBackupWhenClosed);
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_EQ(
      "Background schedule not installed: The timer is not enabled: systemctl --user "
      "said \"no bus\".",
      BackupLogLines().back());
  EXPECT_FALSE(Kept(&AddedControls::backupWhenClosedCheck).IsChecked());
  EXPECT_TRUE(Kept(&AddedControls::backupWhenClosedCheck).Enabled());
  EXPECT_FALSE(app_->backupWhenClosed);
  EXPECT_FALSE(test::Exists(PreferencesFile()));
}

TEST_F(WindowPreferencesTest, TheBoxIsGreyedWhileTheScheduleIsSetUp) {
  Create();
  std::atomic<bool> release{false};
  std::atomic<bool> called{false};
  app_->systemSchedule = [&](bool, std::ostream&) {
    called = true;
    test::WaitUntil([&] { return release.load(); });
    return 0;
  };
  Click(&AddedControls::backupWhenClosedCheck, ControlId::kBackupWhenClosed);
  // The click returned while the schedule is still being set up: the window did not wait.
  ASSERT_TRUE(test::WaitUntil([&] { return called.load(); }));
  EXPECT_FALSE(Kept(&AddedControls::backupWhenClosedCheck).Enabled());
  release = true;
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_TRUE(Kept(&AddedControls::backupWhenClosedCheck).Enabled());
}

TEST(OneLineTest, JoinsTheSentencesOfALineEach) {
  EXPECT_EQ("", OneLine(""));
  EXPECT_EQ("a. b.", OneLine("a.\r\n\n  b.  \n"));
  EXPECT_EQ("Background schedule: x", OneLine("Background schedule: x"));
}

}  // namespace
}  // namespace qs
