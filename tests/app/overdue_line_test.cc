// The overdue line over the step clock and in-memory controls: the last successful backup
// comes from the target's record, read at the start and after each run; the line shows the
// verdict, and one notification is raised per overdue stretch.
#include "app/overdue_line.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "engine/record_facts.h"
#include "engine/record_store.h"
#include "tests/support/app_fixture.h"
#include "tests/support/recording_notifier.h"

namespace qs {
namespace {

constexpr int64_t kTicksPerHour = int64_t{3600} * 10000000;
constexpr int64_t kMillisPerHour = int64_t{3600} * 1000;

class OverdueLineTest : public test::AppFixture {
 protected:
  OverdueLineTest() {
    test::WriteFile(SettingsFile(), Target() + "/../src\r\n" + Target() + "\r\n60\r\n0\r\n0\r\n");
    app_->notifier = &notifier_;
    Create();
    app_->backupWhenClosed = true;  // overdue after a day
  }
  ~OverdueLineTest() override { g_autoBackupRunning = false; }

  std::string Target() { return dir_ / "dst"; }
  /// A run in the target's record that ended `hours_ago` with `exit_status`.
  void RecordRun(int64_t hours_ago, int exit_status) {
    RecordStore store = RecordStore::Open(app_->fs, Target() + kPathSeparator);
    RunFact run;
    run.number = store.history().runs().size() + 1;
    run.endTicks = clock_->WallTicks() - hours_ago * kTicksPerHour;
    run.startTicks = run.endTicks - 10000000;
    run.exitStatus = exit_status;
    run.fullListing = true;
    uint32_t code = 0;
    ASSERT_TRUE(store.Append(app_->fs, FrameKind::kRun, EncodeRun(run), &code)) << code;
  }
  void PassHours(int64_t hours) {
    clock_->RunFor(hours * kMillisPerHour);
    clock_->SleepMillis(hours * kMillisPerHour);
  }
  std::string Line() { return Kept(&AddedControls::overdueLabel).GetText(1000); }
  void RunEnded() { app_->overdue.OnRunEvent({.kind = RunEventKind::kEnded}); }

  test::RecordingNotifier notifier_;
};

TEST_F(OverdueLineTest, NothingIsOverdueWithoutARecordOrWithNoScheduleOn) {
  ShowOverdue(*app_);
  EXPECT_EQ("", Line());
  RecordRun(48, 0);
  RunEnded();
  app_->backupWhenClosed = false;
  ShowOverdue(*app_);
  EXPECT_EQ("", Line());
  EXPECT_TRUE(notifier_.Shown().empty());
}

TEST_F(OverdueLineTest, AnOldSuccessShowsTheLineAndNotifiesOncePerStretch) {
  RecordRun(30, 0);
  RecordRun(1, 2);  // a failed run is no successful backup
  RunEnded();
  ShowOverdue(*app_);
  EXPECT_EQ("Backup overdue: last successful backup 30 hours ago", Line());
  EXPECT_TRUE(Kept(&AddedControls::overdueLabel).layout.style & kStyleAlert);
  ShowOverdue(*app_);
  PassHours(1);
  ShowOverdue(*app_);
  EXPECT_EQ("Backup overdue: last successful backup 31 hours ago", Line());
  ASSERT_EQ(1u, notifier_.Shown().size());
  EXPECT_EQ("Backup overdue", notifier_.Shown()[0].summary);
  EXPECT_NE(std::string::npos, notifier_.Shown()[0].body.find(Target()))
      << notifier_.Shown()[0].body;

  // A new success ends the stretch once a run has ended; the next one notifies again.
  RecordRun(0, 0);
  ShowOverdue(*app_);
  EXPECT_EQ("Backup overdue: last successful backup 31 hours ago", Line());  // not read yet
  RunEnded();
  ShowOverdue(*app_);
  EXPECT_EQ("", Line());
  PassHours(25);
  ShowOverdue(*app_);
  EXPECT_EQ("Backup overdue: last successful backup 25 hours ago", Line());
  EXPECT_EQ(2u, notifier_.Shown().size());
}

TEST_F(OverdueLineTest, AutomaticBackupUsesThreeIntervalsAndTheStoredTarget) {
  RecordRun(4, 0);
  app_->backupWhenClosed = false;
  g_autoBackupRunning = true;
  g_settings.intervalMinutes = 60;
  ShowOverdue(*app_);
  EXPECT_EQ("Backup overdue: last successful backup 4 hours ago", Line());
  // Another target, with no record: nothing to measure from.
  app_->overdue.WatchTarget(dir_ / "elsewhere");
  ShowOverdue(*app_);
  EXPECT_EQ("", Line());
}

TEST_F(OverdueLineTest, ANotificationNotShownIsSaidInTheBackupLog) {
  notifier_.Answer(NotifyResult::kNoService, "no session bus");
  RecordRun(48, 0);
  RunEnded();
  ShowOverdue(*app_);
  ShowOverdue(*app_);
  EXPECT_EQ(1, test::CountOf(BackupLogLines(), "Notification not shown: no session bus"));
}

}  // namespace
}  // namespace qs
