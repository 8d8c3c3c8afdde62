// The status texts: every countdown case and the label refresh.
#include "app/status_display.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/app_state.h"
#include "tests/support/app_fixture.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

constexpr int64_t kSecond = 1000000000;

std::string Rest(int64_t seconds_left, int64_t extra_nanos = 0) {
  const int64_t now = 5 * kSecond;
  const std::string text =
      CountdownText(true, false, now + seconds_left * kSecond + extra_nanos, now);
  const std::string prefix = "Next backup in: ";
  return text.rfind(prefix, 0) == 0 ? text.substr(prefix.size()) : "<" + text + ">";
}

TEST(CountdownTextTest, EveryRowOfTheTable) {
  EXPECT_EQ("00:59", Rest(59));
  EXPECT_EQ("59:59", Rest(3599));
  EXPECT_EQ("01:00:00", Rest(3600));
  EXPECT_EQ("23:59:59", Rest(86399));
  EXPECT_EQ("1 day 00:00:00", Rest(86400));
  EXPECT_EQ("1 day 00:00:01", Rest(86401));
  EXPECT_EQ("1 day 01:01:01", Rest(90061));
  EXPECT_EQ("1 day 23:59:59", Rest(172799));
  EXPECT_EQ("2 days 00:00:00", Rest(172800));
  EXPECT_EQ("2 days 00:00:05", Rest(172805));
  EXPECT_EQ("00:59", Rest(59, 900000000));  // 59.9 s left
  EXPECT_EQ("24855 days 03:14:07", Rest(2147483647));
}

TEST(CountdownTextTest, TheOtherStates) {
  EXPECT_EQ("Auto backup not running", CountdownText(false, true, 100 * kSecond, 0));
  EXPECT_EQ("Backup in progress...", CountdownText(true, true, 100 * kSecond, 0));
  EXPECT_EQ("Next backup: Any moment...", CountdownText(true, false, 100 * kSecond, 100 * kSecond));
  EXPECT_EQ("Next backup: Any moment...", CountdownText(true, false, 0, 100 * kSecond));
  EXPECT_EQ("Next backup: Any moment...", CountdownText(true, false, 600000000, 0));  // 0.6 s
}

/// A label that remembers what was written to it.
class RecordingLabel : public Control {
 public:
  std::string GetText(int) override { return text; }
  void SetText(const std::string& t) override {
    text = t;
    ++writes;
  }
  void Enable(bool) override {}
  bool IsChecked() override { return false; }
  void SetChecked(bool) override {}
  std::string text;
  int writes = 0;
};

class RefreshStatusTest : public ::testing::Test {
 protected:
  RefreshStatusTest() { test::ResetAppState(); }
  ~RefreshStatusTest() override { test::ResetAppState(); }
  void RefreshStatus() { status_.RefreshStatus(); }

  test::FakeClock clock_;
  StatusDisplay status_{clock_};
  RecordingLabel clock_label_, status_label_, countdown_label_;
};

TEST_F(RefreshStatusTest, NothingIsWrittenBeforeTheLabelsExist) {
  g_hClockLabel = &clock_label_;
  g_hStatusLabel = &status_label_;
  RefreshStatus();
  EXPECT_EQ(0, clock_label_.writes + status_label_.writes);
}

TEST_F(RefreshStatusTest, WritesAllThreeLabels) {
  g_hClockLabel = &clock_label_;
  g_hStatusLabel = &status_label_;
  g_hCountdownLabel = &countdown_label_;
  RefreshStatus();
  EXPECT_EQ("Auto Backup: INACTIVE", status_label_.text);
  EXPECT_EQ("2025-01-31 08:00:00.000", clock_label_.text);
  EXPECT_EQ("Auto backup not running", countdown_label_.text);

  g_backupInProgress = true;  // a manual run while the scheduler is off
  RefreshStatus();
  EXPECT_EQ("Auto backup not running", countdown_label_.text);

  g_autoBackupRunning = true;
  RefreshStatus();
  EXPECT_EQ("Auto Backup: ACTIVE", status_label_.text);
  EXPECT_EQ("Backup in progress...", countdown_label_.text);

  g_backupInProgress = false;
  g_nextBackupTime = clock_.MonotonicNanos() + 3600 * kSecond;
  clock_.Advance(kSecond);
  RefreshStatus();
  EXPECT_EQ("Next backup in: 59:59", countdown_label_.text);
  EXPECT_EQ("2025-01-31 08:00:01.000", clock_label_.text);
  EXPECT_EQ(4, countdown_label_.writes);
}

TEST_F(RefreshStatusTest, ARunUnderWayIsShownFromItsStartToItsEnd) {
  g_hClockLabel = &clock_label_;
  g_hStatusLabel = &status_label_;
  g_hCountdownLabel = &countdown_label_;
  g_autoBackupRunning = true;
  status_.OnRunEvent({.kind = RunEventKind::kStarted});
  EXPECT_TRUE(g_backupInProgress);
  EXPECT_EQ("Backup in progress...", countdown_label_.text);
  status_.OnRunEvent({.kind = RunEventKind::kCopied, .path = "a"});
  EXPECT_TRUE(g_backupInProgress);
  status_.OnRunEvent({.kind = RunEventKind::kEnded});
  EXPECT_FALSE(g_backupInProgress);
  EXPECT_EQ("Next backup: Any moment...", countdown_label_.text);
}

// The status area is refreshed once for each event, however many lines the event makes; the
// events of a file found unchanged, and of a wait, refresh nothing, as they make no line.
TEST_F(RefreshStatusTest, EachEventItIsToldOfRefreshesTheLabelsOnce) {
  g_hClockLabel = &clock_label_;
  g_hStatusLabel = &status_label_;
  g_hCountdownLabel = &countdown_label_;
  g_nextBackupTime = clock_.MonotonicNanos() + 60 * kSecond;
  g_autoBackupRunning = true;  // the trigger raises it before it reports its start
  const auto writes = [&] {
    return std::vector<int>{clock_label_.writes, status_label_.writes, countdown_label_.writes};
  };
  const auto told = [&](const RunEvent& event) {
    const std::vector<int> before = writes();
    status_.OnRunEvent(event);
    std::vector<int> added = writes();
    for (size_t i = 0; i < added.size(); ++i) added[i] -= before[i];
    return added;
  };
  const std::vector<int> once = {1, 1, 1}, none = {0, 0, 0};
  EXPECT_EQ(once, told({.kind = RunEventKind::kAutoBackupStarted}));
  EXPECT_EQ("Auto Backup: ACTIVE", status_label_.text);
  EXPECT_EQ(once, told({.kind = RunEventKind::kNextBackupIn, .minutes = 1}));
  EXPECT_EQ("Next backup in: 01:00", countdown_label_.text);
  EXPECT_EQ(once, told({.kind = RunEventKind::kScheduledBackupStarted}));
  EXPECT_EQ(once, told({.kind = RunEventKind::kStarted}));  // five lines in the backup log
  EXPECT_EQ("Backup in progress...", countdown_label_.text);
  EXPECT_EQ(once, told({.kind = RunEventKind::kScanned, .count = 2}));
  EXPECT_EQ(once, told({.kind = RunEventKind::kCopied, .path = "a"}));
  EXPECT_EQ(none, told({.kind = RunEventKind::kSkipped, .path = "b"}));
  EXPECT_EQ(none, told({.kind = RunEventKind::kCopying, .count = 2}));
  EXPECT_EQ(once, told({.kind = RunEventKind::kRecordNotKept, .path = "j", .code = 28}));
  EXPECT_EQ(once, told({.kind = RunEventKind::kEnded}));
  EXPECT_EQ("Next backup in: 01:00", countdown_label_.text);
  g_autoBackupRunning = false;  // lowered by the stop before it reports it
  EXPECT_EQ(once, told({.kind = RunEventKind::kAutoBackupStopped}));
  EXPECT_EQ("Auto Backup: INACTIVE", status_label_.text);
  EXPECT_EQ("Auto backup not running", countdown_label_.text);
}

}  // namespace
}  // namespace qs
