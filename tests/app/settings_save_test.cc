// A save of either settings file that fails, from each place the window saves one: one backup
// log entry with the file and the system's reason, and the command goes on as before.
#include "app/settings_save.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <system_error>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

using test::CountOf;

class SettingsSaveTest : public test::AppFixture {
 protected:
  SettingsSaveTest() {
    Create();
    // A folder that does not exist stops the save even where permissions would not (root).
    app_->settingsPath = dir_ / "missing/backup_config.dat";
    app_->preferencesPath = dir_ / "missing/backup_preferences.txt";
  }
  void Click(Control* AddedControls::*box, ControlId command) {
    Kept(box).Toggle();
    OnCommand(*app_, static_cast<int>(command));
  }
  void Click(Control** box, ControlId command) {
    Kept(box).Toggle();
    OnCommand(*app_, static_cast<int>(command));
  }
  static std::string Missing() {
    return std::error_code(ENOENT, std::generic_category()).message();
  }
  std::string NotSaved(const std::string& path) {
    return "Settings not saved to " + path + ": " + Missing();
  }
};

TEST_F(SettingsSaveTest, EachFailedSaveOfTheSettingsSaysWhereAndWhy) {
  Kept(&g_hAutoBackupCheck).SetChecked(true);
  Click(&g_hAutoBackupCheck, ControlId::kAutoBackup);  // off: nothing starts
  Click(&g_hTimeVersioningCheck, ControlId::kTimeVersioning);
  Click(&AddedControls::backupWhenClosedCheck, ControlId::kBackupWhenClosed);
  ASSERT_TRUE(WaitForThreadsToEnd());
  OnClose(*app_, window_);
  const std::vector<std::string> lines = BackupLogLines();
  EXPECT_EQ(4, CountOf(lines, NotSaved(app_->settingsPath))) << ::testing::PrintToString(lines);
  // The command's own entry follows, as when the save succeeds.
  EXPECT_EQ(1, CountOf(lines, "=== Time versioning ENABLED ==="));
  EXPECT_TRUE(window_.destroyed);
}

TEST_F(SettingsSaveTest, AFailedSaveOfThePreferencesSaysWhereAndWhy) {
  Click(&AddedControls::notifyOnSuccessCheck, ControlId::kNotifyOnSuccess);
  const std::vector<std::string> lines = BackupLogLines();
  EXPECT_EQ(1, CountOf(lines, NotSaved(app_->preferencesPath))) << ::testing::PrintToString(lines);
  EXPECT_EQ(1, CountOf(lines, "=== Success notifications ENABLED ==="));
  EXPECT_TRUE(app_->notifyOnSuccess);
}

TEST_F(SettingsSaveTest, ASaveThatWorksWritesNoEntry) {
  app_->settingsPath = SettingsFile();
  app_->preferencesPath = PreferencesFile();
  Click(&g_hTimeVersioningCheck, ControlId::kTimeVersioning);
  Click(&AddedControls::notifyOnSuccessCheck, ControlId::kNotifyOnSuccess);
  EXPECT_EQ((std::vector<std::string>{"=== Time versioning ENABLED ===",
                                      "=== Success notifications ENABLED ==="}),
            BackupLogLines());
  EXPECT_TRUE(test::Exists(SettingsFile()));
}

}  // namespace
}  // namespace qs
