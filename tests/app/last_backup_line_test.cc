// The status area's line of how the last backup went: its words, the target's record read on
// the clock thread, the outcome of each run of the window, and the progress of a run under way
// over the step clock.
#include "app/last_backup_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

#include "app/app_state.h"
#include "app/auto_backup_switch.h"
#include "app/commands.h"
#include "engine/record_facts.h"
#include "engine/record_store.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr uint64_t kGiB = uint64_t{1} << 30;

int64_t LocalTicks(const LocalTime& local) {
  int64_t seconds = 0;
  EXPECT_TRUE(FromLocalTime(local, &seconds));
  return seconds * kTicksPerSecond;
}

TEST(LastBackupTextTest, SaysWhenAndHowItWent) {
  const int64_t ticks = LocalTicks({2026, 12, 9, 8, 15, 42});
  EXPECT_EQ("Last backup: 2026-12-09 08:15, 3 failed", LastBackupText({true, ticks, true, 3}));
  EXPECT_EQ("Last backup: 2026-12-09 08:15, not complete", LastBackupText({true, ticks, true, 0}));
  EXPECT_EQ("Last backup: 2026-12-09 08:15, no failures", LastBackupText({true, ticks, false, 0}));
  EXPECT_EQ("Last backup: none yet", LastBackupText({}));
}

TEST(LastBackupTextTest, SaysHowFarARunHasCome) {
  ProgressFigures figures{1204, 5000, kGiB * 12 / 10, 4 * kGiB};
  EXPECT_EQ("Backing up: looking through the source...", BackingUpText(figures, false));
  EXPECT_EQ("Backing up: 1,204 of 5,000 files, 1.2 of 4.0 GB", BackingUpText(figures, true));
  figures.seconds_left = 170;
  EXPECT_EQ("Backing up: 1,204 of 5,000 files, 1.2 of 4.0 GB, about 3 min left",
            BackingUpText(figures, true));
  figures.seconds_left = 20;
  EXPECT_EQ("Backing up: 1,204 of 5,000 files, 1.2 of 4.0 GB, less than a minute left",
            BackingUpText(figures, true));
  figures = {7, 1234567, 512 * 1024, 3 * 1024 * 1024};
  figures.seconds_left = 3900;
  EXPECT_EQ("Backing up: 7 of 1,234,567 files, 0.5 of 3.0 MB, about 1 h 5 min left",
            BackingUpText(figures, true));
  figures.bytes = 0;  // the scan did not measure them
  EXPECT_EQ("Backing up: 7 of 1,234,567 files, about 1 h 5 min left", BackingUpText(figures, true));
}

class LastBackupLineTest : public test::AppFixture {
 protected:
  LastBackupLineTest() {
    test::WriteFile(dir_ / "src/a.txt", "alpha");
    test::WriteFile(dir_ / "src/b.txt", "beta");
    test::WriteFile(SettingsFile(), Source() + "\r\n" + Target() + "\r\n60\r\n0\r\n0\r\n");
  }

  std::string Source() { return dir_ / "src"; }
  std::string Target() { return dir_ / "dst"; }
  test::MemoryControl& Label() { return Kept(&AddedControls::lastBackupLabel); }
  std::string Line() { return Label().GetText(1000); }
  /// What the clock thread does once a second.
  void Tick() {
    app_->lastBackup.Check(Kept(&g_hTargetEdit).GetText(kPathFieldMaxCount),
                           app_->added.lastBackupLabel);
  }
  void Pass(int64_t millis) {
    clock_->RunFor(millis);
    clock_->SleepMillis(millis);
  }
  /// A run in the target's record that ended at `end_ticks`.
  void RecordRun(int64_t end_ticks, int exit_status, int64_t failed) {
    RecordStore store = RecordStore::Open(app_->fs, Target() + kPathSeparator);
    RunFact run;
    run.number = store.history().runs().size() + 1;
    run.endTicks = end_ticks;
    run.startTicks = end_ticks - kTicksPerSecond;
    run.exitStatus = exit_status;
    run.failed = failed;
    run.fullListing = true;
    uint32_t code = 0;
    ASSERT_TRUE(store.Append(app_->fs, FrameKind::kRun, EncodeRun(run), &code)) << code;
  }
  void RunNow() {
    OnStartBackupNow(*app_);
    ASSERT_TRUE(WaitForThreadsToEnd());
  }
};

TEST_F(LastBackupLineTest, ATargetWithoutARecordHasNoneYet) {
  Create();
  EXPECT_EQ("", Line());  // until the clock thread has read the record
  Tick();
  EXPECT_EQ("Last backup: none yet", Line());
  EXPECT_FALSE(Label().Alert());
}

TEST_F(LastBackupLineTest, TheRecordIsReadAtTheStartAndWhenTheTargetChanges) {
  const int64_t failed_at = LocalTicks({2026, 12, 9, 8, 15, 0});
  RecordRun(failed_at - 3600 * kTicksPerSecond, 0, 0);
  RecordRun(failed_at, 1, 2);
  Create();
  Tick();
  EXPECT_EQ("Last backup: 2026-12-09 08:15, 2 failed", Line());
  EXPECT_TRUE(Label().Alert());

  // A run the window did not make (the runner's) is not seen until the target changes: the
  // record is not read every second.
  RecordRun(failed_at + 60 * kTicksPerSecond, 0, 0);
  Tick();
  EXPECT_EQ("Last backup: 2026-12-09 08:15, 2 failed", Line());
  Kept(&g_hTargetEdit).Type(dir_ / "elsewhere");
  Tick();
  EXPECT_EQ("Last backup: none yet", Line());
  EXPECT_FALSE(Label().Alert());
  Kept(&g_hTargetEdit).Type(Target());
  Tick();
  EXPECT_EQ("Last backup: 2026-12-09 08:16, no failures", Line());
  EXPECT_FALSE(Label().Alert());
}

TEST_F(LastBackupLineTest, EachRunOfTheWindowShowsItsOwnOutcome) {
  test::FaultyFileSystem faulty;
  UseFileSystem(faulty);
  faulty.failCopyTo = [](const std::string& to) { return to.ends_with("b.txt"); };
  Create();
  Tick();
  RunNow();
  const std::vector<std::string> failed_texts = Label().TextsSet();
  ASSERT_FALSE(failed_texts.empty());
  EXPECT_EQ("Last backup: none yet", failed_texts.front());
  EXPECT_EQ(1, test::CountOf(failed_texts, "Backing up: looking through the source..."));
  EXPECT_EQ(LastBackupText({true, clock_->WallTicks(), true, 1}), Line());
  EXPECT_TRUE(Label().Alert());

  faulty.failCopyTo = nullptr;
  Pass(60 * 1000);
  RunNow();
  EXPECT_EQ(LastBackupText({true, clock_->WallTicks(), false, 0}), Line());
  EXPECT_FALSE(Label().Alert());
  // What the record says of that run, read at the next start, is what the line showed.
  EXPECT_EQ(Line(), LastBackupText(LastRecordedBackup(app_->fs, Target())));
}

TEST_F(LastBackupLineTest, ADryRunShowsItsProgressButLeavesTheLastBackup) {
  Create();
  Tick();
  RunNow();
  const std::string after_backup = Line();
  ASSERT_EQ(LastBackupText({true, clock_->WallTicks(), false, 0}), after_backup);
  test::WriteFile(dir_ / "src/c.txt", "gamma");
  Pass(60 * 1000);
  const size_t texts_before = Label().TextsSet().size();
  OnCommand(*app_, static_cast<int>(ControlId::kDryRun));
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_GT(Label().TextsSet().size(), texts_before);  // it showed the dry run going
  EXPECT_EQ(after_backup, Line());
}

TEST_F(LastBackupLineTest, TheLineFollowsTheTargetFieldAsChosenOrTyped) {
  Create();
  Tick();
  RunNow();
  const std::string stored = Line();
  ASSERT_EQ(LastBackupText({true, clock_->WallTicks(), false, 0}), stored);

  Kept(&g_hTargetEdit).Type(dir_ / "typed");  // typed, not stored
  Tick();
  EXPECT_EQ("Last backup: none yet", Line());
  Pass(60 * 1000);
  RunNow();
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "typed/a.txt"));
  EXPECT_EQ(LastBackupText({true, clock_->WallTicks(), false, 0}), Line());

  Kept(&g_hTargetEdit).Type(Target());
  Tick();
  EXPECT_EQ(stored, Line());
}

TEST_F(LastBackupLineTest, AScheduledRunShowsItsProgressAndOutcome) {
  Create();
  Tick();
  Kept(&g_hIntervalEdit).Type("1");
  SetAutoBackup(*app_, true);
  clock_->WaitUntilHeld();
  clock_->RunFor(60000);
  clock_->WaitUntilHeld();  // the run is over and the next countdown has begun
  const int64_t ended = clock_->WallTicks();
  StopScheduler();
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));
  EXPECT_EQ(1, test::CountOf(Label().TextsSet(), "Backing up: looking through the source..."));
  EXPECT_EQ(LastBackupText({true, ended, false, 0}), Line());
}

/// The real file system, except that `afterRead` runs once, right after the next whole read
/// of a file: the reader then gives the bytes as they were before it.
class ReadThenFileSystem : public test::ForwardingFileSystem {
 public:
  std::unique_ptr<FileReader> OpenForReading(const std::string& path) override {
    std::string bytes;
    if (!real_.ReadWholeFile(path, &bytes, uint64_t{1} << 30)) return nullptr;
    if (const std::function<void()> hook = std::exchange(afterRead, nullptr)) hook();
    return std::make_unique<Bytes>(std::move(bytes));
  }
  std::function<void()> afterRead;

 private:
  class Bytes : public FileReader {
   public:
    explicit Bytes(std::string bytes) : bytes_(std::move(bytes)) {}
    int64_t Read(char* buffer, size_t size) override {
      const size_t count = std::min(size, bytes_.size() - at_);
      std::copy_n(bytes_.data() + at_, count, buffer);
      at_ += count;
      return static_cast<int64_t>(count);
    }

   private:
    std::string bytes_;
    size_t at_ = 0;
  };
};

// The record read while a run into the target ended holds the state before the run: it is
// read again, not shown over the run's outcome.
TEST_F(LastBackupLineTest, ARecordReadAsARunEndedIsReadAgain) {
  ReadThenFileSystem fs;
  UseFileSystem(fs);
  RecordRun(LocalTicks({2026, 12, 9, 8, 15, 0}), 0, 0);
  Create();
  const std::unique_ptr<RunObserver> watch =
      app_->lastBackup.WatchRuns(app_->added.lastBackupLabel);
  RunSummary summary;
  summary.targetRoot = Target() + kPathSeparator;
  summary.results.counters.failed = 4;
  fs.afterRead = [&] {
    watch->OnRunEvent({.kind = RunEventKind::kStarted, .summary = &summary});
    RecordRun(LocalTicks({2026, 12, 9, 9, 30, 0}), 1, 4);
    watch->OnRunEvent({.kind = RunEventKind::kEnded, .summary = &summary});
  };
  Tick();
  Tick();
  EXPECT_EQ("Last backup: 2026-12-09 09:30, 4 failed", Line());
  EXPECT_TRUE(Label().Alert());
}

class RunWatchTest : public LastBackupLineTest {
 protected:
  RunWatchTest() {
    Create();
    Tick();
    watch_ = app_->lastBackup.WatchRuns(app_->added.lastBackupLabel);
    summary_.targetRoot = Target() + kPathSeparator;
  }
  void Tell(RunEvent event) { watch_->OnRunEvent(event); }
  void Copying(size_t files, uint64_t bytes) {
    Tell({.kind = RunEventKind::kCopying, .count = files, .bytes = bytes});
  }

  std::unique_ptr<RunObserver> watch_;
  RunSummary summary_;
};

TEST_F(RunWatchTest, ShowsTheFilesTheBytesAndTheTimeLeft) {
  Tell({.kind = RunEventKind::kStarted, .summary = &summary_});
  EXPECT_EQ("Backing up: looking through the source...", Line());
  Tell({.kind = RunEventKind::kScanned, .count = 5000, .bytes = 4 * kGiB});
  Pass(1000);
  Copying(1204, kGiB * 12 / 10);
  EXPECT_EQ("Backing up: 1,204 of 5,000 files, 1.2 of 4.0 GB", Line());  // no pace yet
  Pass(60 * 1000);
  // 796 files and 0.8 GB in 60 s: 3.8 and 2.5 min for the rest, by files and by bytes.
  Copying(2000, 2 * kGiB);
  EXPECT_EQ("Backing up: 2,000 of 5,000 files, 2.0 of 4.0 GB, about 3 min left", Line());
  EXPECT_FALSE(Label().Alert());

  summary_.results.counters.failed = 3;
  Tell({.kind = RunEventKind::kEnded, .summary = &summary_});
  EXPECT_EQ(LastBackupText({true, clock_->WallTicks(), true, 3}), Line());
  EXPECT_TRUE(Label().Alert());
}

TEST_F(RunWatchTest, ATargetChangedDuringARunWaitsForItsEnd) {
  Tell({.kind = RunEventKind::kStarted, .summary = &summary_});
  Kept(&g_hTargetEdit).Type(dir_ / "elsewhere");
  Tick();
  EXPECT_EQ("Backing up: looking through the source...", Line());
  Tell({.kind = RunEventKind::kEnded, .summary = &summary_});
  EXPECT_EQ("Last backup: none yet", Line());  // the run's was another target
}

TEST_F(RunWatchTest, TheLineChangesAFewTimesASecondAtMost) {
  Tell({.kind = RunEventKind::kStarted, .summary = &summary_});
  Tell({.kind = RunEventKind::kScanned, .count = 400, .bytes = 400});
  const size_t before = Label().TextsSet().size();
  for (size_t file = 1; file <= 350; ++file) {  // 350 files in 3.5 s
    Pass(10);
    Tell({.kind = RunEventKind::kCopied, .path = "f", .bytes = 1});
  }
  const size_t changes = Label().TextsSet().size() - before;
  EXPECT_LE(changes, 14u);  // four a second
  EXPECT_GE(changes, 10u);
  EXPECT_EQ("Backing up: 350 of 400 files, 0.3 of 0.4 KB, less than a minute left", Line());
}

}  // namespace
}  // namespace qs
