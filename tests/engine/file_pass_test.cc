// The threaded file pass must be indistinguishable from one thread: same lines, same order,
// same counters, same target tree.
#include "engine/file_pass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <thread>

#include "engine/backup_request.h"
#include "engine/backup_run.h"
#include "tests/support/backup_logs.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Seconds;

/// Every reading lies 300 us after the one before: each probe of the target looks slow, as
/// on a network share, so the pass hands out whole directories to many threads.
class SlowTargetClock : public test::FakeClock {
 public:
  int64_t MonotonicNanos() override { return now_ += 300000; }

 private:
  std::atomic<int64_t> now_{0};
};

struct RunResult {
  std::vector<std::string> backup_log, file_log, target_tree;
  BackupCounters counters;
};

class FilePassTest : public ::testing::Test {
 protected:
  /// 320 files in 8 directories: a quarter missing in the target, a quarter older, a quarter
  /// equal, a quarter newer in the target; copies of every seventh file fail.
  void PrepareTrees() {
    std::filesystem::remove_all(dir_ / "dst");
    for (int i = 0; i < 320; ++i) {
      const std::string name = "d" + std::to_string(i % 8) + "/f" + std::to_string(i);
      test::WriteFile(dir_ / ("src/" + name), "source " + std::to_string(i), Seconds(2000));
      const int kind = i % 4;
      if (kind == 0) continue;
      const FileTime target_time = kind == 1   ? Seconds(1000)
                                   : kind == 2 ? Seconds(2000)
                                               : Seconds(3000);
      test::WriteFile(dir_ / ("dst/" + name), "target", target_time);
    }
  }

  RunResult Run(int threads, bool versioning, bool slow_target = false) {
    PrepareTrees();
    test::FaultyFileSystem fs;
    fs.failCopyTo = [](const std::string& to) {
      const size_t f = to.rfind('f');
      return std::stoi(to.substr(f + 1)) % 7 == 0;
    };
    test::FakeClock fast_clock;
    SlowTargetClock slow_clock;
    test::FakeClock& clock = slow_target ? slow_clock : fast_clock;
    std::ostringstream console;
    MemoryLogPane backup_pane, file_pane;
    BackupOptions request = BackupOptions::Of(dir_ / "src", dir_ / "dst", versioning);
    request.tuning.fileThreads = threads;
    test::BackupLogs logs(&backup_pane, &file_pane, clock, &console);
    const BackupResults results = RunBackup(fs, clock, request, logs);
    return {test::WithoutStamps(test::PaneLines(backup_pane.Text())),
            test::PaneLines(file_pane.Text()), test::ListTree(dir_ / "dst"), results.counters};
  }

  test::ScopedTempDir dir_;
};

TEST_F(FilePassTest, ThreadsGiveTheSameRunAsOneThread) {
  const RunResult one = Run(1, false);
  const RunResult four = Run(4, false);
  EXPECT_EQ(one.backup_log, four.backup_log);
  EXPECT_EQ(one.file_log, four.file_log);
  EXPECT_EQ(one.target_tree, four.target_tree);
  // 80 missing and 80 older files, of which every seventh fails; 160 skipped.
  EXPECT_EQ(68, four.counters.copied);
  EXPECT_EQ(69, four.counters.updated);
  EXPECT_EQ(160, four.counters.skipped);
  EXPECT_EQ(23, four.counters.failed);
}

TEST_F(FilePassTest, OnASlowTargetThreadsByDirectoryGiveTheSameRunAsOneThread) {
  const RunResult one = Run(1, false);
  const RunResult slow = Run(0, false, true);
  EXPECT_EQ(one.backup_log, slow.backup_log);
  EXPECT_EQ(one.file_log, slow.file_log);
  EXPECT_EQ(one.target_tree, slow.target_tree);
  EXPECT_EQ(68, slow.counters.copied);
  EXPECT_EQ(69, slow.counters.updated);
  EXPECT_EQ(160, slow.counters.skipped);
  EXPECT_EQ(23, slow.counters.failed);
  const RunResult versioned_one = Run(1, true);
  const RunResult versioned_slow = Run(0, true, true);
  EXPECT_EQ(versioned_one.backup_log, versioned_slow.backup_log);
  EXPECT_EQ(versioned_one.target_tree, versioned_slow.target_tree);
}

TEST_F(FilePassTest, NamesInADirectoryTheRunMadeAreNotLookedUpThoseInAnOlderOneAre) {
  // The first name of a new directory is looked up, the directory made, and the others go
  // straight to their copies; in a directory that was there, every name is looked up, and
  // here each finds an older copy to update.
  for (const char* name : {"new/a", "new/b", "new/c", "old/a", "old/b", "old/c"})
    test::WriteFile(dir_ / ("src/" + std::string(name)), "source", Seconds(2000));
  for (const char* name : {"old/a", "old/b", "old/c"})
    test::WriteFile(dir_ / ("dst/" + std::string(name)), "older", Seconds(1000));
  test::FaultyFileSystem fs;
  test::FakeClock clock;
  std::ostringstream console;
  MemoryLogPane backup_pane, file_pane;
  test::BackupLogs logs(&backup_pane, &file_pane, clock, &console);
  const BackupResults results =
      RunBackup(fs, clock, BackupOptions::Of(dir_ / "src", dir_ / "dst", false), logs);
  EXPECT_EQ(3, results.counters.copied);
  EXPECT_EQ(3, results.counters.updated);
  EXPECT_EQ("source", test::ReadFile(dir_ / "dst/old/c"));
  const auto looked_up = [&fs](const std::string& path) {
    return std::count(fs.probes.begin(), fs.probes.end(), path);
  };
  // The first of them in the listing's order, whichever that is.
  EXPECT_EQ(1, looked_up(dir_ / "dst/new/a") + looked_up(dir_ / "dst/new/b") +
                   looked_up(dir_ / "dst/new/c"));
  for (const char* name : {"dst/old/a", "dst/old/b", "dst/old/c"})
    EXPECT_EQ(1, looked_up(dir_ / name)) << name;
}

TEST_F(FilePassTest, WithVersioningTheSameRunAsOneThread) {
  const RunResult one = Run(1, true);
  const RunResult four = Run(3, true);
  EXPECT_EQ(one.backup_log, four.backup_log);
  EXPECT_EQ(one.target_tree, four.target_tree);
  EXPECT_EQ(one.counters.timeVersioned, four.counters.timeVersioned);
  EXPECT_GT(four.counters.timeVersioned, 0);
}

TEST_F(FilePassTest, LinesFollowTheListOrder) {
  const RunResult run = Run(4, false);
  // The file lines of the backup log stand in the order of the file log's lines, which
  // follow the scan; any reordering by threads would break the interleaving of FAILED lines.
  std::vector<std::string> copied_in_backup_log;
  for (const std::string& line : run.backup_log)
    if (line.rfind("[COPIED]", 0) == 0 || line.rfind("[UPDATED]", 0) == 0)
      copied_in_backup_log.push_back(line);
  std::vector<std::string> copied_in_file_log(run.file_log.begin() + 3, run.file_log.end() - 1);
  ASSERT_EQ(137u, copied_in_file_log.size());
  // The backup log has trimmed its oldest lines: compare what it kept.
  ASSERT_GT(copied_in_backup_log.size(), 40u);
  EXPECT_EQ(std::vector<std::string>(copied_in_file_log.end() - copied_in_backup_log.size(),
                                     copied_in_file_log.end()),
            copied_in_backup_log);
}

TEST(FilePassThreadsTest, EachFileThreadRunsTheStartHookFirstAndOnce) {
  // A background run lowers its file threads' priority through the hook: every thread the
  // pass starts must run it before it handles a file, and the run's own thread is not one.
  test::ScopedTempDir dir;
  for (int i = 0; i < 200; ++i) test::WriteFile(dir / ("src/f" + std::to_string(i)), "x");
  std::mutex mutex;
  std::vector<std::thread::id> hooked;
  const std::thread::id run_thread = std::this_thread::get_id();
  test::FaultyFileSystem fs;
  test::FakeClock clock;
  std::ostringstream console;
  bool copied_unhooked = false;
  fs.failCopyTo = [&](const std::string&) {
    std::lock_guard<std::mutex> lock(mutex);
    const bool known =
        std::find(hooked.begin(), hooked.end(), std::this_thread::get_id()) != hooked.end();
    copied_unhooked = copied_unhooked || (!known && std::this_thread::get_id() != run_thread);
    return false;
  };
  const BackupOptions request = BackupRequest(dir / "src", dir / "dst", false)
                                    .Tuned({.fileThreads = 4,
                                            .onFileThreadStart =
                                                [&] {
                                                  std::lock_guard<std::mutex> lock(mutex);
                                                  hooked.push_back(std::this_thread::get_id());
                                                }})
                                    .Build();
  test::BackupLogs logs(nullptr, nullptr, clock, &console);
  EXPECT_EQ(200, RunBackup(fs, clock, request, logs).counters.copied);
  ASSERT_EQ(3u, hooked.size());
  std::sort(hooked.begin(), hooked.end());
  EXPECT_EQ(hooked.end(), std::unique(hooked.begin(), hooked.end()));
  EXPECT_EQ(hooked.end(), std::find(hooked.begin(), hooked.end(), std::this_thread::get_id()));
  EXPECT_FALSE(copied_unhooked);
}

}  // namespace
}  // namespace qs
