// The notification of a run, over real runs on temporary trees with injected failures.
#include "engine/run_notification.h"

#include <gtest/gtest.h>

#include <sstream>

#include "engine/backup_run.h"
#include "tests/support/backup_logs.h"
#include "tests/support/recording_notifier.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;

class RunNotificationTest : public ::testing::Test {
 protected:
  /// Runs one backup of src into dst, watched by a notification, and delivers it.
  std::string RunAndDeliver(bool notify_success = false) {
    RunNotification notification(notifier_, notify_success);
    test::BackupLogs logs(nullptr, nullptr, clock_, &console_);
    logs.observers.push_back(&notification);
    const size_t shown_before = notifier_.Shown().size();
    RunBackup(fs_, clock_, BackupOptions::Of(dir_ / "src", dir_ / "dst", false), logs);
    EXPECT_EQ(shown_before, notifier_.Shown().size()) << "nothing is shown before Deliver";
    const std::string line = notification.Deliver();
    EXPECT_EQ("", notification.Deliver()) << "a second Deliver adds nothing";
    return line;
  }

  Notification Only() {
    const std::vector<Notification> shown = notifier_.Shown();
    EXPECT_EQ(1u, shown.size());
    return shown.empty() ? Notification() : shown[0];
  }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  test::RecordingNotifier notifier_;
};

TEST_F(RunNotificationTest, AFailedRunRaisesOneCriticalNotificationNamingWhatFailed) {
  for (const char* name : {"a.txt", "sub/b.txt", "sub/c.txt", "sub/d.txt"})
    test::WriteFile(dir_ / (std::string("src/") + name), name);
  fs_.failCopyTo = [](const std::string& to) { return to.find("sub") != std::string::npos; };
  fs_.code = 13;
  EXPECT_EQ("", RunAndDeliver());
  const Notification shown = Only();
  EXPECT_EQ("Backup failed: 3 files could not be backed up", shown.summary);
  EXPECT_EQ(Notification::Urgency::kCritical, shown.urgency);
  const std::string body = shown.body;
  EXPECT_EQ(0u, body.find("Source: " + dir_ / "src/" + "\nTarget: " + dir_ / "dst/" + "\n"))
      << body;
  // The log's first failure, in the log's words, with the code's words after it.
  const std::string first = "\nFirst failure: CopyFile failed: " + dir_ / "src/sub/";
  ASSERT_NE(std::string::npos, body.find(first)) << body;
  EXPECT_NE(std::string::npos, body.find(" Error: 13 (")) << body;
}

TEST_F(RunNotificationTest, OtherFailuresAreNamedWhenNoFileFailed) {
  test::WriteFile(dir_ / "src/a.txt", "a");
  test::WriteFile(dir_ / "src/locked/b.txt", "b");
  fs_.failListDirectory = [](const std::string& path) {
    return path.find("locked") != std::string::npos;
  };
  RunAndDeliver();
  const Notification shown = Only();
  EXPECT_EQ("Backup failed: 1 folder could not be read", shown.summary);
  EXPECT_NE(std::string::npos,
            shown.body.find("\nFirst failure: Cannot list directory: " + dir_ / "src/locked"))
      << shown.body;
}

TEST_F(RunNotificationTest, SuccessIsQuietUnlessAskedFor) {
  test::WriteFile(dir_ / "src/a.txt", "a");
  EXPECT_EQ("", RunAndDeliver());
  EXPECT_TRUE(notifier_.Shown().empty());
  test::WriteFile(dir_ / "src/b.txt", "b");
  EXPECT_EQ("", RunAndDeliver(/*notify_success=*/true));
  const Notification shown = Only();
  EXPECT_EQ("Backup completed: 1 copied, 0 updated", shown.summary);
  EXPECT_EQ(Notification::Urgency::kNormal, shown.urgency);
}

TEST_F(RunNotificationTest, WithoutAServiceTheLogSaysSoInOneLine) {
  test::MakeDirs(dir_ / "src");
  fs_.failListDirectory = [](const std::string&) { return true; };
  notifier_.Answer(NotifyResult::kNoService, "no session bus (Error: 2 (No such file))");
  EXPECT_EQ("Notification not shown: no session bus (Error: 2 (No such file))", RunAndDeliver());
  notifier_.Answer(NotifyResult::kFailed, "the notification service did not answer");
  EXPECT_EQ("Notification not shown: the notification service did not answer", RunAndDeliver());
}

TEST_F(RunNotificationTest, NothingIsDeliveredBeforeARunHasEnded) {
  RunNotification notification(notifier_, true);
  EXPECT_EQ("", notification.Deliver());
  EXPECT_TRUE(notifier_.Shown().empty());
}

TEST(RunOutcomeNotificationTest, EveryKindOfFailureIsCountedMostImportantFirst) {
  BackupResults results;
  results.counters.failed = 1;
  results.unlistedDirectories = 2;
  results.timeVersionFailures = 1;
  results.flushFailures = 4;
  Notification n;
  ASSERT_TRUE(RunOutcomeNotification(results, "/s/", "/t/", "", false, &n));
  EXPECT_EQ("Backup failed: 1 file could not be backed up", n.summary);
  EXPECT_EQ(
      "Source: /s/\nTarget: /t/\nAlso 2 folders could not be read.\nAlso 1 old version could "
      "not be kept.\nAlso 4 copies could not be flushed to the disk.",
      n.body);
  results = BackupResults();
  results.flushFailures = 1;
  ASSERT_TRUE(RunOutcomeNotification(results, "/s/", "/t/", "", false, &n));
  EXPECT_EQ("Backup failed: 1 copy could not be flushed to the disk", n.summary);
}

}  // namespace
}  // namespace qs
