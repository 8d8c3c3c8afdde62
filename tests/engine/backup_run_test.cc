// Whole runs on real temporary trees: every per-file outcome with its exact log lines.
#include "engine/backup_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "os/error_text.h"
#include "tests/support/backup_logs.h"
#include "tests/support/file_time_setter.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;
using test::PaneLines;
using test::Seconds;
using test::WithoutStamps;
using Lines = std::vector<std::string>;

class BackupRunTest : public ::testing::Test {
 protected:
  /// One run of "src" into "dst" through the unit, told to the fixture's two logs.
  BackupResults Run(bool versioning) {
    return RunBackup(fs_, clock_, BackupOptions::Of(dir_ / "src", dir_ / "dst", versioning), logs_);
  }

  Lines BackupLog() { return WithoutStamps(PaneLines(backup_pane_.Text())); }
  Lines FileLog() { return PaneLines(file_pane_.Text()); }
  std::string Src(const std::string& p) { return dir_ / ("src/" + p); }
  std::string Dst(const std::string& p) { return dir_ / ("dst/" + p); }
  std::string VersionDir() { return Dst("backup_20250131_080000"); }

  Lines Header(const std::string& versioning, int found) {
    return {"Starting backup...", "Source: " + dir_ / "src/", "Target: " + dir_ / "dst/",
            "Time Versioning: " + versioning, "Found " + std::to_string(found) + " files."};
  }

  static Lines Join(std::initializer_list<Lines> parts) {
    Lines all;
    for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
  }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  MemoryLogPane backup_pane_, file_pane_;
  test::BackupLogs logs_{&backup_pane_, &file_pane_, clock_, &console_};
};

TEST_F(BackupRunTest, NewFileIsCopiedWithItsTimeAndReportedInBothLogs) {
  test::WriteFile(Src("sub/a.txt"), "alpha", Seconds(1000));
  BackupResults run = Run(false);
  EXPECT_EQ(Join({Header("DISABLED", 1),
                  {"[COPIED] " + Native("sub/a.txt"),
                   "Time-based incremental backup completed: 1 copied, 0 updated, 0 skipped, 0 "
                   "failed, 0 time-versioned.",
                   "Backup operation completed."}}),
            BackupLog());
  EXPECT_EQ((Lines{"=== File Operation Log ===", "[BACKUP STARTED] Session started",
                   "[FILE SCAN] 1 files found", "[COPIED] " + Native("sub/a.txt"),
                   "[BACKUP COMPLETED] Copied: 1 | Updated: 0 | Failed: 0 | Time-versioned: 0"}),
            FileLog());
  EXPECT_EQ("alpha", test::ReadFile(Dst("sub/a.txt")));
  EXPECT_EQ(Seconds(1000), test::RealFs().LastWriteTime(Dst("sub/a.txt")));
  EXPECT_EQ(1, run.counters.copied);
}

TEST_F(BackupRunTest, NewerSourceUpdatesOlderTarget) {
  test::WriteFile(Src("a.txt"), "new", Seconds(2000));
  test::WriteFile(Dst("a.txt"), "old", Seconds(1000));
  Run(false);
  EXPECT_EQ(Join({Header("DISABLED", 1),
                  {"[UPDATED] a.txt",
                   "Time-based incremental backup completed: 0 copied, 1 updated, 0 skipped, 0 "
                   "failed, 0 time-versioned.",
                   "Backup operation completed."}}),
            BackupLog());
  EXPECT_EQ("new", test::ReadFile(Dst("a.txt")));
  EXPECT_EQ(Seconds(2000), test::RealFs().LastWriteTime(Dst("a.txt")));
}

TEST_F(BackupRunTest, EqualOrNewerTargetsAreSkippedSilentlyWhateverTheirSize) {
  test::WriteFile(Src("same"), "1", Seconds(1000));
  test::WriteFile(Dst("same"), "different size", Seconds(1000));
  test::WriteFile(Src("edited"), "1", Seconds(1000));
  test::WriteFile(Dst("edited"), "edited in the target", Seconds(3000));
  Run(true);
  EXPECT_EQ(Join({Header("ENABLED", 2),
                  {"Time-based incremental backup completed: 0 copied, 0 updated, 2 skipped, 0 "
                   "failed, 0 time-versioned.",
                   "Backup operation completed."}}),
            BackupLog());
  EXPECT_EQ("edited in the target", test::ReadFile(Dst("edited")));
  EXPECT_EQ((Lines{"edited", "same"}), test::ListTree(dir_ / "dst"));  // no version directory
}

TEST_F(BackupRunTest, FailedCopyShowsThreeEntriesAndCountsAsFailed) {
  test::WriteFile(Src("a.txt"), "x", Seconds(1000));
  fs_.failCopyTo = [](const std::string&) { return true; };
  fs_.code = 5;
  Run(false);
  EXPECT_EQ(
      Join({Header("DISABLED", 1),
            {"CopyFile failed: " + Src("a.txt") + " -> " + Dst("a.txt") + " " + ErrorCodeText(5),
             "[COPY ERROR] " + Src("a.txt"), "[FAILED] " + Src("a.txt"),
             "Time-based incremental backup completed: 0 copied, 0 updated, 0 skipped, 1 "
             "failed, 0 time-versioned.",
             "Backup operation completed."}}),
      BackupLog());
  EXPECT_EQ("[BACKUP COMPLETED] Copied: 0 | Updated: 0 | Failed: 1 | Time-versioned: 0",
            FileLog().back());
  EXPECT_EQ(4u, FileLog().size());
}

TEST_F(BackupRunTest, ADirectoryWhereTheFilesCopyBelongsFailsWhateverTheTimes) {
  // Older and newer than the directory (a folder replaced by an older-dated archive of the
  // same name): either way the file is not in the backup, and the run must say so.
  for (const FileTime source_time : {Seconds(2000), Seconds(500)}) {
    backup_pane_.SetText("");
    test::WriteFile(Src("a"), "x", source_time);
    test::WriteFile(Dst("a/kept"), "inside", Seconds(100));
    ASSERT_TRUE(SetLastWriteTime(Dst("a"), Seconds(1000)));
    BackupResults run = Run(true);
    EXPECT_EQ(1, run.counters.failed);
    const Lines log = BackupLog();
    ASSERT_EQ(10u, log.size());
    const std::string failed = "CopyFile failed: " + Src("a") + " -> " + Dst("a") + " Error: ";
    EXPECT_EQ(failed, log[5].substr(0, failed.size()));
    EXPECT_EQ((Lines{"[COPY ERROR] " + Src("a"), "[FAILED] " + Src("a")}),
              Lines(log.begin() + 6, log.begin() + 8));
    EXPECT_EQ((Lines{"a/kept"}), test::ListTree(dir_ / "dst"));  // no version folder either
    EXPECT_EQ("inside", test::ReadFile(Dst("a/kept")));
  }
}

TEST_F(BackupRunTest, VersioningSavesTheOldCopyBeforeTheUpdate) {
  test::WriteFile(Src("sub/a.txt"), "new", Seconds(2000));
  test::WriteFile(Dst("sub/a.txt"), "old", Seconds(1000));
  Run(true);
  const std::string rel = Native("sub/a.txt");
  EXPECT_EQ(Join({Header("ENABLED", 1),
                  {"Time version directory created: " + VersionDir(),
                   "[TIME VERSION] " + Dst("sub/a.txt"), "Time version created: " + rel,
                   "[UPDATED] " + rel, "Old version saved to time directory: " + rel,
                   "Time-based incremental backup completed: 0 copied, 1 updated, 0 skipped, 0 "
                   "failed, 1 time-versioned.",
                   "=== Time version location: " + VersionDir() + " ===",
                   "Backup operation completed."}}),
            BackupLog());
  EXPECT_EQ(
      (Lines{"=== File Operation Log ===", "[BACKUP STARTED] Session started",
             "[FILE SCAN] 1 files found", "[TIME VERSION] " + Dst("sub/a.txt"), "[UPDATED] " + rel,
             "[BACKUP COMPLETED] Copied: 0 | Updated: 1 | Failed: 0 | Time-versioned: 1"}),
      FileLog());
  EXPECT_EQ("old", test::ReadFile(VersionDir() + kPathSeparator + rel));
  EXPECT_EQ(Seconds(1000), test::RealFs().LastWriteTime(VersionDir() + kPathSeparator + rel));
  EXPECT_EQ("new", test::ReadFile(Dst("sub/a.txt")));
}

TEST_F(BackupRunTest, TwoUpdatesShareOneVersionDirectory) {
  for (const char* name : {"a", "b"}) {
    test::WriteFile(Src(name), "new", Seconds(2000));
    test::WriteFile(Dst(name), "old", Seconds(1000));
  }
  BackupResults run = Run(true);
  EXPECT_EQ(2, run.counters.timeVersioned);
  EXPECT_EQ((Lines{"a", "b", "backup_20250131_080000/README.txt", "backup_20250131_080000/a",
                   "backup_20250131_080000/b"}),
            test::ListTree(dir_ / "dst"));
  EXPECT_EQ("=== Time version location: " + VersionDir() + " ===", BackupLog().end()[-2]);
}

TEST_F(BackupRunTest, VersioningWithOnlyNewFilesStillMakesTheDirectory) {
  test::WriteFile(Src("a"), "x", Seconds(1000));
  Run(true);
  EXPECT_EQ(Join({Header("ENABLED", 1),
                  {"Time version directory created: " + VersionDir(), "[COPIED] a",
                   "Time-based incremental backup completed: 1 copied, 0 updated, 0 skipped, 0 "
                   "failed, 0 time-versioned.",
                   "=== Time version directory created but no files versioned ===",
                   "Backup operation completed."}}),
            BackupLog());
  EXPECT_TRUE(test::Exists(VersionDir() + kPathSeparator + "README.txt"));
}

TEST_F(BackupRunTest, AVersionDirectoryThatCannotBeMadeUpdatesNothingAndTheNextRunTriesAgain) {
  test::WriteFile(Src("a"), "new", Seconds(2000));
  test::WriteFile(Dst("a"), "old", Seconds(1000));
  fs_.failMakeDirectory = [](const std::string& path) {
    return path.find("backup_") != std::string::npos;
  };
  fs_.code = 13;
  BackupResults run = Run(true);
  EXPECT_EQ(
      Join({Header("ENABLED", 1),
            {"Failed to create time version directory: " + VersionDir() + " " + ErrorCodeText(13),
             "[TIME VERSION FAILED] " + Dst("a"), "[FAILED] " + Src("a"),
             "Time-based incremental backup completed: 0 copied, 0 updated, 0 skipped, 1 "
             "failed, 0 time-versioned.",
             "Backup operation completed."}}),
      BackupLog());
  EXPECT_EQ("old", test::ReadFile(Dst("a")));  // not overwritten: its old version is kept nowhere
  EXPECT_TRUE(run.AnyFailed());

  backup_pane_.SetText("");
  fs_.failMakeDirectory = nullptr;
  run = Run(true);
  EXPECT_EQ("Time Versioning: ENABLED", BackupLog()[3]);
  EXPECT_EQ(1, run.counters.updated);
  EXPECT_EQ(1, run.counters.timeVersioned);
  EXPECT_EQ("old", test::ReadFile(VersionDir() + kPathSeparator + "a"));
  EXPECT_EQ("new", test::ReadFile(Dst("a")));
}

TEST_F(BackupRunTest, AVersionDirectoryThatCannotBeMadeStillLetsNewFilesBeCopied) {
  test::WriteFile(Src("a"), "new", Seconds(2000));
  test::WriteFile(Dst("a"), "old", Seconds(1000));
  test::WriteFile(Src("sub/b"), "b", Seconds(2000));
  fs_.failMakeDirectory = [](const std::string& path) {
    return path.find("backup_") != std::string::npos;
  };
  BackupResults run = Run(true);
  EXPECT_EQ(1, run.counters.copied);
  EXPECT_EQ(1, run.counters.failed);
  EXPECT_EQ(0, run.counters.updated);
  EXPECT_EQ("b", test::ReadFile(Dst("sub/b")));
  EXPECT_EQ("old", test::ReadFile(Dst("a")));
  const Lines log = BackupLog();
  const auto failed = std::find(log.begin(), log.end(), "[TIME VERSION FAILED] " + Dst("a"));
  ASSERT_NE(log.end(), failed);
  EXPECT_EQ("[FAILED] " + Src("a"), failed[1]);
  EXPECT_EQ("Backup operation completed.", log.back());
  EXPECT_EQ(
      "Time-based incremental backup completed: 1 copied, 0 updated, 0 skipped, 1 failed, 0 "
      "time-versioned.",
      log.end()[-2]);  // and no line about the version folder
}

TEST_F(BackupRunTest, AnOldVersionThatCannotBeSavedIsNotOverwritten) {
  test::WriteFile(Src("a"), "new", Seconds(2000));
  test::WriteFile(Dst("a"), "old", Seconds(1000));
  fs_.failCopyTo = [this](const std::string& to) { return to.rfind(VersionDir(), 0) == 0; };
  BackupResults run = Run(true);
  const Lines log = BackupLog();
  EXPECT_EQ((Lines{"Time version directory created: " + VersionDir(),
                   "[TIME VERSION FAILED] " + Dst("a"), "[FAILED] " + Src("a")}),
            Lines(log.begin() + 5, log.begin() + 8));
  EXPECT_EQ("=== Time version directory created but no files versioned ===", log.end()[-2]);
  EXPECT_EQ("old", test::ReadFile(Dst("a")));
  EXPECT_EQ(Seconds(1000), test::RealFs().LastWriteTime(Dst("a")));
  EXPECT_EQ(1, run.counters.failed);
  EXPECT_EQ(0, run.counters.updated);
  EXPECT_EQ(0, run.counters.timeVersioned);
  EXPECT_EQ((Lines{"a", "backup_20250131_080000/README.txt"}), test::ListTree(dir_ / "dst"));
}

TEST_F(BackupRunTest, EmptySourceReportsZeroFiles) {
  test::MakeDirs(dir_ / "src");
  Run(true);
  EXPECT_EQ(Join({Header("ENABLED", 0),
                  {"Time-based incremental backup completed: 0 copied, 0 updated, 0 skipped, 0 "
                   "failed, 0 time-versioned.",
                   "Backup operation completed."}}),
            BackupLog());
  EXPECT_FALSE(test::Exists(dir_ / "dst"));
}

TEST_F(BackupRunTest, AMissingSourceIsReportedBeforeTheZeroCount) {
  BackupResults run = Run(false);
  const Lines log = BackupLog();
  ASSERT_EQ(8u, log.size());
  const std::string prefix = "Cannot list directory: " + dir_ / "src/" + " Error: ";
  EXPECT_EQ(prefix, log[4].substr(0, prefix.size()));
  EXPECT_EQ("Found 0 files.", log[5]);
  EXPECT_EQ(1, run.unlistedDirectories);
}

TEST_F(BackupRunTest, EachRunStartsFromZeroWithItsOwnVersionDirectory) {
  test::WriteFile(Src("a"), "1", Seconds(2000));
  test::WriteFile(Dst("a"), "0", Seconds(1000));
  BackupResults run = Run(true);
  const std::string first = run.versionDir;
  clock_.Advance(61 * test::kSecondNanos);
  test::WriteFile(Src("a"), "2", Seconds(3000));
  run = Run(true);
  EXPECT_EQ(1, run.counters.updated);
  EXPECT_EQ(1, run.counters.timeVersioned);
  EXPECT_EQ(Dst("backup_20250131_080101"), run.versionDir);
  EXPECT_NE(first, run.versionDir);
  EXPECT_EQ("1", test::ReadFile(run.versionDir + kPathSeparator + "a"));
}

TEST_F(BackupRunTest, TwoRunsInOneSecondKeepBothOldVersionsInFoldersOfTheirOwn) {
  test::WriteFile(Src("a"), "1", Seconds(2000));
  test::WriteFile(Dst("a"), "0", Seconds(1000));
  BackupResults first = Run(true);
  test::WriteFile(Src("a"), "2", Seconds(3000));
  // Another run, as a manual run beside a scheduled one, within the same second: the clock
  // has not moved.
  const BackupResults second = Run(true);
  EXPECT_EQ(VersionDir(), first.versionDir);
  EXPECT_EQ(Dst("backup_20250131_080001"), second.versionDir);
  EXPECT_EQ("0", test::ReadFile(VersionDir() + kPathSeparator + "a"));
  EXPECT_EQ("1", test::ReadFile(second.versionDir + kPathSeparator + "a"));
  EXPECT_EQ("2", test::ReadFile(Dst("a")));
  EXPECT_EQ(1, second.counters.timeVersioned);
  EXPECT_FALSE(second.AnyFailed());
}

/// Records the kind of every event, how many backup log lines stood before it, and the
/// results the end told.
class RecordingObserver : public RunObserver {
 public:
  explicit RecordingObserver(MemoryLogPane& pane) : pane_(pane) {}
  void OnRunEvent(const RunEvent& event) override {
    kinds.push_back(event.kind);
    lines_before.push_back(PaneLines(pane_.Text()).size());
    if (event.kind == RunEventKind::kEnded) ended = event.summary->results;
  }
  std::vector<RunEventKind> kinds;
  std::vector<size_t> lines_before;
  BackupResults ended;

 private:
  MemoryLogPane& pane_;
};

TEST_F(BackupRunTest, ObserversHearEveryEventInOrderBeforeTheLogsWriteIt) {
  test::WriteFile(Src("new"), "1", Seconds(2000));
  test::WriteFile(Src("old"), "1", Seconds(1000));
  test::WriteFile(Dst("old"), "1", Seconds(1000));
  RecordingObserver observer(backup_pane_);
  logs_.observers = {&observer};
  const BackupResults results = Run(false);
  ASSERT_EQ(5u, observer.kinds.size());
  EXPECT_EQ(RunEventKind::kStarted, observer.kinds.front());
  EXPECT_EQ(0u, observer.lines_before.front());  // the status hears of it before any line
  EXPECT_EQ(RunEventKind::kScanned, observer.kinds[1]);
  const std::vector<RunEventKind> files(observer.kinds.begin() + 2, observer.kinds.end() - 1);
  EXPECT_EQ(1, std::count(files.begin(), files.end(), RunEventKind::kCopied));
  EXPECT_EQ(1, std::count(files.begin(), files.end(), RunEventKind::kSkipped));
  EXPECT_EQ(RunEventKind::kEnded, observer.kinds.back());
  // What the unit returns is what its last event told.
  EXPECT_EQ(1, results.counters.copied);
  EXPECT_EQ(1, results.counters.skipped);
  EXPECT_EQ(observer.ended.counters.copied, results.counters.copied);
  EXPECT_EQ(observer.ended.counters.skipped, results.counters.skipped);
  EXPECT_EQ(observer.ended.AnyFailed(), results.AnyFailed());
}

TEST_F(BackupRunTest, NothingInTheTargetIsEverDeleted) {
  test::WriteFile(Src("a"), "1", Seconds(1000));
  test::WriteFile(Dst("only-in-target"), "keep", Seconds(1000));
  Run(false);
  EXPECT_EQ((Lines{"a", "only-in-target"}), test::ListTree(dir_ / "dst"));
}

TEST_F(BackupRunTest, CoarseTargetTimesDoNotCauseEndlessCopies) {
  fs_.timeStep = 2 * test::kSecondNanos;
  fs_.coarseRoot = dir_ / "dst";
  test::WriteFile(Src("a"), "1", test::At(1001, 500000000));
  test::WriteFile(Src("b"), "2", test::At(1000, 1));
  BackupResults run = Run(true);
  ASSERT_EQ(2, run.counters.copied);
  ASSERT_EQ(Seconds(1000), fs_.Stat(Dst("a")).lastWrite);  // stored in 2-second steps
  clock_.Advance(60 * test::kSecondNanos);
  run = Run(true);
  EXPECT_EQ(2, run.counters.skipped);
  EXPECT_EQ(0, run.counters.updated);
  EXPECT_EQ(0, run.counters.timeVersioned);
  EXPECT_EQ("", run.versionDir);
  // A genuinely newer source is still copied.
  test::WriteFile(Src("a"), "changed", Seconds(1003));
  run = Run(true);
  EXPECT_EQ(1, run.counters.updated);
}

TEST_F(BackupRunTest, AWholeSecondSavedAgainWithinTwoSecondsIsUpdatedOnAnExactVolume) {
  // An unpacked archive's whole-second time, edited within two seconds: a change that a
  // rule tolerant of every coarse step would never see.
  test::WriteFile(Src("a"), "edited", test::At(1600000001, 500000000));
  test::WriteFile(Dst("a"), "unpacked", Seconds(1600000000));
  BackupResults run = Run(false);
  EXPECT_EQ(1, run.counters.updated);
  EXPECT_EQ("edited", test::ReadFile(Dst("a")));
  EXPECT_EQ(test::At(1600000001, 500000000), test::RealFs().LastWriteTime(Dst("a")));
}

TEST_F(BackupRunTest, AnUnchangedRerunOnAnExactVolumeWritesNothingToTheTarget) {
  for (int i = 0; i < 100; ++i)
    test::WriteFile(Src("d/f" + std::to_string(i)), "x", test::At(1000 + i, 123456789));
  BackupResults run = Run(true);
  ASSERT_EQ(100, run.counters.copied);
  fs_.events.clear();
  run = Run(true);
  EXPECT_EQ(100, run.counters.skipped);
  for (const std::string& event : fs_.events) {
    EXPECT_NE(0u, event.rfind("prepare ", 0)) << event;
    EXPECT_NE(0u, event.rfind("create ", 0)) << event;  // no probe of the time step
  }
}

TEST_F(BackupRunTest, ACoarseVolumeIsComparedInItsOwnStep) {
  // Whole seconds (exFAT through FUSE keeps these) and 10 ms (exFAT's own step).
  for (const TimeStep step : {TimeStep{1000000000}, TimeStep{10000000}}) {
    std::filesystem::remove_all(dir_ / "dst");
    fs_.timeStep = step;
    fs_.coarseRoot = dir_ / "dst";
    test::WriteFile(Src("a"), "1", test::At(1001, 987654321));
    BackupResults run = Run(true);
    ASSERT_EQ(1, run.counters.copied);
    clock_.Advance(61 * test::kSecondNanos);
    run = Run(true);
    EXPECT_EQ(1, run.counters.skipped) << step;
    EXPECT_EQ(0, run.counters.timeVersioned) << step;
    test::WriteFile(Src("a"), "2", test::At(1003, 0));
    run = Run(true);
    EXPECT_EQ(1, run.counters.updated) << step;
  }
}

TEST_F(BackupRunTest, NamesThatCollideOnACaseFoldingTargetFailAllButTheFirst) {
  test::WriteFile(Src("Notes.txt"), "upper", Seconds(1000));
  test::WriteFile(Src("notes.txt"), "lower", Seconds(1000));
  test::WriteFile(Src("other.txt"), "o", Seconds(1000));
  if (test::ListTree(dir_ / "src").size() < 3) GTEST_SKIP() << "the source folds case itself";
  test::MakeDirs(dir_ / "dst");
  DirListing listing;
  ASSERT_TRUE(test::RealFs().ListDirectory(dir_ / "src", &listing));
  std::vector<std::string> notes;
  for (const DirEntry& entry : listing.entries)
    if (entry.name != "other.txt") notes.push_back(Src(entry.name));
  fs_.foldsCase = true;
  BackupResults run = Run(false);
  EXPECT_EQ(2, run.counters.copied);
  EXPECT_EQ(1, run.counters.failed);
  const Lines log = BackupLog();
  const auto collision = std::find(log.begin(), log.end(),
                                   "Name collides on the target: " + notes[0] + " and " + notes[1]);
  ASSERT_NE(log.end(), collision);
  EXPECT_EQ("[FAILED] " + notes[1], collision[1]);
  EXPECT_EQ(test::ReadFile(notes[0]), test::ReadFile(Dst(notes[0].substr(Src("").size()))));

  fs_.foldsCase = false;  // a target that tells the two apart takes both
  std::filesystem::remove_all(dir_ / "dst");
  test::MakeDirs(dir_ / "dst");
  run = Run(false);
  EXPECT_EQ(3, run.counters.copied);
}

/// The position of the first event equal to `event` at or after `from`; npos when none.
size_t Find(const Lines& events, const std::string& event, size_t from = 0) {
  for (size_t at = from; at < events.size(); ++at)
    if (events[at] == event) return at;
  return std::string::npos;
}

/// The position of the first event that begins with `prefix` at or after `from`.
size_t FindPrefix(const Lines& events, const std::string& prefix, size_t from) {
  for (size_t at = from; at < events.size(); ++at)
    if (events[at].rfind(prefix, 0) == 0) return at;
  return std::string::npos;
}

TEST_F(BackupRunTest, NoCopyIsPutInPlaceBeforeItsDataIsFlushed) {
  for (const bool whole_volume : {true, false}) {
    std::filesystem::remove_all(dir_ / "dst");
    for (int i = 0; i < 200; ++i)
      test::WriteFile(Src("d" + std::to_string(i % 5) + "/f" + std::to_string(i)), "x",
                      Seconds(1000));
    fs_.events.clear();
    fs_.wholeVolumeFlush = whole_volume;
    BackupResults run = Run(false);
    ASSERT_EQ(200, run.counters.copied);
    const Lines events = fs_.events;
    size_t last_publish = 0;
    for (int i = 0; i < 200; ++i) {
      const std::string to = Dst("d" + std::to_string(i % 5) + "/f" + std::to_string(i));
      const size_t prepared = Find(events, "prepare " + to);
      const size_t published = Find(events, "publish " + to);
      ASSERT_LT(prepared, published) << to;
      last_publish = std::max(last_publish, published);
      // Windows has no whole-volume flush: there each copy is flushed on its own.
      const size_t flushed = std::min(FindPrefix(events, "sync-volume ", prepared),
                                      Find(events, "flush " + to, prepared));
      EXPECT_LT(flushed, published) << to;
      if (!whole_volume) {
        EXPECT_EQ(std::string::npos, FindPrefix(events, "sync-volume ", prepared));
      }
    }
    // The names themselves are made durable after the last copy is in place.
    EXPECT_EQ("sync-", events.back().substr(0, 5));
    EXPECT_LT(last_publish, events.size() - 1);
    if (!whole_volume) {
      EXPECT_NE(std::string::npos, Find(events, "sync-directory " + Dst("d3"), last_publish));
    }
  }
}

TEST_F(BackupRunTest, ACopyWhoseFlushFailsFailsAndTheOldCopyStays) {
  test::WriteFile(Src("a"), "new a", Seconds(2000));
  test::WriteFile(Src("b"), "new b", Seconds(2000));
  test::WriteFile(Dst("b"), "old b", Seconds(1000));
  fs_.wholeVolumeFlush = false;
  fs_.failFlushOf = [this](const std::string& to) { return to == Dst("b"); };
  fs_.code = 5;
  BackupResults run = Run(false);
  EXPECT_EQ(1, run.counters.copied);
  EXPECT_EQ(1, run.counters.failed);
  const Lines log = BackupLog();
  EXPECT_NE(log.end(),
            std::find(log.begin(), log.end(),
                      "CopyFile failed: " + Src("b") + " -> " + Dst("b") + " " + ErrorCodeText(5)));
  EXPECT_EQ("old b", test::ReadFile(Dst("b")));
  EXPECT_EQ("new a", test::ReadFile(Dst("a")));
  EXPECT_EQ((Lines{"a", "b"}), test::ListTree(dir_ / "dst"));  // no temporary file left
}

TEST_F(BackupRunTest, ANameThatCannotBeMadeDurableFailsItsFileByName) {
  test::WriteFile(Src("a"), "a", Seconds(2000));
  test::MakeDirs(dir_ / "dst");
  fs_.failFlushOf = [this](const std::string& path) { return path == dir_ / "dst"; };
  fs_.code = 5;
  BackupResults run = Run(false);
  EXPECT_NE(std::string::npos, Find(fs_.events, "flush " + Dst("a")));  // its data went alone
  EXPECT_EQ(Join({Header("DISABLED", 1),
                  {"Failed to flush to disk: " + Dst("a") + " " + ErrorCodeText(5),
                   "[FAILED] " + Src("a"),
                   // The record's new folder needs the same flush: the run goes on without it.
                   "The record of the runs could not be written: " + Dst(".quillstone/journal") +
                       " " + ErrorCodeText(5),
                   "Time-based incremental backup completed: 0 copied, 0 updated, 0 skipped, 1 "
                   "failed, 0 time-versioned.",
                   "Backup operation completed."}}),
            BackupLog());
  EXPECT_TRUE(run.AnyFailed());
}

TEST_F(BackupRunTest, AVolumeFlushThatFailsFallsBackToEachFileAndDirectory) {
  test::WriteFile(Src("d/a"), "a", Seconds(2000));
  fs_.failVolumeFlushes = true;
  fs_.code = 5;
  BackupResults run = Run(false);
  EXPECT_EQ(1, run.counters.copied);  // each flush of its own worked
  EXPECT_FALSE(run.AnyFailed());
  const size_t published = Find(fs_.events, "publish " + Dst("d/a"));
  EXPECT_LT(Find(fs_.events, "flush " + Dst("d/a")), published);
  EXPECT_NE(std::string::npos, Find(fs_.events, "sync-directory " + Dst("d"), published));
  EXPECT_NE(std::string::npos, Find(fs_.events, "sync-directory " + dir_ / "dst", published));
}

TEST_F(BackupRunTest, AttributesTheTargetCannotHoldAreReportedButTheCopyCounts) {
  test::WriteFile(Src("a"), "a", Seconds(2000));
  fs_.dropAttributesOf = [this](const std::string& to) { return to == Dst("a"); };
  BackupResults run = Run(false);
  EXPECT_EQ(1, run.counters.copied);
  EXPECT_EQ(0, run.counters.failed);
  const Lines log = BackupLog();
  EXPECT_EQ(
      (Lines{"[COPIED] a", "Extended attributes not kept: " + Dst("a") + " " + ErrorCodeText(95)}),
      Lines(log.begin() + 5, log.begin() + 7));
}

}  // namespace
}  // namespace qs
