// The overdue rule over the fake clock, and the alarm that rings once per overdue stretch.
#include "schedule/overdue.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace qs {
namespace {

constexpr int64_t kMinute = int64_t{60} * 10000000;  // wall-clock ticks

class OverdueTest : public ::testing::Test {
 protected:
  /// The verdict when the last success was `minutes_ago` (plus `extra_ticks`) before now.
  OverdueVerdict Check(int64_t minutes_ago, int32_t interval, bool auto_on, bool background_on,
                       int64_t extra_ticks = 0) {
    OverdueInputs inputs;
    inputs.lastSuccessTicks = clock_.WallTicks() - minutes_ago * kMinute - extra_ticks;
    inputs.intervalMinutes = interval;
    inputs.autoBackupOn = auto_on;
    inputs.backgroundScheduleOn = background_on;
    return CheckOverdue(clock_, inputs);
  }

  test::FakeClock clock_;
};

TEST_F(OverdueTest, WithAutoBackupOnThreeIntervalsMayPass) {
  EXPECT_FALSE(Check(180, 60, true, false).overdue);    // exactly three intervals
  EXPECT_TRUE(Check(180, 60, true, false, 1).overdue);  // a tick more
  EXPECT_FALSE(Check(44, 15, true, true).overdue);      // the window's interval counts
  const OverdueVerdict late = Check(46, 15, true, true);
  EXPECT_TRUE(late.overdue);
  EXPECT_EQ("Backup overdue: last successful backup 46 minutes ago", late.line);
  EXPECT_EQ("every 15 minutes", late.expected);
  // The interval as the scheduler reads it: 0 or less is 60 minutes.
  EXPECT_FALSE(Check(170, 0, true, false).overdue);
  EXPECT_TRUE(Check(181, -5, true, false).overdue);
}

TEST_F(OverdueTest, WithOnlyTheBackgroundScheduleADayMayPass) {
  EXPECT_FALSE(Check(24 * 60, 5, false, true).overdue);
  const OverdueVerdict late = Check(24 * 60 + 1, 5, false, true);
  EXPECT_TRUE(late.overdue);
  EXPECT_EQ("Backup overdue: last successful backup 24 hours ago", late.line);
  EXPECT_EQ("at least once a day", late.expected);
  EXPECT_EQ("Backup overdue: last successful backup 3 days ago",
            Check(3 * 24 * 60 + 100, 5, false, true).line);
}

TEST_F(OverdueTest, NothingIsOverdueWithoutASchedule) {
  EXPECT_FALSE(Check(100 * 24 * 60, 60, false, false).overdue);
  EXPECT_EQ("", Check(100 * 24 * 60, 60, false, false).line);
}

TEST_F(OverdueTest, NoRecordOrAClockThatWentBackIsNotOverdue) {
  OverdueInputs inputs;
  inputs.autoBackupOn = true;
  inputs.lastSuccessTicks = 0;  // no successful backup recorded
  EXPECT_FALSE(CheckOverdue(clock_, inputs).overdue);
  inputs.lastSuccessTicks = clock_.WallTicks() + 600 * kMinute;  // "in the future"
  EXPECT_FALSE(CheckOverdue(clock_, inputs).overdue);
}

TEST_F(OverdueTest, TheClockMovingOnMakesABackupOverdue) {
  OverdueInputs inputs;
  inputs.lastSuccessTicks = clock_.WallTicks();
  inputs.intervalMinutes = 1;
  inputs.autoBackupOn = true;
  EXPECT_FALSE(CheckOverdue(clock_, inputs).overdue);
  clock_.SetWallTicks(clock_.WallTicks() + 3 * kMinute + 1);
  EXPECT_TRUE(CheckOverdue(clock_, inputs).overdue);
}

TEST_F(OverdueTest, TheNotificationNamesTheTargetAndTheAge) {
  const Notification n = OverdueNotification(Check(130, 30, true, false), "/media/usb/");
  EXPECT_EQ("Backup overdue", n.summary);
  EXPECT_EQ(
      "The last successful backup of /media/usb/ was 2 hours ago; one was due every 30 minutes.",
      n.body);
  EXPECT_EQ(Notification::Urgency::kWarning, n.urgency);
}

TEST_F(OverdueTest, TheAlarmRingsOncePerOverdueStretch) {
  OverdueAlarm alarm;
  const OverdueVerdict fine = Check(10, 60, true, false);
  const OverdueVerdict late = Check(200, 60, true, false);
  EXPECT_FALSE(alarm.ShouldNotify(fine));
  EXPECT_TRUE(alarm.ShouldNotify(late));
  for (int second = 0; second < 100; ++second) EXPECT_FALSE(alarm.ShouldNotify(late));
  EXPECT_FALSE(alarm.ShouldNotify(fine));  // a backup succeeded: the stretch is over
  EXPECT_TRUE(alarm.ShouldNotify(late));
}

}  // namespace
}  // namespace qs
