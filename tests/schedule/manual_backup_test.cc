// The manual backup worker on its own: a request and seams in, a run on a thread of its own,
// and the call back once it is over.
#include "schedule/manual_backup.h"

#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>

#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

class ManualBackupTest : public ::testing::Test {
 protected:
  RunSeams Seams() {
    RunSeams seams;
    seams.backupLog = &backup_pane_;
    seams.fileLog = &file_pane_;
    seams.services = test::TestServices(&fs_, &clock_, &console_);
    seams.presence = threads_.Ticket();
    return seams;
  }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  MemoryLogPane backup_pane_, file_pane_;
  ThreadCount threads_;
};

TEST_F(ManualBackupTest, RunsTheRequestOnAWorkerAndCallsBackOnItsThread) {
  test::WriteFile(dir_ / "src/a.txt", "alpha");
  std::atomic<bool> finished{false};
  std::thread::id worker;
  const BackupOptions request = BackupOptions::Of(dir_ / "src", dir_ / "dst", false);
  ASSERT_TRUE(StartManualBackup(request, Seams(), [&] {
    worker = std::this_thread::get_id();
    finished = true;
  }));
  ASSERT_TRUE(test::WaitUntil([&] { return finished.load(); }));
  ASSERT_TRUE(test::WaitUntil([&] { return threads_.Running() == 0; }));
  EXPECT_NE(std::this_thread::get_id(), worker);
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));
  const std::vector<std::string> lines = test::WithoutStamps(test::PaneLines(backup_pane_.Text()));
  EXPECT_EQ("Source: " + dir_ / "src/", lines.at(1));
  EXPECT_EQ("Backup operation completed.", lines.back());
  EXPECT_EQ("=== File Operation Log ===", test::PaneLines(file_pane_.Text()).at(0));
}

TEST_F(ManualBackupTest, TheWorkerOwnsItsRequestAndIsNotWaitedFor) {
  test::WriteFile(dir_ / "src/a.txt", "alpha");
  test::GatedFileSystem gated;
  RunSeams seams = Seams();
  seams.services.fs = &gated;
  std::atomic<bool> finished{false};
  {
    BackupOptions request = BackupOptions::Of(dir_ / "src", dir_ / "dst", false);
    ASSERT_TRUE(StartManualBackup(request, seams, [&] { finished = true; }));
    request.sourceRoot = "changed";  // the caller's copies go away while the run goes on
    seams = RunSeams();
  }
  gated.WaitUntilCopyWaiting();  // the start returned while the run waits
  EXPECT_FALSE(finished);
  gated.Open();
  ASSERT_TRUE(test::WaitUntil([&] { return threads_.Running() == 0; }));
  EXPECT_TRUE(finished);
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));
}

}  // namespace
}  // namespace qs
