// Whole runs where the source or the target cannot be taken at its word: a file that keeps
// changing while it is copied, a target that finds a name under another spelling, a target
// that dates copies by itself. Each is a reported failure, never a copy that is not what the
// log says.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "engine/backup_run.h"
#include "engine/file_copy.h"
#include "tests/support/backup_logs.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Seconds;
using Lines = std::vector<std::string>;

class BackupRunGuardsTest : public ::testing::Test {
 protected:
  BackupOptions Request(bool versioning) {
    return BackupOptions::Of(dir_ / "src", dir_ / "dst", versioning);
  }
  /// One run through the unit, told to the fixture's two logs.
  BackupResults Run(const BackupOptions& request) { return RunBackup(fs_, clock_, request, logs_); }
  BackupResults Run(bool versioning) { return Run(Request(versioning)); }
  Lines BackupLog() { return test::WithoutStamps(test::PaneLines(backup_pane_.Text())); }
  bool Logged(const std::string& line) {
    const Lines log = BackupLog();
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  std::string Src(const std::string& p) { return dir_ / ("src/" + p); }
  std::string Dst(const std::string& p) { return dir_ / ("dst/" + p); }
  std::string VersionDir() { return Dst("backup_20250131_080000"); }
  int Count(const std::string& event) {
    return static_cast<int>(std::count(fs_.events.begin(), fs_.events.end(), event));
  }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  MemoryLogPane backup_pane_, file_pane_;
  test::BackupLogs logs_{&backup_pane_, &file_pane_, clock_, &console_};
};

TEST_F(BackupRunGuardsTest, AFileThatKeepsChangingIsFailedAndNeitherItNorItsOldCopyIsVersioned) {
  test::WriteFile(Src("live.db"), "being written", Seconds(2000));
  test::WriteFile(Dst("live.db"), "old", Seconds(1000));
  test::WriteFile(Src("notes.txt"), "new", Seconds(2000));
  test::WriteFile(Dst("notes.txt"), "old notes", Seconds(1000));
  fs_.changeWhileCopying = [this](const std::string& from) { return from == Src("live.db"); };
  BackupResults run = Run(true);
  EXPECT_EQ(kCopyAttempts, Count("prepare " + Dst("live.db")));
  const Lines log = BackupLog();
  const auto changed =
      std::find(log.begin(), log.end(), "Changed while it was copied: " + Src("live.db"));
  ASSERT_NE(log.end(), changed);
  EXPECT_EQ("[FAILED] " + Src("live.db"), changed[1]);
  EXPECT_EQ(1, run.counters.updated);
  EXPECT_EQ(1, run.counters.failed);
  EXPECT_EQ(1, run.counters.timeVersioned);
  EXPECT_TRUE(run.AnyFailed());
  EXPECT_EQ("old", test::ReadFile(Dst("live.db")));
  EXPECT_EQ(Seconds(1000), test::RealFs().LastWriteTime(Dst("live.db")));
  EXPECT_EQ((Lines{"README.txt", "notes.txt"}), test::ListTree(VersionDir()));
  EXPECT_EQ("old notes", test::ReadFile(VersionDir() + kPathSeparator + "notes.txt"));
}

TEST_F(BackupRunGuardsTest, AFileSavedWhileItWasCopiedIsCopiedAgainWhole) {
  test::WriteFile(Src("live.db"), "saved", Seconds(2000));
  test::WriteFile(Dst("live.db"), "old", Seconds(1000));
  int tries = 0;
  fs_.changeWhileCopying = [&](const std::string&) { return ++tries == 1; };
  BackupResults run = Run(true);
  EXPECT_EQ(1, run.counters.updated);
  EXPECT_EQ(1, run.counters.timeVersioned);
  EXPECT_FALSE(run.AnyFailed());
  EXPECT_EQ("saved", test::ReadFile(Dst("live.db")));
  EXPECT_EQ("old", test::ReadFile(VersionDir() + kPathSeparator + "live.db"));
}

// The target keeps Notes.txt; the source now holds notes.txt alone (renamed in case only),
// newer. A volume that ignores case finds Notes.txt for notes.txt: replacing it would put
// another file's name on this one, and with versioning keep Notes.txt's data as notes.txt's.
TEST_F(BackupRunGuardsTest, AnEntryKeptUnderAnotherSpellingIsNeverReplacedNorVersioned) {
  for (const bool versioning : {false, true}) {
    std::filesystem::remove_all(dir_ / "dst");
    backup_pane_.SetText("");
    test::WriteFile(Src("notes.txt"), "new", Seconds(2000));
    test::WriteFile(Dst("Notes.txt"), "old", Seconds(1000));
    fs_.foldsCase = true;
    BackupResults run = Run(versioning);
    EXPECT_TRUE(
        Logged("Name collides on the target: " + Dst("Notes.txt") + " and " + Src("notes.txt")))
        << versioning;
    EXPECT_TRUE(Logged("[FAILED] " + Src("notes.txt"))) << versioning;
    EXPECT_EQ(1, run.counters.failed);
    EXPECT_EQ(0, run.counters.updated);
    EXPECT_EQ(0, run.counters.timeVersioned);
    EXPECT_EQ(0, run.timeVersionFailures);  // no old copy was even tried
    EXPECT_EQ(0, std::count_if(fs_.events.begin(), fs_.events.end(), [&](const std::string& e) {
                return e.rfind("prepare " + Dst("backup_"), 0) == 0;
              }));
    EXPECT_EQ("old", test::ReadFile(Dst("Notes.txt")));
    Lines kept = test::ListTree(dir_ / "dst");
    std::erase_if(kept, [](const std::string& p) { return p.ends_with("/README.txt"); });
    EXPECT_EQ(Lines{"Notes.txt"}, kept) << versioning;
  }
}

// A target that ignores the times set on copies (some WebDAV servers and shares) dates each
// copy by itself: every run would then copy and version every file again, or never see a
// change dated before the upload. Said once a run, and a failure unless accepted.
TEST_F(BackupRunGuardsTest, ATargetThatDropsTimesIsReportedOnceAndFailsTheRunUnlessAccepted) {
  fs_.dropTimes = true;
  for (int i = 0; i < 3; ++i) test::WriteFile(Src("f" + std::to_string(i)), "x", Seconds(2000));
  const std::string line =
      "The target does not keep last-write times: every run copies every file again";
  BackupResults run = Run(false);
  Lines log = BackupLog();
  EXPECT_EQ(1, std::count(log.begin(), log.end(), line));
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(line, log[log.size() - 3]);  // just before the summary
  EXPECT_EQ(3, run.counters.copied);
  EXPECT_TRUE(run.AnyFailed());

  // Copies the target dated later than their sources: an unchanged run still learns it.
  for (int i = 0; i < 3; ++i) test::WriteFile(Dst("f" + std::to_string(i)), "x", Seconds(9000));
  backup_pane_.SetText("");
  BackupOptions accepting = Request(false);
  accepting.acceptUnkeptTimes = true;
  run = Run(accepting);
  log = BackupLog();
  EXPECT_EQ(3, run.counters.skipped);
  EXPECT_EQ(1, std::count(log.begin(), log.end(), line));
  EXPECT_FALSE(run.AnyFailed());

  // A volume that keeps times says nothing, even where a copy is newer than its source.
  fs_.dropTimes = false;
  backup_pane_.SetText("");
  run = Run(false);
  log = BackupLog();
  EXPECT_EQ(0, std::count(log.begin(), log.end(), line));
  EXPECT_FALSE(run.AnyFailed());
  EXPECT_EQ((Lines{"f0", "f1", "f2"}), test::ListTree(dir_ / "dst"));  // no probe left behind
}

}  // namespace
}  // namespace qs
