// The automatic backup as the window drives it, on a step clock: whole intervals pass in no
// time, and the test decides how far the clock may run before the scheduler's next sleep is
// held. The scheduler's own rules are tested in tests/schedule/auto_backup_test.cc.
#include "app/auto_backup_switch.h"

#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/commands.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

using test::CountOf;
using test::IndexOf;

const char kStarted[] = "=== Auto backup started ===";
const char kStopped[] = "=== Auto backup stopped ===";
const char kRunStarted[] = "=== Scheduled backup started ===";
const char kRunCompleted[] = "=== Scheduled backup completed ===";

std::string NextBackupIn(int minutes) {
  return "=== Next backup in " + std::to_string(minutes) + " minutes ===";
}

/// A trigger that only notes what the window asks of it.
class RecordingTrigger : public BackupTrigger {
 public:
  void Start(const BackupOptions& request, const SchedulerSeams& seams) override {
    calls.push_back("start " + request.sourceRoot + " -> " + request.targetRoot + ", every " +
                    std::to_string(seams.intervalMinutes->load()));
    running = true;
  }
  void Stop(const SchedulerSeams&) override {
    calls.push_back("stop");
    running = false;
  }
  bool Running() const override { return running; }
  std::optional<int64_t> NextDue() const override { return std::nullopt; }

  std::vector<std::string> calls;
  bool running = false;
};

class AutoBackupSwitchTest : public test::AppFixture {
 protected:
  AutoBackupSwitchTest() {
    Create();
    test::WriteFile(dir_ / "src/a.txt", "alpha");
    test::WriteFile(dir_ / "src/sub/b.txt", "beta");
    g_settings.sourceDir = dir_ / "src";
    g_settings.targetDir = dir_ / "dst";
  }

  /// Starts with the interval field showing `interval`; with the clock not yet let go, waits
  /// for the first countdown sleep.
  void StartWith(const std::string& interval, bool clock_free = false) {
    Kept(&g_hIntervalEdit).Type(interval);
    SetAutoBackup(*app_, true);
    if (!clock_free) clock_->WaitUntilHeld();
  }

  std::string Countdown() { return Kept(&g_hCountdownLabel).GetText(100); }
  std::string Status() { return Kept(&g_hStatusLabel).GetText(100); }
};

TEST_F(AutoBackupSwitchTest, AOneMinuteIntervalRunsWithoutWaitingAMinute) {
  StartWith("1");
  EXPECT_EQ((std::vector<std::string>{kStarted, NextBackupIn(1)}), BackupLogLines());
  EXPECT_EQ("Auto Backup: ACTIVE", Status());

  clock_->RunFor(59000);
  clock_->WaitUntilHeld();
  EXPECT_EQ(2u, BackupLogLines().size());
  EXPECT_FALSE(test::Exists(dir_ / "dst/a.txt"));

  clock_->RunFor(1000);
  clock_->WaitUntilHeld();  // the run is over and the next countdown has begun
  const std::vector<std::string> lines = BackupLogLines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(kRunStarted, lines[2]);
  EXPECT_EQ("Starting backup...", lines[3]);
  EXPECT_EQ(kRunCompleted, lines[lines.size() - 2]);
  EXPECT_EQ(NextBackupIn(1), lines.back());
  EXPECT_EQ(60000, clock_->SleptMillis());
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));
  EXPECT_EQ("=== File Operation Log ===", FileLogLines().at(0));

  // The interval is read afresh at the start of every cycle.
  g_settings.intervalMinutes = 3;
  clock_->RunFor(60000);
  clock_->WaitUntilHeld();
  EXPECT_EQ(NextBackupIn(3), BackupLogLines().back());

  StopScheduler();
  EXPECT_EQ(kStopped, BackupLogLines().back());
}

TEST_F(AutoBackupSwitchTest, TheCountdownFollowsTheClock) {
  StartWith("2");
  EXPECT_EQ("Next backup in: 02:00", Countdown());
  clock_->RunFor(1000);
  clock_->WaitUntilHeld();
  EXPECT_EQ("Next backup in: 01:59", Countdown());
  clock_->RunFor(118000);
  clock_->WaitUntilHeld();
  EXPECT_EQ("Next backup in: 00:01", Countdown());
  clock_->RunFor(1000);
  clock_->WaitUntilHeld();
  EXPECT_EQ("Next backup in: 02:00", Countdown());

  const std::vector<std::string> texts = Kept(&g_hCountdownLabel).TextsSet();
  const auto at = [&](const std::string& text, size_t from) {
    return std::find(texts.begin() + static_cast<long>(from), texts.end(), text) - texts.begin();
  };
  const size_t one_left = static_cast<size_t>(at("Next backup in: 00:01", 0));
  const size_t running = static_cast<size_t>(at("Backup in progress...", one_left));
  const size_t after = static_cast<size_t>(at("Next backup: Any moment...", running));
  EXPECT_LT(running, texts.size());
  EXPECT_LT(after, static_cast<size_t>(at("Next backup in: 02:00", after)));

  StopScheduler();
  EXPECT_EQ("Auto backup not running", Countdown());
  EXPECT_EQ("Auto Backup: INACTIVE", Status());
}

TEST_F(AutoBackupSwitchTest, UnusableIntervalsBecomeSixtyMinutes) {
  for (const std::string typed : {"0", "", "-5", "x"}) {
    SCOPED_TRACE("interval field: '" + typed + "'");
    StartWith(typed);
    EXPECT_EQ(60, g_settings.intervalMinutes);
    EXPECT_EQ(NextBackupIn(60), BackupLogLines().back());
    EXPECT_EQ("Next backup in: 01:00:00", Countdown());
    StopScheduler();
    ASSERT_TRUE(WaitForThreadsToEnd());
    UseNewClock();
  }
}

TEST_F(AutoBackupSwitchTest, LongIntervalsAreLimitedSoTheCountdownFits) {
  for (const std::string typed : {"999999999", "35791395"}) {
    SCOPED_TRACE("interval field: " + typed);
    StartWith(typed);
    EXPECT_EQ(kMaxIntervalMinutes, g_settings.intervalMinutes);
    EXPECT_EQ(NextBackupIn(35791394), BackupLogLines().back());
    EXPECT_EQ("Next backup in: 24855 days 03:14:00", Countdown());
    clock_->RunFor(1000);
    clock_->WaitUntilHeld();
    EXPECT_EQ("Next backup in: 24855 days 03:13:59", Countdown());
    StopScheduler();
    ASSERT_TRUE(WaitForThreadsToEnd());
    UseNewClock();
  }
  EXPECT_EQ(35791394, UsableInterval(35791394));
  EXPECT_EQ(1, UsableInterval(1));
}

TEST_F(AutoBackupSwitchTest, StartingARunningOneOrStoppingAStoppedOneChangesNothing) {
  SetAutoBackup(*app_, false);
  EXPECT_TRUE(BackupLogLines().empty());
  EXPECT_EQ(1u, Kept(&g_hStatusLabel).TextsSet().size());  // only the refresh

  StartWith("1");
  Kept(&g_hIntervalEdit).Type("7");
  const size_t refreshes = Kept(&g_hStatusLabel).TextsSet().size();
  SetAutoBackup(*app_, true);
  EXPECT_EQ((std::vector<std::string>{kStarted, NextBackupIn(1)}), BackupLogLines());
  EXPECT_EQ(1, g_settings.intervalMinutes);
  EXPECT_EQ(1, ThreadsAlive());
  EXPECT_LT(refreshes, Kept(&g_hStatusLabel).TextsSet().size());
  StopScheduler();
}

TEST_F(AutoBackupSwitchTest, TheJobIsFixedWhenTheThreadStarts) {
  g_settings.timeVersioning = true;
  StartWith("1");
  g_settings.sourceDir = dir_ / "elsewhere";  // what a later click would store
  g_settings.timeVersioning = false;
  clock_->RunFor(60000);
  clock_->WaitUntilHeld();
  const std::vector<std::string> lines = BackupLogLines();
  EXPECT_EQ(1, CountOf(lines, "Source: " + (dir_ / "src") + kPathSeparator));
  EXPECT_EQ(1, CountOf(lines, "Time Versioning: ENABLED"));
  StopScheduler();
}

TEST_F(AutoBackupSwitchTest, AManualAndAScheduledRunOverlapOverTheSameTrees) {
  for (int i = 0; i < 40; ++i)
    test::WriteFile(dir_ / ("src/many/f" + std::to_string(i) + ".txt"), std::to_string(i));
  Kept(&g_hSourceEdit).Type(dir_ / "src");
  Kept(&g_hTargetEdit).Type(dir_ / "dst");
  clock_->Free();
  StartWith("1", true);
  OnStartBackupNow(*app_);
  ASSERT_TRUE(test::WaitUntil([&] { return Kept(&g_hStartButton).Enabled(); }));
  ASSERT_TRUE(test::WaitUntil([&] { return CountOf(BackupLogLines(), kRunCompleted) > 0; }));
  SetAutoBackup(*app_, false);
  ASSERT_TRUE(WaitForThreadsToEnd());

  EXPECT_EQ(42u, test::ListTree(dir_ / "dst").size());
  for (int i = 0; i < 40; ++i)
    EXPECT_EQ(std::to_string(i),
              test::ReadFile(dir_ / ("dst/many/f" + std::to_string(i) + ".txt")));
  // Every line of the pane is one whole entry.
  for (const std::string& line : test::PaneLines(Kept(&g_hBackupLog).pane.Text())) {
    const bool notice = line == "=== Log cleaned (keeping latest 100 lines) ===";
    EXPECT_TRUE(notice || (line.size() > 26 && line[0] == '[' && line[24] == ']')) << line;
  }
  EXPECT_TRUE(Kept(&g_hStartButton).Enabled());
}

TEST_F(AutoBackupSwitchTest, TheSwitchStartsAndStopsTheTriggerTheProgramHolds) {
  RecordingTrigger trigger;
  app_->autoBackup = &trigger;
  Kept(&g_hIntervalEdit).Type("0");
  SetAutoBackup(*app_, true);
  Kept(&g_hIntervalEdit).Type("7");
  SetAutoBackup(*app_, true);  // it runs: the field is not read again
  SetAutoBackup(*app_, false);
  app_->autoBackup = &ProgramIntervalTrigger();
  EXPECT_EQ((std::vector<std::string>{"start " + (dir_ / "src") + kPathSeparator + " -> " +
                                          (dir_ / "dst") + kPathSeparator + ", every 60",
                                      "stop"}),
            trigger.calls);
  EXPECT_EQ(60, g_settings.intervalMinutes);
  EXPECT_FALSE(g_autoBackupRunning);  // the program's own scheduler was never started
  EXPECT_TRUE(BackupLogLines().empty());
  EXPECT_EQ(0, ThreadsAlive());
}

}  // namespace
}  // namespace qs
