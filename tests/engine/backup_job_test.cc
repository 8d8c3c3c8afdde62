// Job construction: root normalisation and a clean start.
#include "engine/backup_job.h"

#include <gtest/gtest.h>

#include <sstream>

#include "log/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;

TEST(BackupJobTest, RootsGetExactlyOneTrailingSeparator) {
  BackupJob a(Native("/data"), Native("/backup/"), nullptr, nullptr, false);
  EXPECT_EQ(Native("/data/"), a.sourceRoot);
  EXPECT_EQ(Native("/backup/"), a.targetRoot);
  BackupJob b("", "", nullptr, nullptr, false);
  EXPECT_EQ("", b.sourceRoot);
  EXPECT_EQ("", b.targetRoot);
}

TEST(BackupJobTest, OnlyTheNativeSeparatorCountsAtTheEnd) {
  const char other = kPathSeparator == '/' ? '\\' : '/';
  BackupJob job(std::string("D:") + other + "backup" + other, "x", nullptr, nullptr, true);
  EXPECT_EQ(std::string("D:") + other + "backup" + other + kPathSeparator, job.sourceRoot);
}

TEST(BackupJobTest, NewJobHasZeroCountersAndNoVersionDirectory) {
  MemoryLogPane pane;
  BackupJob job(Native("/a"), Native("/b"), &pane, nullptr, true);
  EXPECT_EQ(0, job.counters.copied + job.counters.updated + job.counters.skipped +
                   job.counters.failed + job.counters.timeVersioned);
  EXPECT_EQ("", job.versionDir);
  EXPECT_TRUE(job.timeVersioningOn);
  EXPECT_EQ(&pane, job.backupLogPane);
  EXPECT_EQ(nullptr, job.fileLogPane);
}

TEST(BackupJobTest, MessageOnlyJobWritesOnlyToItsBackupLogPane) {
  test::FakeClock clock;
  std::ostringstream console;
  MemoryLogPane pane;
  BackupJob job("", "", &pane, nullptr, false, test::TestServices(nullptr, &clock, &console));
  job.LogMessage("=== Log cleared ===");
  EXPECT_EQ(std::vector<std::string>{"=== Log cleared ==="},
            test::WithoutStamps(test::PaneLines(pane.Text())));
  EXPECT_EQ("", console.str());
}

TEST(BackupJobTest, SummaryTextNamesEveryCounter) {
  BackupCounters counters{3, 2, 10, 1, -4};
  EXPECT_EQ(
      "Time-based incremental backup completed: 3 copied, 2 updated, 10 skipped, 1 failed, "
      "-4 time-versioned.",
      counters.SummaryText());
}

}  // namespace
}  // namespace qs
