// The interval trigger as the window sees it, through the trigger interface: a trigger with
// state of its own (not the program's), a step clock, and panes and observers that record.
#include "schedule/interval_trigger.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "schedule/auto_backup.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using Kind = RunEventKind;
constexpr int64_t kMinute = int64_t{60} * 1000000000;

/// The kinds of the events it was told of, from any thread, with the reason of a refusal.
class KindRecorder : public RunObserver {
 public:
  void OnRunEvent(const RunEvent& event) override {
    std::lock_guard<std::mutex> lock(mutex_);
    kinds_.push_back(event.kind);
    if (event.kind == Kind::kBackgroundPriorityNotSet) why_ = std::string(event.other);
  }
  std::vector<Kind> Kinds() {
    std::lock_guard<std::mutex> lock(mutex_);
    return kinds_;
  }
  std::string Why() {
    std::lock_guard<std::mutex> lock(mutex_);
    return why_;
  }

 private:
  std::mutex mutex_;
  std::vector<Kind> kinds_;
  std::string why_;
};

class IntervalTriggerTest : public ::testing::Test {
 protected:
  IntervalTriggerTest() {
    test::WriteFile(dir_ / "src/a.txt", "alpha");
    seams_.run.backupLog = &backup_pane_;
    seams_.run.fileLog = &file_pane_;
    seams_.run.services = test::TestServices(&fs_, &clock_, &console_);
    seams_.run.services.observers = {&recorder_};
    seams_.intervalMinutes = &interval_;
    seams_.enterBackground = [](std::string*) { return true; };
  }
  ~IntervalTriggerTest() override {
    Stop();
    EXPECT_TRUE(test::WaitUntil([&] { return threads_.Running() == 0; }));
  }

  /// Starts through the interface; unless told not to, waits for the first countdown sleep.
  void Start(int32_t minutes, bool wait_for_sleep = true) {
    interval_ = minutes;
    SchedulerSeams seams = seams_;
    seams.run.presence = threads_.Ticket();
    trigger_.Start(Request(), seams);
    if (wait_for_sleep) clock_.WaitUntilHeld();
  }
  /// Stops while the step clock holds the thread.
  void Stop() {
    std::thread let_go([this] {
      test::WaitUntil([this] { return !trigger_.Running(); });
      clock_.Free();
    });
    trigger_.Stop(seams_);
    let_go.join();
  }
  /// Lets one interval pass and waits for the next countdown.
  void OneInterval() {
    clock_.RunFor(interval_ * 60000);
    clock_.WaitUntilHeld();
  }

  BackupOptions Request() { return BackupOptions::Of(dir_ / "src", dir_ / "dst", false); }
  std::vector<std::string> Lines() {
    return test::WithoutStamps(test::PaneLines(backup_pane_.Text()));
  }
  /// The trigger's own kinds among those the observer saw, in order.
  std::vector<Kind> TriggerKinds() {
    std::vector<Kind> kinds = recorder_.Kinds();
    std::erase_if(kinds, [](Kind kind) { return kind < Kind::kAutoBackupStarted; });
    return kinds;
  }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
  test::StepClock clock_;
  std::ostringstream console_;
  MemoryLogPane backup_pane_, file_pane_;
  std::atomic<int32_t> interval_{0};
  KindRecorder recorder_;
  ThreadCount threads_;
  SchedulerSeams seams_;
  IntervalTrigger interval_trigger_;
  BackupTrigger& trigger_ = interval_trigger_;
};

TEST_F(IntervalTriggerTest, ItsStateIsItsOwnAndSaysWhenTheNextRunIsDue) {
  EXPECT_FALSE(trigger_.Running());
  EXPECT_EQ(std::nullopt, trigger_.NextDue());
  const int64_t started_at = clock_.MonotonicNanos();
  Start(2);
  EXPECT_TRUE(trigger_.Running());
  EXPECT_EQ(started_at + 2 * kMinute, trigger_.NextDue());
  EXPECT_FALSE(g_autoBackupRunning);  // the program's trigger was not touched

  OneInterval();  // a run, then the next cycle from the run's end
  EXPECT_EQ(clock_.MonotonicNanos() + 2 * kMinute, trigger_.NextDue());
  const int64_t due = *trigger_.NextDue();
  Stop();
  EXPECT_FALSE(trigger_.Running());
  EXPECT_EQ(std::nullopt, trigger_.NextDue());
  EXPECT_EQ(due, interval_trigger_.state().nextDue);  // kept after the stop
  EXPECT_EQ(nullptr, interval_trigger_.state().thread);
}

TEST_F(IntervalTriggerTest, ACycleRunsABackupBetweenItsLinesAndEventsInOrder) {
  Start(1);
  OneInterval();
  Stop();
  const std::vector<std::string> lines = Lines();
  ASSERT_GE(lines.size(), 9u);
  EXPECT_EQ(
      (std::vector<std::string>{"=== Auto backup started ===", "=== Next backup in 1 minutes ===",
                                "=== Scheduled backup started ===", "Starting backup..."}),
      std::vector<std::string>(lines.begin(), lines.begin() + 4));
  EXPECT_EQ(
      (std::vector<std::string>{"Backup operation completed.", "=== Scheduled backup completed ===",
                                "=== Next backup in 1 minutes ===", "=== Auto backup stopped ==="}),
      std::vector<std::string>(lines.end() - 4, lines.end()));
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));
  // The observers see the trigger's events around the run's own start and end.
  std::vector<Kind> kinds = recorder_.Kinds();
  std::erase_if(kinds, [](Kind kind) {
    return kind != Kind::kStarted && kind != Kind::kEnded && kind < Kind::kAutoBackupStarted;
  });
  EXPECT_EQ((std::vector<Kind>{Kind::kAutoBackupStarted, Kind::kNextBackupIn,
                               Kind::kScheduledBackupStarted, Kind::kStarted, Kind::kEnded,
                               Kind::kScheduledBackupCompleted, Kind::kNextBackupIn,
                               Kind::kAutoBackupStopped}),
            kinds);
}

// A restart must not offer the last thread's due time as the new one's.
TEST_F(IntervalTriggerTest, ARestartKnowsNoDueTimeUntilItsFirstCycleBegins) {
  Start(1);
  Stop();
  ASSERT_TRUE(test::WaitUntil([&] { return threads_.Running() == 0; }));
  std::atomic<bool> let_go{false};
  seams_.enterBackground = [&](std::string*) {
    test::WaitUntil([&] { return let_go.load(); });  // before the first cycle
    return true;
  };
  Start(4, false);
  EXPECT_TRUE(trigger_.Running());
  EXPECT_EQ(std::nullopt, trigger_.NextDue());
  let_go = true;  // the clock runs free since the stop: its cycles follow each other at once
  EXPECT_TRUE(test::WaitUntil([&] { return trigger_.NextDue().has_value(); }));
  Stop();  // while `let_go` is still there for the runs' threads
  EXPECT_TRUE(test::WaitUntil([&] { return threads_.Running() == 0; }));
}

TEST_F(IntervalTriggerTest, StartingARunningOneOrStoppingAStoppedOneSaysNothing) {
  trigger_.Stop(seams_);
  EXPECT_EQ("", backup_pane_.Text());
  Start(5);
  trigger_.Start(Request(), seams_);
  EXPECT_EQ(1, threads_.Running());
  Stop();
  trigger_.Stop(seams_);
  EXPECT_EQ(
      (std::vector<Kind>{Kind::kAutoBackupStarted, Kind::kNextBackupIn, Kind::kAutoBackupStopped}),
      TriggerKinds());
}

TEST_F(IntervalTriggerTest, WithoutAPaneItsLinesGoToTheConsole) {
  seams_.run.backupLog = nullptr;
  Start(3);
  Stop();
  std::vector<std::string> lines;
  std::istringstream console(console_.str());
  for (std::string line; std::getline(console, line);) lines.push_back(line);
  EXPECT_EQ(
      (std::vector<std::string>{"=== Auto backup started ===", "=== Next backup in 3 minutes ===",
                                "=== Auto backup stopped ==="}),
      test::WithoutStamps(lines));
  EXPECT_EQ("", backup_pane_.Text());
}

TEST_F(IntervalTriggerTest, ARefusedPriorityIsAnEventWithItsReason) {
  seams_.enterBackground = [](std::string* why) {
    *why = "not permitted";
    return false;
  };
  Start(1);
  Stop();
  EXPECT_EQ((std::vector<Kind>{Kind::kAutoBackupStarted, Kind::kBackgroundPriorityNotSet,
                               Kind::kNextBackupIn, Kind::kAutoBackupStopped}),
            TriggerKinds());
  EXPECT_EQ("not permitted", recorder_.Why());
  EXPECT_EQ("Background priority not set: not permitted", Lines().at(1));
}

/// Calls `act` with each event it is told of.
class EventHook : public RunObserver {
 public:
  explicit EventHook(std::function<void(const RunEvent&)> act) : act_(std::move(act)) {}
  void OnRunEvent(const RunEvent& event) override { act_(event); }

 private:
  std::function<void(const RunEvent&)> act_;
};

// The window may store the typed interval just before a stop; a cycle that reads it then
// says what it read.
TEST_F(IntervalTriggerTest, ANegativeIntervalReadByACycleIsLoggedAsRead) {
  // Its due time has passed, so its run follows at once; the next cycle then waits a minute.
  EventHook usable_next([this](const RunEvent& event) {
    if (event.kind == Kind::kNextBackupIn) interval_ = 1;
  });
  seams_.run.services.observers.push_back(&usable_next);
  Start(-5);
  Stop();
  const std::vector<std::string> lines = Lines();
  EXPECT_EQ("=== Next backup in -5 minutes ===", lines.at(1));
  EXPECT_EQ("=== Scheduled backup started ===", lines.at(2));
  EXPECT_EQ("=== Next backup in 1 minutes ===", lines.end()[-2]);
}

}  // namespace
}  // namespace qs
