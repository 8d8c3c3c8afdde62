// The systemd user timer and service: installed, removed and shown over real files, with the
// systemctl commands recorded.
#include <gtest/gtest.h>

#include "tests/support/schedule_fixture.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

class SystemdScheduleTest : public test::BackgroundScheduleTest {};

TEST_F(SystemdScheduleTest, SystemdInstallWritesBothUnitsAndEnablesTheTimer) {
  ASSERT_EQ(0, Systemd(ScheduleAction::kInstall)) << out_.str();
  EXPECT_NE(std::string::npos,
            test::ReadFile(Unit("quillstone-backup.timer")).find("OnCalendar=*-*-* *:00/30:00\n"));
  const std::string service = test::ReadFile(Unit("quillstone-backup.service"));
  EXPECT_NE(std::string::npos, service.find("WorkingDirectory=" + request_.settingsFolder + "\n"));
  EXPECT_NE(std::string::npos,
            service.find("ExecStart=\"" + request_.program + "\" --background\n"));
  EXPECT_EQ((std::vector<std::string>{"systemctl --user daemon-reload",
                                      "systemctl --user enable --now quillstone-backup.timer"}),
            runner_.calls);
  EXPECT_TRUE(Said("Enabled: a backup every 30 minutes")) << out_.str();
}

TEST_F(SystemdScheduleTest, WithoutAUserManagerTheUnitsStayWrittenAndTheCommandIsGiven) {
  runner_.answers["systemctl --user daemon-reload"] = {
      1, "Failed to connect to bus: No medium found\n"};
  EXPECT_EQ(1, Systemd(ScheduleAction::kInstall));
  EXPECT_TRUE(test::Exists(Unit("quillstone-backup.timer")));
  EXPECT_TRUE(test::Exists(Unit("quillstone-backup.service")));
  EXPECT_TRUE(
      Said("The timer is not enabled: systemctl --user said \"Failed to connect to bus: No "
           "medium found\". Enable it in your desktop session with:\n  systemctl --user "
           "daemon-reload && systemctl --user enable --now quillstone-backup.timer\n"))
      << out_.str();
}

TEST_F(SystemdScheduleTest, AnIntervalACalendarCannotKeepIsSaid) {
  request_.intervalMinutes = 50;
  ASSERT_EQ(0, Systemd(ScheduleAction::kInstall));
  EXPECT_TRUE(Said("runs every 48 minutes, not every 50.")) << out_.str();
}

TEST_F(SystemdScheduleTest, APathAUnitCannotHoldWritesNothing) {
  request_.settingsFolder = dir_ / "a\nb";
  EXPECT_EQ(1, Systemd(ScheduleAction::kInstall));
  EXPECT_TRUE(Said("Nothing was written."));
  EXPECT_FALSE(test::Exists(request_.unitFolder));
  EXPECT_TRUE(runner_.calls.empty());
}

TEST_F(SystemdScheduleTest, AUnitFolderThatCannotBeMadeIsReported) {
  test::WriteFile(dir_ / "config/systemd", "a file in the way");
  EXPECT_EQ(1, Systemd(ScheduleAction::kInstall));
  EXPECT_TRUE(Said("Cannot create the folder " + request_.unitFolder + ": Error: ")) << out_.str();
  EXPECT_TRUE(runner_.calls.empty());
}

TEST_F(SystemdScheduleTest, SystemdRemoveDisablesAndDeletesEvenWithoutAManager) {
  ASSERT_EQ(0, Systemd(ScheduleAction::kInstall));
  test::WriteFile(Unit("timers.target.wants/quillstone-backup.timer"), "the link enable made");
  runner_.answers["systemctl --user disable"] = {1, "Failed to connect to bus\n"};
  ASSERT_EQ(0, Systemd(ScheduleAction::kRemove)) << out_.str();
  EXPECT_EQ((std::vector<std::string>{"systemctl --user disable --now quillstone-backup.timer"}),
            runner_.calls);
  EXPECT_FALSE(test::Exists(Unit("quillstone-backup.timer")));
  EXPECT_FALSE(test::Exists(Unit("quillstone-backup.service")));
  EXPECT_FALSE(test::Exists(Unit("timers.target.wants/quillstone-backup.timer")));
  EXPECT_EQ(0, Systemd(ScheduleAction::kRemove));
  EXPECT_TRUE(Said("No background schedule is installed"));
}

TEST_F(SystemdScheduleTest, SystemdShowSaysWhatIsInstalledAndTheNextRun) {
  EXPECT_EQ(0, Systemd(ScheduleAction::kShow));
  EXPECT_TRUE(Said("Background schedule: not installed"));
  ASSERT_EQ(0, Systemd(ScheduleAction::kInstall));
  runner_.answers["systemctl --user show"] = {0, "Wed 2026-12-09 10:30:00 UTC\n"};
  runner_.answers["systemctl --user is-enabled"] = {0, "enabled\n"};
  EXPECT_EQ(0, Systemd(ScheduleAction::kShow));
  for (const std::string& line :
       {"Background schedule: " + Unit("quillstone-backup.timer") + "\n",
        std::string("  OnCalendar=*-*-* *:00/30:00\n"), std::string("  Persistent=true\n"),
        "  WorkingDirectory=" + request_.settingsFolder + "\n",
        std::string("Enabled: yes (systemctl --user is-enabled: enabled)\n"),
        std::string("Next run: Wed 2026-12-09 10:30:00 UTC\n")})
    EXPECT_TRUE(Said(line)) << line << out_.str();
}

}  // namespace
}  // namespace qs
