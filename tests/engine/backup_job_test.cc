// Job construction: root normalisation, a clean start, and the two logs built from panes or
// lent by a front end.
#include "engine/backup_job.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "engine/backup_request.h"
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

/// What one run wrote: its two panes (when it had them) and its console.
struct Written {
  std::string backupLog, fileLog, console;
};

/// Runs a backup with failures, and the job's own lines around it, on a fresh target; the
/// logs built by the job from panes, or lent to it.
class LentLogsTest : public BackupJobTest {
 protected:
  LentLogsTest() {
    test::WriteFile(dir_ / "src/a.txt", "alpha");
    test::WriteFile(dir_ / "src/sub/b.txt", "beta");
    fs_.failCopyTo = [](const std::string& to) { return to.ends_with("b.txt"); };
  }

  Written Run(bool lent, bool panes) {
    std::filesystem::remove_all(dir_ / "dst");
    MemoryLogPane backup_pane, file_pane;
    LogPane* backup = panes ? &backup_pane : nullptr;
    LogPane* file = panes ? &file_pane : nullptr;
    std::ostringstream console;
    const JobServices services = test::TestServices(&fs_, &clock_, &console);
    const BackupOptions request = BackupRequest(dir_ / "src", dir_ / "dst", true).Build();
    BackupLogObserver backup_log(backup, services.log, request.sourceRoot);
    FileLogObserver file_log(file, request.sourceRoot);
    auto job = lent
                   ? std::make_unique<BackupJob>(request, JobLogs{&backup_log, &file_log}, services)
                   : std::make_unique<BackupJob>(request, backup, file, services);
    EXPECT_EQ(backup, job->backupLogPane());
    EXPECT_EQ(file, job->fileLogPane());
    job->LogMessage("=== Scheduled backup started ===");
    job->RunBackup();
    job->LogFileOperation(FileOperation::kCopyError, dir_ / "src/sub/b.txt", "");
    job->LogFileOperation(FileOperation::kCopied, dir_ / "src/a.txt", "");
    return {backup_pane.Text(), file_pane.Text(), console.str()};
  }

  test::ScopedTempDir dir_;
};

TEST_F(LentLogsTest, LentLogsWriteWhatLogsBuiltFromPanesWrite) {
  for (const bool panes : {true, false}) {
    SCOPED_TRACE(panes ? "with panes" : "without panes: the console");
    const Written own = Run(false, panes);
    const Written lent = Run(true, panes);
    EXPECT_EQ(own.backupLog, lent.backupLog);
    EXPECT_EQ(own.fileLog, lent.fileLog);
    EXPECT_EQ(own.console, lent.console);
    // A run with lines of every kind: not two empty logs alike.
    const std::string& backup_log = panes ? lent.backupLog : lent.console;
    EXPECT_NE(std::string::npos, backup_log.find("=== Scheduled backup started ===")) << backup_log;
    EXPECT_NE(std::string::npos, backup_log.find("CopyFile failed: ")) << backup_log;
    EXPECT_NE(std::string::npos, backup_log.find("] [COPIED] a.txt")) << backup_log;
    if (panes) {
      EXPECT_NE(std::string::npos, lent.fileLog.find("| Failed: 1 |")) << lent.fileLog;
      EXPECT_EQ("[COPIED] a.txt", test::PaneLines(lent.fileLog).back());
    }
    EXPECT_EQ(panes, lent.console.empty());
  }
}

/// Notes, for each event, which of the job's listeners heard it.
struct Hearing : RunObserver {
  explicit Hearing(std::vector<std::string>* heard) : heard(heard) {}
  void OnRunEvent(const RunEvent&) override { heard->push_back("observer"); }
  std::vector<std::string>* heard;
};
struct HeardFileLog : FileLogObserver {
  HeardFileLog(LogPane* pane, std::vector<std::string>* heard)
      : FileLogObserver(pane), heard(heard) {}
  void OnRunEvent(const RunEvent& event) override {
    heard->push_back("file log");
    FileLogObserver::OnRunEvent(event);
  }
  std::vector<std::string>* heard;
};
struct HeardBackupLog : BackupLogObserver {
  HeardBackupLog(LogPane* pane, const LogServices& services, std::vector<std::string>* heard)
      : BackupLogObserver(pane, services), heard(heard) {}
  void OnRunEvent(const RunEvent& event) override {
    heard->push_back("backup log");
    BackupLogObserver::OnRunEvent(event);
  }
  std::vector<std::string>* heard;
};

TEST_F(LentLogsTest, TheServicesObserversHearFirstThenTheFileLogThenTheBackupLog) {
  std::vector<std::string> heard;
  Hearing first(&heard), second(&heard);
  JobServices services = Services();
  services.observers = {&first, &second};
  HeardBackupLog backup_log(&backup_pane_, services.log, &heard);
  HeardFileLog file_log(&file_pane_, &heard);
  BackupJob job(BackupRequest(dir_ / "src", dir_ / "dst", false).Build(),
                JobLogs{&backup_log, &file_log}, services);
  job.RunBackup();
  // Started, scanned, a copied, b failed twice over (why, then that it failed), ended.
  ASSERT_EQ(4u * 6u, heard.size());
  for (size_t at = 0; at < heard.size(); at += 4) {
    SCOPED_TRACE("event " + std::to_string(at / 4));
    EXPECT_EQ((std::vector<std::string>{"observer", "observer", "file log", "backup log"}),
              std::vector<std::string>(heard.begin() + static_cast<long>(at),
                                       heard.begin() + static_cast<long>(at) + 4));
  }
  EXPECT_EQ("[COPIED] a.txt", test::PaneLines(file_pane_.Text()).at(3));
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
