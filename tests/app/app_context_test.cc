// The runs the window starts tell their outcome through the notifier the program hands in:
// one notification for a failed run, quiet success unless asked, and a line in the backup log
// when nothing can show it.
#include "app/app_context.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/commands.h"
#include "app/window_preferences.h"
#include "tests/support/app_fixture.h"
#include "tests/support/recording_notifier.h"

namespace qs {
namespace {

using test::CountOf;

class WindowRunNotificationTest : public test::AppFixture {
 protected:
  WindowRunNotificationTest() {
    UseFileSystem(faulty_);
    app_->notifier = &notifier_;
    Create();
    test::WriteFile(dir_ / "src/a.txt", "alpha");
    test::WriteFile(dir_ / "src/sub/b.txt", "beta");
    Kept(&g_hSourceEdit).Type(dir_ / "src");
    Kept(&g_hTargetEdit).Type(dir_ / "dst");
  }
  void BackUpNow() {
    OnStartBackupNow(*app_);
    ASSERT_TRUE(WaitForThreadsToEnd());
  }
  test::FaultyFileSystem faulty_;
  test::RecordingNotifier notifier_;
};

TEST_F(WindowRunNotificationTest, AFailedManualRunRaisesOneNotificationNamingWhatFailed) {
  faulty_.failCopyTo = [](const std::string& to) { return to.find("b.txt") != std::string::npos; };
  BackUpNow();
  const std::vector<Notification> shown = notifier_.Shown();
  ASSERT_EQ(1u, shown.size());
  EXPECT_EQ("Backup failed: 1 file could not be backed up", shown[0].summary);
  EXPECT_NE(std::string::npos, shown[0].body.find("b.txt")) << shown[0].body;
  EXPECT_EQ(Notification::Urgency::kCritical, shown[0].urgency);
}

TEST_F(WindowRunNotificationTest, SuccessIsQuietUnlessTheBoxIsTicked) {
  BackUpNow();
  EXPECT_TRUE(notifier_.Shown().empty());
  Kept(&AddedControls::notifyOnSuccessCheck).Toggle();
  OnNotifyOnSuccessClicked(*app_);
  test::WriteFile(dir_ / "src/c.txt", "gamma");
  BackUpNow();
  ASSERT_EQ(1u, notifier_.Shown().size());
  EXPECT_EQ(Notification::Urgency::kNormal, notifier_.Shown()[0].urgency);
}

TEST_F(WindowRunNotificationTest, WithoutAServiceTheLineGoesToTheBackupLog) {
  notifier_.Answer(NotifyResult::kNoService, "no session bus (Error: 2 (No such file))");
  faulty_.failCopyTo = [](const std::string&) { return true; };
  BackUpNow();
  const std::vector<std::string> lines = BackupLogLines();
  EXPECT_EQ(1, CountOf(lines, "Notification not shown: no session bus (Error: 2 (No such file))"));
  EXPECT_EQ("Notification not shown: no session bus (Error: 2 (No such file))", lines.back());
  EXPECT_TRUE(Kept(&g_hStartButton).Enabled());
}

}  // namespace
}  // namespace qs
