// Copies are put in place a batch at a time, and a file's lines wait for its name to be
// durable: a flush that fails fails the files it leaves in doubt, each by name, and no other.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <sstream>

#include "engine/backup_run.h"
#include "log/run_events.h"
#include "os/error_text.h"
#include "tests/support/backup_logs.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Seconds;
using Lines = std::vector<std::string>;

/// Notes, at each copied or updated file, how many file-system events stood before it.
class ReportMoments : public RunObserver {
 public:
  explicit ReportMoments(test::FaultyFileSystem& fs) : fs_(fs) {}
  void OnRunEvent(const RunEvent& event) override {
    if (event.kind == RunEventKind::kCopied || event.kind == RunEventKind::kUpdated)
      moments.emplace_back(std::string(event.path), fs_.EventCount());
  }
  std::vector<std::pair<std::string, size_t>> moments;

 private:
  test::FaultyFileSystem& fs_;
};

size_t Find(const Lines& events, const std::string& event, size_t from = 0) {
  const auto at =
      std::find(events.begin() + static_cast<std::ptrdiff_t>(from), events.end(), event);
  return at == events.end() ? std::string::npos : static_cast<size_t>(at - events.begin());
}

class FilePassBatchTest : public ::testing::Test {
 protected:
  /// `dirs` folders of `per_dir` new files each, "dK/fN".
  void MakeSource(int dirs, int per_dir) {
    for (int d = 0; d < dirs; ++d)
      for (int f = 0; f < per_dir; ++f) test::WriteFile(Src(Name(d, f)), "x", Seconds(2000));
  }
  static std::string Name(int dir, int file) {
    return "d" + std::to_string(dir) + "/f" + std::to_string(file);
  }
  std::string Src(const std::string& p) { return dir_ / ("src/" + p); }
  std::string Dst(const std::string& p) { return dir_ / ("dst/" + p); }

  /// Runs a backup in batches of `batch` copies; the backup log's lines.
  Lines Run(int batch, RunObserver* observer = nullptr) {
    BackupOptions request = BackupOptions::Of(dir_ / "src", dir_ / "dst", false);
    request.tuning.flushBatch = batch;
    request.tuning.fileThreads = file_threads_;
    logs_.observers.clear();
    if (observer != nullptr) logs_.observers = {observer};
    results_ = RunBackup(fs_, clock_, request, logs_);
    return test::WithoutStamps(test::PaneLines(backup_pane_.Text()));
  }

  int file_threads_ = 0;  ///< 0: as many as the run picks
  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  MemoryLogPane backup_pane_, file_pane_;
  test::BackupLogs logs_{&backup_pane_, &file_pane_, clock_, &console_};
  BackupResults results_;  ///< of the last run
};

TEST_F(FilePassBatchTest, NoCopyIsReportedBeforeItsNameIsDurable) {
  for (const bool whole_volume : {true, false}) {
    fs_.wholeVolumeFlush = whole_volume;
    fs_.events.clear();
    std::filesystem::remove_all(dir_ / "dst");
    MakeSource(20, 5);  // 100 files: on several threads, in batches of 8 copies
    ReportMoments moments(fs_);
    Run(8, &moments);
    ASSERT_EQ(100u, moments.moments.size());
    const Lines events = fs_.events;
    for (const auto& [path, events_before] : moments.moments) {
      const std::string to = Dst(path.substr(Src("").size()));
      const size_t published = Find(events, "publish " + to);
      ASSERT_LT(published, events_before) << to;
      // A flush of the whole volume, or of the copy's directory, after it was put in place
      // (Windows flushes no volume whole: there it is the directory).
      const std::string directory = "sync-directory " + to.substr(0, to.rfind(kPathSeparator));
      bool found = false;
      for (size_t at = published + 1; at < events_before && !found; ++at)
        found =
            (whole_volume && events[at].rfind("sync-volume ", 0) == 0) || events[at] == directory;
      EXPECT_TRUE(found) << to << (whole_volume ? " (whole volume)" : " (directories)");
    }
  }
}

TEST_F(FilePassBatchTest, AFailedNameFlushFailsEveryFileOfItsBatchByNameAndNoOther) {
  MakeSource(20, 4);  // batches of 4 copies: one folder each
  fs_.failFlushOf = [this](const std::string& path) { return path == Dst("d3"); };
  fs_.code = 5;
  const Lines log = Run(4);
  EXPECT_EQ(76, results_.counters.copied);
  EXPECT_EQ(4, results_.counters.failed);
  for (int f = 0; f < 4; ++f) {
    const std::string name = Name(3, f);
    const auto line = std::find(log.begin(), log.end(),
                                "Failed to flush to disk: " + Dst(name) + " " + ErrorCodeText(5));
    ASSERT_NE(log.end(), line) << name;
    EXPECT_EQ("[FAILED] " + Src(name), line[1]);
    EXPECT_EQ(log.end(), std::find(log.begin(), log.end(), "[COPIED] " + test::Native(name)));
  }
  EXPECT_NE(log.end(), std::find(log.begin(), log.end(), "[COPIED] " + test::Native(Name(4, 0))));
  EXPECT_TRUE(results_.AnyFailed());
  EXPECT_EQ("Backup operation completed.", log.back());
}

TEST_F(FilePassBatchTest, WithoutAWholeVolumeFlushAFailedDirectoryFailsItsOwnFilesOnly) {
  MakeSource(6, 3);
  fs_.wholeVolumeFlush = false;
  fs_.failFlushOf = [this](const std::string& path) { return path == Dst("d2"); };
  fs_.code = 5;
  const Lines log = Run(1024);  // one batch for all
  EXPECT_EQ(15, results_.counters.copied);
  EXPECT_EQ(3, results_.counters.failed);
  for (int f = 0; f < 3; ++f)
    EXPECT_NE(log.end(),
              std::find(log.begin(), log.end(),
                        "Failed to flush to disk: " + Dst(Name(2, f)) + " " + ErrorCodeText(5)));
}

TEST_F(FilePassBatchTest, SkippedFilesNeedNoFlush) {
  MakeSource(3, 3);
  Run(4);
  fs_.events.clear();
  backup_pane_.SetText("");
  Run(4);
  EXPECT_EQ(9, results_.counters.skipped);
  for (const std::string& event : fs_.events) EXPECT_NE(0u, event.rfind("sync-", 0)) << event;
}

/// Notes, at each copied file, the copies made so far and the clock.
class CopiedMoments : public RunObserver {
 public:
  CopiedMoments(const std::atomic<int>& made, Clock& clock) : made_(made), clock_(clock) {}
  void OnRunEvent(const RunEvent& event) override {
    if (event.kind != RunEventKind::kCopied) return;
    made.push_back(made_.load());
    at.push_back(clock_.MonotonicNanos());
  }
  std::vector<int> made;
  std::vector<int64_t> at;

 private:
  const std::atomic<int>& made_;
  Clock& clock_;
};

TEST_F(FilePassBatchTest, OverASlowTargetTheLinesComeAsTheCopiesDoNotAllAtTheEnd) {
  MakeSource(10, 20);
  file_threads_ = 1;  // one thread: the moments do not depend on how threads are scheduled
  std::atomic<int> made{0};
  fs_.failCopyTo = [&](const std::string&) {  // each copy takes a tenth of a second
    clock_.Advance(test::kSecondNanos / 10);
    return ++made, false;
  };
  CopiedMoments moments(made, clock_);
  Run(1024, &moments);
  ASSERT_EQ(200u, moments.made.size());
  // A batch ends once half a second of copies is past: on one thread, which copies a chunk
  // of sixteen at a time, the first lines come after two chunks, not after all 200.
  EXPECT_LE(moments.made.front(), 32);
}

TEST_F(FilePassBatchTest, WhenPuttingCopiesInPlaceIsSlowTheNextBatchesAreSmaller) {
  // Where copies are flushed alone (Windows), they are put in place ahead, not in the batch.
  if (!test::RealFs().SyncVolume(dir_.path())) GTEST_SKIP() << "no whole-volume flush here";
  MakeSource(10, 20);
  file_threads_ = 1;
  fs_.wholeVolumeFlush = true;
  fs_.failVolumeFlushes = true;  // so each copy is flushed on its own, a tenth of a second
  fs_.failFlushOf = [&](const std::string&) {
    clock_.Advance(test::kSecondNanos / 10);
    return false;
  };
  std::atomic<int> made{0};
  CopiedMoments moments(made, clock_);
  Run(64, &moments);
  ASSERT_EQ(200u, moments.made.size());
  std::vector<int64_t> batches = moments.at;
  batches.erase(std::unique(batches.begin(), batches.end()), batches.end());
  // 64 copies, six seconds to put in place; then batches of about half a second each.
  EXPECT_GE(batches.size(), 20u);
}

}  // namespace
}  // namespace qs
