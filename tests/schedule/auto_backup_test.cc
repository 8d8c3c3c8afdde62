// The scheduler on its own, on a step clock: a request and seams in, no window. Whole
// intervals pass in no time, and the test decides how far the clock may run before the
// scheduler's next sleep is held.
#include "schedule/auto_backup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <sstream>
#include <thread>

#include "schedule/manual_backup.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/recording_notifier.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

const char kStarted[] = "=== Auto backup started ===";
const char kStopped[] = "=== Auto backup stopped ===";
const char kRunStarted[] = "=== Scheduled backup started ===";
const char kRunCompleted[] = "=== Scheduled backup completed ===";

std::string NextBackupIn(int minutes) {
  return "=== Next backup in " + std::to_string(minutes) + " minutes ===";
}

int CountOf(const std::vector<std::string>& lines, const std::string& line) {
  return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

class AutoBackupTest : public ::testing::Test {
 protected:
  AutoBackupTest() {
    test::WriteFile(dir_ / "src/a.txt", "alpha");
    test::WriteFile(dir_ / "src/sub/b.txt", "beta");
    Seams(&fs_);
  }
  ~AutoBackupTest() override {
    StopScheduler(seams_);
    clock_.Free();
    EXPECT_TRUE(Ended());
    g_autoBackupRunning = false;
    g_schedulerThread = nullptr;
  }

  void Seams(FileSystem* fs) {
    seams_.run.backupLog = &backup_pane_;
    seams_.run.fileLog = &file_pane_;
    seams_.run.services = test::TestServices(fs, &clock_, &console_);
    seams_.intervalMinutes = &interval_;
    seams_.refreshStatus = [this] { ++refreshes_; };
    seams_.enterBackground = [this](std::string*) {
      std::lock_guard<std::mutex> lock(background_mutex_);
      background_threads_.push_back(std::this_thread::get_id());
      return true;
    };
  }

  BackupOptions Request() { return BackupOptions::Of(dir_ / "src", dir_ / "dst", false); }

  /// Starts with `minutes`; unless the clock runs free, waits for the first countdown sleep.
  void Start(int32_t minutes, bool clock_free = false) {
    interval_ = minutes;
    StartScheduler(Request(), Ticketed());
    if (!clock_free) clock_.WaitUntilHeld();
  }

  /// Stops while the step clock holds the thread: the clock lets every sleep through once the
  /// stop has been asked for.
  void Stop() {
    std::thread let_go([this] {
      test::WaitUntil([] { return !g_autoBackupRunning; });
      clock_.Free();
    });
    StopScheduler(seams_);
    let_go.join();
  }

  std::vector<std::string> Lines() {
    return test::WithoutStamps(test::PaneLines(backup_pane_.Text()));
  }
  /// The fixture's seams, with a ticket of their own for the thread they start.
  SchedulerSeams Ticketed() {
    SchedulerSeams seams = seams_;
    seams.run.presence = threads_.Ticket();
    return seams;
  }
  /// The scheduler threads at work.
  int Threads() const { return threads_.Running(); }
  bool Ended() {
    return test::WaitUntil([&] { return Threads() == 0; });
  }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
  test::StepClock clock_;
  std::ostringstream console_;
  MemoryLogPane backup_pane_, file_pane_;
  std::atomic<int32_t> interval_{0};
  std::atomic<int> refreshes_{0};
  ThreadCount threads_;
  SchedulerSeams seams_;
  std::mutex background_mutex_;
  std::vector<std::thread::id> background_threads_;  ///< where enterBackground was called
};

/// Notes the thread each run starts on.
class RunThreadObserver : public RunObserver {
 public:
  void OnRunEvent(const RunEvent& event) override {
    if (event.kind == RunEventKind::kStarted) thread = std::this_thread::get_id();
  }
  std::thread::id thread;
};

TEST_F(AutoBackupTest, AOneMinuteIntervalRunsWithoutWaitingAMinute) {
  Start(1);
  EXPECT_EQ((std::vector<std::string>{kStarted, NextBackupIn(1)}), Lines());
  EXPECT_TRUE(g_autoBackupRunning);
  clock_.RunFor(59000);
  clock_.WaitUntilHeld();
  EXPECT_EQ(2u, Lines().size());
  EXPECT_FALSE(test::Exists(dir_ / "dst/a.txt"));
  EXPECT_GE(refreshes_, 59);  // once every slice

  clock_.RunFor(1000);
  clock_.WaitUntilHeld();  // the run is over and the next countdown has begun
  const std::vector<std::string> lines = Lines();
  EXPECT_EQ(kRunStarted, lines.at(2));
  EXPECT_EQ("Starting backup...", lines.at(3));
  EXPECT_EQ(kRunCompleted, lines.end()[-2]);
  EXPECT_EQ(NextBackupIn(1), lines.back());
  EXPECT_EQ(60000, clock_.SleptMillis());
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));

  interval_ = 3;  // read afresh at the start of every cycle
  clock_.RunFor(60000);
  clock_.WaitUntilHeld();
  EXPECT_EQ(NextBackupIn(3), Lines().back());
  Stop();
  EXPECT_EQ(kStopped, Lines().back());
}

TEST_F(AutoBackupTest, AStopDuringTheCountdownEndsTheThreadSilently) {
  Start(60);
  const int64_t due = g_nextBackupTime;
  Stop();
  ASSERT_TRUE(Ended());
  EXPECT_EQ((std::vector<std::string>{kStarted, NextBackupIn(60), kStopped}), Lines());
  EXPECT_FALSE(g_autoBackupRunning);
  EXPECT_EQ(due, g_nextBackupTime);  // kept after the stop
}

TEST_F(AutoBackupTest, AStopDuringALongRunReturnsWithinItsBound) {
  test::GatedFileSystem gated;
  Seams(&gated);
  seams_.stopWait = std::chrono::milliseconds(50);
  clock_.Free();
  Start(1, true);
  gated.WaitUntilCopyWaiting();  // the scheduled run is under way and cannot finish

  StopScheduler(seams_);  // returns although the run goes on
  std::vector<std::string> lines = Lines();
  EXPECT_EQ(kStopped, lines.back());
  EXPECT_EQ(0, CountOf(lines, kRunCompleted));
  EXPECT_FALSE(g_autoBackupRunning);

  gated.Open();
  ASSERT_TRUE(Ended());
  lines = Lines();
  EXPECT_EQ(kRunCompleted, lines.back());  // after "stopped", and no new cycle
  EXPECT_EQ(1, CountOf(lines, NextBackupIn(1)));
  EXPECT_EQ("beta", test::ReadFile(dir_ / "dst/sub/b.txt"));
}

TEST_F(AutoBackupTest, AQuickStopAndStartLeavesOneScheduler) {
  test::GatedFileSystem gated;
  Seams(&gated);
  seams_.stopWait = std::chrono::milliseconds(50);
  Start(1);
  clock_.RunFor(60000);
  gated.WaitUntilCopyWaiting();  // the first thread is in its run
  StopScheduler(seams_);         // its wait runs out
  Start(1);                      // a second thread, counting down
  gated.Open();  // the first thread finishes its run, and must not start another cycle
  ASSERT_TRUE(
      test::WaitUntil([&] { return Threads() == 1 || CountOf(Lines(), NextBackupIn(1)) > 2; }));
  Stop();
  ASSERT_TRUE(Ended());
  const std::vector<std::string> lines = Lines();
  EXPECT_EQ(2, CountOf(lines, NextBackupIn(1)));
  EXPECT_EQ(1, CountOf(lines, kRunCompleted));
  EXPECT_EQ(kStopped, lines.back());
}

TEST_F(AutoBackupTest, AManualRunInTheSameSecondAsAScheduledOneKeepsItsOwnOldVersions) {
  test::WriteFile(dir_ / "dst/a.txt", "old", test::Seconds(1000));
  interval_ = 1;
  StartScheduler(BackupOptions::Of(dir_ / "src", dir_ / "dst", true), Ticketed());
  clock_.WaitUntilHeld();
  clock_.RunFor(60000);
  clock_.WaitUntilHeld();  // the scheduled run is over and the next countdown has begun
  const std::string scheduled = dir_ / "dst/backup_20250131_080100";
  ASSERT_EQ("old", test::ReadFile(scheduled + kPathSeparator + "a.txt"));
  ASSERT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));

  // The file changes, and "Start Backup Now" is pressed within the same second.
  test::WriteFile(dir_ / "src/a.txt", "gamma", test::Seconds(2000000000));
  test::FakeClock manual_clock;
  manual_clock.SetWallTicks(clock_.WallTicks());
  RunSeams manual;
  manual.backupLog = &backup_pane_;
  manual.fileLog = &file_pane_;
  manual.services = test::TestServices(&fs_, &manual_clock, &console_);
  ThreadCount manual_threads;
  manual.presence = manual_threads.Ticket();
  ASSERT_TRUE(
      StartManualBackup(BackupOptions::Of(dir_ / "src", dir_ / "dst", true), manual, [] {}));
  manual = RunSeams();
  ASSERT_TRUE(test::WaitUntil([&] { return manual_threads.Running() == 0; }));
  EXPECT_EQ("old", test::ReadFile(scheduled + kPathSeparator + "a.txt"));
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/backup_20250131_080101/a.txt"));
  EXPECT_EQ("gamma", test::ReadFile(dir_ / "dst/a.txt"));
  Stop();
}

TEST_F(AutoBackupTest, StartingARunningOneOrStoppingAStoppedOneDoesNothing) {
  StopScheduler(seams_);
  EXPECT_EQ("", backup_pane_.Text());
  Start(1);
  StartScheduler(Request(), Ticketed());
  EXPECT_EQ((std::vector<std::string>{kStarted, NextBackupIn(1)}), Lines());
  EXPECT_EQ(1, Threads());
}

TEST_F(AutoBackupTest, UsableIntervalsAreOneMinuteToTheLongestThatFits) {
  EXPECT_EQ(60, UsableInterval(0));
  EXPECT_EQ(60, UsableInterval(-5));
  EXPECT_EQ(1, UsableInterval(1));
  EXPECT_EQ(kMaxIntervalMinutes, UsableInterval(kMaxIntervalMinutes));
  EXPECT_EQ(kMaxIntervalMinutes, UsableInterval(999999999));
}

TEST_F(AutoBackupTest, ScheduledRunsAndTheirFileThreadsGiveWay) {
  for (int i = 0; i < 100; ++i) test::WriteFile(dir_ / ("src/many/f" + std::to_string(i)), "x");
  RunThreadObserver observer;
  seams_.run.services.observers.push_back(&observer);
  seams_.run.services.tuning.fileThreads = 4;
  Start(1);
  clock_.RunFor(60000);
  clock_.WaitUntilHeld();  // one run is over
  Stop();
  ASSERT_TRUE(Ended());
  EXPECT_EQ("x", test::ReadFile(dir_ / "dst/many/f99"));
  std::lock_guard<std::mutex> lock(background_mutex_);
  // The scheduler's own thread first, before its run; then each of the run's three workers.
  ASSERT_EQ(4u, background_threads_.size());
  EXPECT_EQ(observer.thread, background_threads_[0]);
  std::vector<std::thread::id> workers(background_threads_.begin() + 1, background_threads_.end());
  std::sort(workers.begin(), workers.end());
  EXPECT_EQ(workers.end(), std::unique(workers.begin(), workers.end()));
  EXPECT_EQ(workers.end(), std::find(workers.begin(), workers.end(), observer.thread));
}

TEST_F(AutoBackupTest, APriorityTheSystemRefusesIsSaidOnceAndTheRunsGoOn) {
  seams_.enterBackground = [](std::string* why) {
    *why = "ioprio_set failed: Error: 1 (Operation not permitted)";
    return false;
  };
  Start(1);
  clock_.RunFor(60000);
  clock_.WaitUntilHeld();
  Stop();
  const std::vector<std::string> lines = Lines();
  EXPECT_EQ(1, CountOf(lines,
                       "Background priority not set: ioprio_set failed: Error: 1 "
                       "(Operation not permitted)"));
  EXPECT_EQ(1, CountOf(lines, kRunCompleted));
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));
}

TEST_F(AutoBackupTest, AFailedScheduledRunIsNotifiedAfterItsLastLine) {
  test::RecordingNotifier notifier;
  notifier.Answer(NotifyResult::kNoService, "no session bus");
  seams_.run.notifier = &notifier;
  fs_.failCopyTo = [](const std::string& to) { return to.find("b.txt") != std::string::npos; };
  Start(1);
  clock_.RunFor(60000);
  clock_.WaitUntilHeld();
  Stop();
  ASSERT_EQ(1u, notifier.Shown().size());
  EXPECT_EQ("Backup failed: 1 file could not be backed up", notifier.Shown()[0].summary);
  const std::vector<std::string> lines = Lines();
  const auto completed = std::find(lines.begin(), lines.end(), kRunCompleted);
  ASSERT_NE(lines.end(), completed);
  EXPECT_EQ("Notification not shown: no session bus", completed[1]);
}

// The scheduler keeps one notification for all its runs: a change of the success setting
// while it runs reaches the next run.
TEST_F(AutoBackupTest, TheSuccessSettingIsReadAtEachRun) {
  test::RecordingNotifier notifier;
  std::atomic<bool> notify_on_success{false};
  seams_.run.notifier = &notifier;
  seams_.run.notifyOnSuccess = &notify_on_success;
  Start(1);
  clock_.RunFor(60000);
  clock_.WaitUntilHeld();
  EXPECT_TRUE(notifier.Shown().empty());
  notify_on_success = true;
  clock_.RunFor(60000);
  clock_.WaitUntilHeld();
  Stop();
  ASSERT_EQ(1u, notifier.Shown().size());
  EXPECT_EQ(Notification::Urgency::kNormal, notifier.Shown()[0].urgency);
}

}  // namespace
}  // namespace qs
