// A run's state: root normalisation and a clean start; the two logs a front end builds over
// panes or the console, and the order in which a front end's observers hear a run.
#include "engine/backup_job.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "engine/backup_request.h"
#include "engine/backup_run.h"
#include "schedule/run_seams.h"
#include "tests/support/backup_logs.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;

/// Hears nothing: the state of a run is looked at, not what it reports.
struct Deaf : RunObserver {
  void OnRunEvent(const RunEvent&) override {}
};

class BackupJobTest : public ::testing::Test {
 protected:
  /// A run's state for `source` and `target` as given.
  std::unique_ptr<BackupJob> Job(const std::string& source, const std::string& target,
                                 bool versioning) {
    return std::make_unique<BackupJob>(fs_, clock_, BackupOptions::Of(source, target, versioning),
                                       deaf_);
  }

  test::FaultyFileSystem fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  MemoryLogPane backup_pane_, file_pane_;
  Deaf deaf_;
};

TEST_F(BackupJobTest, RootsGetExactlyOneTrailingSeparator) {
  const auto a = Job(Native("/data"), Native("/backup/"), false);
  EXPECT_EQ(Native("/data/"), a->options.sourceRoot);
  EXPECT_EQ(Native("/backup/"), a->options.targetRoot);
  const auto b = Job("", "", false);
  EXPECT_EQ("", b->options.sourceRoot);
  EXPECT_EQ("", b->options.targetRoot);
  const BackupOptions request = BackupOptions::Of(Native("/data"), Native("/backup"), true);
  BackupJob c(fs_, clock_, request, deaf_);
  EXPECT_EQ(Native("/data/"), c.options.sourceRoot);
  EXPECT_EQ(Native("/backup/"), c.options.targetRoot);
  EXPECT_EQ(Native("/data"), request.sourceRoot);  // the request itself stays as it was
}

TEST_F(BackupJobTest, OnlyTheNativeSeparatorCountsAtTheEnd) {
  const char other = kPathSeparator == '/' ? '\\' : '/';
  const auto job = Job(std::string("D:") + other + "backup" + other, "x", true);
  EXPECT_EQ(std::string("D:") + other + "backup" + other + kPathSeparator, job->options.sourceRoot);
}

TEST_F(BackupJobTest, NewJobHasZeroCountersAndNoVersionDirectory) {
  const auto job = Job(Native("/a"), Native("/b"), true);
  EXPECT_EQ(0, job->results.counters.copied + job->results.counters.updated +
                   job->results.counters.skipped + job->results.counters.failed +
                   job->results.counters.timeVersioned);
  EXPECT_EQ("", job->results.versionDir);
  EXPECT_TRUE(job->options.timeVersioningOn);
}

TEST_F(BackupJobTest, ABackupLogWithAPaneWritesOnlyToIt) {
  MemoryLogPane pane;
  test::BackupLogs logs(&pane, nullptr, clock_, &console_);
  logs.backupLog.Write("=== Log cleared ===");
  EXPECT_EQ(std::vector<std::string>{"=== Log cleared ==="},
            test::WithoutStamps(test::PaneLines(pane.Text())));
  EXPECT_EQ("", console_.str());
}

TEST_F(BackupJobTest, EachCategoryReachesItsLogs) {
  test::BackupLogs logs(&backup_pane_, &file_pane_, clock_, &console_);
  const std::string root = Native("/src/");
  const std::string file = Native("/src/sub/a.txt");
  const std::string shown = Native("sub/a.txt");
  logs.LogFileOperation(FileOperation::kSkipped, file, "", root);
  EXPECT_EQ("", backup_pane_.Text());
  EXPECT_EQ("", file_pane_.Text());

  logs.LogFileOperation(FileOperation::kBackupStarted, "Session started", "", root);
  logs.LogFileOperation(FileOperation::kCopied, file, "", root);
  logs.LogFileOperation(FileOperation::kUpdated, file, "ignored detail", root);
  logs.LogFileOperation(FileOperation::kTimeVersion, Native("/dst/sub/a.txt"), "", root);
  logs.LogFileOperation(FileOperation::kFailed, file, "", root);
  logs.LogFileOperation(FileOperation::kCopyError, file, "x", root);
  logs.LogFileOperation(FileOperation::kDirectoryError, Native("/dst/sub"), "", root);
  logs.LogFileOperation(FileOperation::kTimeVersionFailed, Native("/dst/sub/a.txt"), "", root);

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
  test::BackupLogs logs(&backup_pane_, nullptr, clock_, &console_);
  logs.LogFileOperation(FileOperation::kCopied, Native("/src/a.txt"), "", Native("/src/"));
  logs.LogFileOperation(FileOperation::kFileScan, "3 files found", "", Native("/src/"));
  EXPECT_EQ(std::vector<std::string>{"[COPIED] a.txt"},
            test::WithoutStamps(test::PaneLines(backup_pane_.Text())));
}

/// What one run wrote: its two panes (when it had them) and its console.
struct Written {
  std::string backupLog, fileLog, console;
};

/// Runs a backup with failures, and a front end's own lines around it, on a fresh target;
/// the logs over panes, or without them.
class RunLogsTest : public BackupJobTest {
 protected:
  RunLogsTest() {
    test::WriteFile(dir_ / "src/a.txt", "alpha");
    test::WriteFile(dir_ / "src/sub/b.txt", "beta");
    fs_.failCopyTo = [](const std::string& to) { return to.ends_with("b.txt"); };
  }

  Written Run(bool panes) {
    std::filesystem::remove_all(dir_ / "dst");
    MemoryLogPane backup_pane, file_pane;
    std::ostringstream console;
    const BackupOptions request = BackupRequest(dir_ / "src", dir_ / "dst", true).Build();
    test::BackupLogs logs(panes ? &backup_pane : nullptr, panes ? &file_pane : nullptr, clock_,
                          &console, request.sourceRoot);
    logs.backupLog.Write("=== Scheduled backup started ===");
    RunBackup(fs_, clock_, request, logs);
    logs.LogFileOperation(FileOperation::kCopyError, dir_ / "src/sub/b.txt", "",
                          request.sourceRoot);
    logs.LogFileOperation(FileOperation::kCopied, dir_ / "src/a.txt", "", request.sourceRoot);
    return {backup_pane.Text(), file_pane.Text(), console.str()};
  }

  test::ScopedTempDir dir_;
};

/// The text with each CR LF made a LF, as the console ends its lines.
std::string ConsoleLines(std::string text) {
  for (size_t at; (at = text.find("\r\n")) != std::string::npos;) text.erase(at, 1);
  return text;
}

TEST_F(RunLogsTest, ThePaneAndTheConsoleGetTheSameLines) {
  const Written panes = Run(true);
  const Written console = Run(false);
  EXPECT_EQ(ConsoleLines(panes.backupLog), console.console);
  EXPECT_TRUE(panes.console.empty()) << panes.console;
  EXPECT_TRUE(console.fileLog.empty()) << console.fileLog;
  // A run with lines of every kind: not two empty logs alike.
  for (const std::string& backup_log : {panes.backupLog, console.console}) {
    EXPECT_NE(std::string::npos, backup_log.find("=== Scheduled backup started ===")) << backup_log;
    EXPECT_NE(std::string::npos, backup_log.find("CopyFile failed: ")) << backup_log;
    EXPECT_NE(std::string::npos, backup_log.find("] [COPIED] a.txt")) << backup_log;
  }
  EXPECT_NE(std::string::npos, panes.fileLog.find("| Failed: 1 |")) << panes.fileLog;
  EXPECT_EQ("[COPIED] a.txt", test::PaneLines(panes.fileLog).back());
}

/// Notes, for each event, which of the run's listeners heard it.
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

TEST_F(RunLogsTest, TheServicesObserversHearFirstThenTheFileLogThenTheBackupLog) {
  std::vector<std::string> heard;
  Hearing first(&heard), second(&heard);
  JobServices services = test::TestServices(&fs_, &clock_, &console_);
  services.observers = {&first, &second};
  HeardBackupLog backup_log(&backup_pane_, services.log, &heard);
  HeardFileLog file_log(&file_pane_, &heard);
  RunLoggedBackup(services, BackupRequest(dir_ / "src", dir_ / "dst", false).Build(), file_log,
                  backup_log);
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
