// Operations on workers and the claims on their targets: one operation at a time writes to a
// target, whatever started it, and a claim ends with its worker however the worker ends.
#include "schedule/operation_worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <sstream>

#include "engine/prune_versions.h"
#include "log/window_lines.h"
#include "schedule/manual_backup.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

class OperationWorkerTest : public ::testing::Test {
 protected:
  RunSeams Seams(FileSystem* fs) {
    RunSeams seams;
    seams.backupLog = &backup_pane_;
    seams.fileLog = &file_pane_;
    seams.services = test::TestServices(fs, &clock_, &console_);
    seams.presence = threads_.Ticket();
    seams.claims = &claims_;
    return seams;
  }
  std::vector<std::string> Lines() {
    return test::WithoutStamps(test::PaneLines(backup_pane_.Text()));
  }
  bool Logged(const std::string& line) {
    const std::vector<std::string> lines = Lines();
    return std::count(lines.begin(), lines.end(), line) == 1;
  }
  bool Ended() {
    return test::WaitUntil([&] { return threads_.Running() == 0; });
  }

  /// A prune of `target` that keeps the newest version folder only.
  bool StartPrune(const std::string& target, FileSystem* fs, std::atomic<bool>* finished) {
    const PruneRequest request{target, RetentionPolicy{.last = 1}, false};
    return StartOperation(
        Seams(fs), {kPruneClaim, target},
        [request](OperationLog& log, const JobServices& services) {
          const PruneResults results =
              PruneVersions(*services.fs, *services.log.clock, request, log);
          if (results.refused) log.Write(results.why);
        },
        [finished] { *finished = true; });
  }

  test::ScopedTempDir dir_;
  test::FakeClock clock_;
  std::ostringstream console_;
  MemoryLogPane backup_pane_, file_pane_;
  ThreadCount threads_;
  TargetClaims claims_;
};

TEST_F(OperationWorkerTest, ABackupHoldsItsTargetAgainstAPruneWhileAnotherTargetIsFree) {
  test::WriteFile(dir_ / "src/a.txt", "alpha");
  test::WriteFile(dir_ / "dst/backup_20250101_100000/README.txt", "old");
  test::WriteFile(dir_ / "dst/backup_20250102_100000/README.txt", "older");
  test::WriteFile(dir_ / "other/backup_20250101_100000/README.txt", "old");
  test::WriteFile(dir_ / "other/backup_20250102_100000/README.txt", "older");
  test::GatedFileSystem gated;
  std::atomic<bool> backup_done{false}, prune_done{false}, other_done{false};
  ASSERT_TRUE(StartManualBackup(BackupOptions::Of(dir_ / "src", dir_ / "dst", false), Seams(&gated),
                                [&] { backup_done = true; }));
  gated.WaitUntilCopyWaiting();

  EXPECT_FALSE(StartPrune(dir_ / "dst", &test::RealFs(), &prune_done));
  EXPECT_TRUE(Logged("Not started: a backup is writing to " + dir_ / "dst" + "."));
  EXPECT_TRUE(test::Exists(dir_ / "dst/backup_20250101_100000"));
  // The same target with a trailing separator is the same target.
  EXPECT_FALSE(StartPrune(dir_ / "dst/", &test::RealFs(), &prune_done));
  // A prune of another target runs meanwhile.
  ASSERT_TRUE(StartPrune(dir_ / "other", &test::RealFs(), &other_done));
  ASSERT_TRUE(test::WaitUntil([&] { return other_done.load(); }));
  EXPECT_FALSE(test::Exists(dir_ / "other/backup_20250101_100000"));
  EXPECT_TRUE(Logged("Version folder removed: " + dir_ / "other/backup_20250101_100000"));

  gated.Open();
  ASSERT_TRUE(Ended());
  EXPECT_TRUE(backup_done);
  EXPECT_FALSE(prune_done);
  EXPECT_EQ("", claims_.Holder(dir_ / "dst"));
  // Now the prune may start.
  ASSERT_TRUE(StartPrune(dir_ / "dst", &test::RealFs(), &prune_done));
  ASSERT_TRUE(Ended());
  EXPECT_TRUE(prune_done);
  EXPECT_FALSE(test::Exists(dir_ / "dst/backup_20250101_100000"));

  // A backup is not started on a target a prune holds.
  test::WriteFile(dir_ / "src/b.txt", "beta");
  std::string holder;
  const auto prune = claims_.Claim(dir_ / "dst", kPruneClaim, &holder);
  ASSERT_TRUE(prune);
  backup_done = false;
  EXPECT_FALSE(StartManualBackup(BackupOptions::Of(dir_ / "src", dir_ / "dst", false),
                                 Seams(&test::RealFs()), [&] { backup_done = true; }));
  ASSERT_TRUE(Ended());
  EXPECT_FALSE(backup_done);
  EXPECT_FALSE(test::Exists(dir_ / "dst/b.txt"));
  EXPECT_TRUE(Logged("Not started: a prune is writing to " + dir_ / "dst" + "."));
}

TEST_F(OperationWorkerTest, AClaimEndsWithItsWorkerAlsoWhenTheOperationFails) {
  std::atomic<bool> done{false};
  // No such target: the prune is refused, and says why in the backup log.
  ASSERT_TRUE(StartPrune(dir_ / "missing", &test::RealFs(), &done));
  ASSERT_TRUE(Ended());
  EXPECT_TRUE(done);
  EXPECT_EQ("", claims_.Holder(dir_ / "missing"));
  ASSERT_FALSE(Lines().empty());

  // A backup whose source is missing fails, and lets go of its target too.
  done = false;
  ASSERT_TRUE(StartManualBackup(BackupOptions::Of(dir_ / "nosrc", dir_ / "dst", false),
                                Seams(&test::RealFs()), [&] { done = true; }));
  ASSERT_TRUE(Ended());
  EXPECT_TRUE(done);
  EXPECT_EQ("", claims_.Holder(dir_ / "dst"));

  // An operation that holds a claim while it runs lets go before it says it has finished.
  std::string holder_at_work, holder_at_end;
  ASSERT_TRUE(StartOperation(
      Seams(&test::RealFs()), {kRestoreClaim, dir_ / "dst"},
      [&](OperationLog&, const JobServices&) { holder_at_work = claims_.Holder(dir_ / "dst"); },
      [&] { holder_at_end = claims_.Holder(dir_ / "dst"); }));
  ASSERT_TRUE(Ended());
  EXPECT_EQ(kRestoreClaim, holder_at_work);
  EXPECT_EQ("", holder_at_end);
}

TEST_F(OperationWorkerTest, TheOperationsLinesAreTimestampedEntriesInTheWindowsWords) {
  test::WriteFile(dir_ / "dst/backup_20250101_100000/README.txt", "old");
  const PruneRequest request{dir_ / "dst", RetentionPolicy{}, false};
  ASSERT_TRUE(StartOperation(Seams(&test::RealFs()), {},
                             [request](OperationLog& log, const JobServices& services) {
                               PruneVersions(*services.fs, *services.log.clock, request, log);
                             }));
  ASSERT_TRUE(Ended());
  EXPECT_TRUE(Logged(kNoKeepRuleInWindow));
  for (const std::string& line : test::PaneLines(backup_pane_.Text()))
    EXPECT_TRUE(line.size() > 26 && line[0] == '[' && line[24] == ']') << line;
}

}  // namespace
}  // namespace qs
