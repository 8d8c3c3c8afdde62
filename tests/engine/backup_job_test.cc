// Job construction: root normalisation and a clean start.
#include "engine/backup_job.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;

class BackupJobTest : public ::testing::Test {
 protected:
  JobServices Services() { return test::TestServices(&fs_, &clock_, &console_); }

  test::FaultyFileSystem fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  MemoryLogPane backup_pane_, file_pane_;
};

TEST_F(BackupJobTest, RootsGetExactlyOneTrailingSeparator) {
  BackupJob a(Native("/data"), Native("/backup/"), nullptr, nullptr, false, Services());
  EXPECT_EQ(Native("/data/"), a.options.sourceRoot);
  EXPECT_EQ(Native("/backup/"), a.options.targetRoot);
  BackupJob b("", "", nullptr, nullptr, false, Services());
  EXPECT_EQ("", b.options.sourceRoot);
  EXPECT_EQ("", b.options.targetRoot);
  BackupJob c(BackupOptions::Of(Native("/data"), Native("/backup"), true), nullptr, nullptr,
              Services());
  EXPECT_EQ(Native("/data/"), c.options.sourceRoot);
  EXPECT_EQ(Native("/backup/"), c.options.targetRoot);
}

TEST_F(BackupJobTest, OnlyTheNativeSeparatorCountsAtTheEnd) {
  const char other = kPathSeparator == '/' ? '\\' : '/';
  BackupJob job(std::string("D:") + other + "backup" + other, "x", nullptr, nullptr, true,
                Services());
  EXPECT_EQ(std::string("D:") + other + "backup" + other + kPathSeparator, job.options.sourceRoot);
}

TEST_F(BackupJobTest, NewJobHasZeroCountersAndNoVersionDirectory) {
  MemoryLogPane pane;
  BackupJob job(Native("/a"), Native("/b"), &pane, nullptr, true, Services());
  EXPECT_EQ(0, job.results.counters.copied + job.results.counters.updated +
                   job.results.counters.skipped + job.results.counters.failed +
                   job.results.counters.timeVersioned);
  EXPECT_EQ("", job.results.versionDir);
  EXPECT_TRUE(job.options.timeVersioningOn);
  EXPECT_EQ(&pane, job.backupLogPane());
  EXPECT_EQ(nullptr, job.fileLogPane());
}

TEST_F(BackupJobTest, MessageOnlyJobWritesOnlyToItsBackupLogPane) {
  MemoryLogPane pane;
  BackupJob job("", "", &pane, nullptr, false, Services());
  job.LogMessage("=== Log cleared ===");
  EXPECT_EQ(std::vector<std::string>{"=== Log cleared ==="},
            test::WithoutStamps(test::PaneLines(pane.Text())));
  EXPECT_EQ("", console_.str());
}

TEST_F(BackupJobTest, EachCategoryReachesItsLogs) {
  BackupJob job(Native("/src"), Native("/dst"), &backup_pane_, &file_pane_, false, Services());
  const std::string file = Native("/src/sub/a.txt");
  const std::string shown = Native("sub/a.txt");
  job.LogFileOperation(FileOperation::kSkipped, file, "");
  EXPECT_EQ("", backup_pane_.Text());
  EXPECT_EQ("", file_pane_.Text());

  job.LogFileOperation(FileOperation::kBackupStarted, "Session started", "");
  job.LogFileOperation(FileOperation::kCopied, file, "");
  job.LogFileOperation(FileOperation::kUpdated, file, "ignored detail");
  job.LogFileOperation(FileOperation::kTimeVersion, Native("/dst/sub/a.txt"), "");
  job.LogFileOperation(FileOperation::kFailed, file, "");
  job.LogFileOperation(FileOperation::kCopyError, file, "x");
  job.LogFileOperation(FileOperation::kDirectoryError, Native("/dst/sub"), "");
  job.LogFileOperation(FileOperation::kTimeVersionFailed, Native("/dst/sub/a.txt"), "");

  EXPECT_EQ((std::vector<std::string>{"[BACKUP STARTED] Session started", "[COPIED] " + shown,
                                      "[UPDATED] " + shown,
                                      "[TIME VERSION] " + Native("/dst/sub/a.txt")}),
            test::PaneLines(file_pane_.Text()));
  EXPECT_EQ((std::vector<std::string>{"[COPIED] " + shown, "[UPDATED] " + shown,
                                      "[TIME VERSION] " + Native("/dst/sub/a.txt"),
                                      "[FAILED] " + file, "[COPY ERROR] " + file + " (x)",
                                      "[DIRECTORY ERROR] " + Native("/dst/sub"),
                                      "[TIME VERSION FAILED] " + Native("/dst/sub/a.txt")}),
            test::WithoutStamps(test::PaneLines(backup_pane_.Text())));
}

TEST_F(BackupJobTest, WithoutFileLogPaneCopiedStillReachesTheBackupLog) {
  BackupJob job(Native("/src"), "", &backup_pane_, nullptr, false, Services());
  job.LogFileOperation(FileOperation::kCopied, Native("/src/a.txt"), "");
  job.LogFileOperation(FileOperation::kFileScan, "3 files found", "");
  EXPECT_EQ(std::vector<std::string>{"[COPIED] a.txt"},
            test::WithoutStamps(test::PaneLines(backup_pane_.Text())));
}

TEST_F(BackupJobTest, SummaryTextNamesEveryCounter) {
  BackupCounters counters{3, 2, 10, 1, -4};
  EXPECT_EQ(
      "Time-based incremental backup completed: 3 copied, 2 updated, 10 skipped, 1 failed, "
      "-4 time-versioned.",
      counters.SummaryText());
}

}  // namespace
}  // namespace qs
