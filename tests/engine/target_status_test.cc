#include "engine/target_status.h"

#include <gtest/gtest.h>

#include "engine/check_notification.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

constexpr int64_t kSecond = 10000000;

class TargetStatusTest : public ::testing::Test {
 protected:
  std::string Target() const { return dir_.path() + kPathSeparator; }
  void Append(FrameKind kind, const std::string& payload) {
    RecordStore store = RecordStore::Open(test::RealFs(), Target());
    uint32_t code = 0;
    ASSERT_TRUE(store.Append(test::RealFs(), kind, payload, &code));
  }
  void Run(int64_t end_seconds, int exit_status, const Listing& listing,
           std::vector<std::string> failed = {}, uint64_t failed_count = 0) {
    RunFact run;
    run.number = ++runs_;
    run.endTicks = end_seconds * kSecond;
    run.exitStatus = exit_status;
    run.copied = 3;
    run.failed = static_cast<int64_t>(failed_count);
    run.changes = Diff(last_, listing);
    run.failedPaths = std::move(failed);
    run.failedCount = failed_count;
    Append(FrameKind::kRun, EncodeRun(run));
    last_ = listing;
  }
  std::string Moment(int64_t seconds) const {
    const LocalTime t = ToLocalTime(seconds);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
  }
  TargetStatus Status() { return DescribeTarget(RecordStore::Open(test::RealFs(), Target())); }

  test::ScopedTempDir dir_;
  Listing last_;
  uint64_t runs_ = 0;
};

RecordedFile File(std::string path, uint64_t size) {
  return {std::move(path), size, {100, 0}, true, {1, 2}};
}

TEST_F(TargetStatusTest, TheLastRunsTheirFailuresAndHowFarTheChecksHaveCome) {
  const Listing files = {File("a", 100), File("b", 300), File("c", 600)};
  Run(1000, 0, files);
  Run(2000, 1, files, {"x/one", "x/two"}, 5);
  CheckFact full;
  full.ticks = 2100 * kSecond;
  full.bytesRead = 1000;
  full.wrapped = true;
  Append(FrameKind::kCheck, EncodeCheck(full));
  CheckFact part;
  part.ticks = 2200 * kSecond;
  part.bytesRead = 400;
  part.resumeAt = {"", "c"};
  part.damaged = {{"", "b"}};
  Append(FrameKind::kCheck, EncodeCheck(part));
  const uint64_t bytes = RecordStore::Open(test::RealFs(), Target()).bytes();

  const TargetStatus status = Status();
  EXPECT_TRUE(status.troubled);
  EXPECT_EQ(status.lines,
            (std::vector<std::string>{
                "Last run: " + Moment(2000) + ", failed: 3 copied, 0 updated, 0 skipped, 5 failed",
                "Last run that succeeded: " + Moment(1000),
                "Failures of the last run: 5",
                "  x/one",
                "  x/two",
                "  ... and 3 more",
                "Record: " + std::to_string(bytes) + " bytes, 2 runs, 2 checks",
                "Last check of the copies: " + Moment(2200) +
                    ", 400 bytes read; 1 damaged, 0 changed outside the backup",
                "Checked in the current rotation: 40 % of 1000 bytes",
                "Last full rotation ended: " + Moment(2100),
            }));
}

TEST_F(TargetStatusTest, AGoodLastRunAndCleanChecksAreNoTrouble) {
  Run(1000, 1, {File("a", 10)}, {"a"}, 1);
  Run(2000, 0, {File("a", 10)});
  TargetStatus status = Status();
  EXPECT_FALSE(status.troubled);
  EXPECT_EQ(status.lines[1], "Last run that succeeded: the last run");
  EXPECT_EQ(status.lines[2], "Failures of the last run: none");
  EXPECT_EQ(status.lines.back(), "Last check of the copies: none yet");
  CheckFact check;
  check.ticks = 2100 * kSecond;
  Append(FrameKind::kCheck, EncodeCheck(check));
  status = Status();
  EXPECT_FALSE(status.troubled);
  EXPECT_EQ(status.lines.back(), "Last full rotation ended: none yet");
}

TEST(CheckNotificationTest, DamageRaisesOneNotificationNamingHowManyCopies) {
  CheckResults results;
  Notification notification;
  results.changed = 4;
  EXPECT_FALSE(CheckDamageNotification(results, "/mnt/usb/", &notification));
  results.damaged = 3;
  ASSERT_TRUE(CheckDamageNotification(results, "/mnt/usb/", &notification));
  EXPECT_EQ(notification.summary, "Check found 3 damaged copies");
  EXPECT_EQ(notification.urgency, Notification::Urgency::kCritical);
  EXPECT_NE(notification.body.find("Target: /mnt/usb/"), std::string::npos);
  results.repaired = 3;
  results.damaged = 1 + 2;
  ASSERT_TRUE(CheckDamageNotification(results, "/mnt/usb/", &notification));
  EXPECT_EQ(notification.urgency, Notification::Urgency::kWarning);
  EXPECT_NE(notification.body.find("Repaired: 3, still damaged: 0."), std::string::npos);
  results = {};
  results.damaged = 1;
  ASSERT_TRUE(CheckDamageNotification(results, "/t/", &notification));
  EXPECT_EQ(notification.summary, "Check found 1 damaged copy");
}

}  // namespace
}  // namespace qs
