// With time versioning, an update replaces its old copy only once that copy is kept: whatever
// keeps the old version from being saved, the old copy stays, the file fails, and the next run
// tries again. Nothing in a version folder is ever written over.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "engine/backup_run.h"
#include "tests/support/backup_logs.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Seconds;
using Lines = std::vector<std::string>;

class VersionNotKeptTest : public ::testing::Test {
 protected:
  VersionNotKeptTest() {
    test::WriteFile(Src("a"), "new", Seconds(2000));
    test::WriteFile(Dst("a"), "old", Seconds(1000));
  }
  std::string Src(const std::string& p) { return dir_ / ("src/" + p); }
  std::string Dst(const std::string& p) { return dir_ / ("dst/" + p); }
  std::string Version(const std::string& p) { return Dst("backup_20250131_080000/" + p); }

  Lines Run() {
    backup_pane_.SetText("");
    results_ = RunBackup(fs_, clock_, BackupOptions::Of(dir_ / "src", dir_ / "dst", true), logs_);
    return test::WithoutStamps(test::PaneLines(backup_pane_.Text()));
  }

  /// The old copy is where it was, as it was, and the file failed.
  void ExpectOldCopyKeptAndFailed(const Lines& log) {
    EXPECT_EQ("old", test::ReadFile(Dst("a")));
    EXPECT_EQ(Seconds(1000), test::RealFs().LastWriteTime(Dst("a")));
    const auto failed = std::find(log.begin(), log.end(), "[TIME VERSION FAILED] " + Dst("a"));
    ASSERT_NE(log.end(), failed);
    EXPECT_EQ("[FAILED] " + Src("a"), failed[1]);
    EXPECT_EQ(0, results_.counters.updated);
    EXPECT_EQ(1, results_.counters.failed);
    EXPECT_TRUE(results_.AnyFailed());
  }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  MemoryLogPane backup_pane_, file_pane_;
  test::BackupLogs logs_{&backup_pane_, &file_pane_, clock_, &console_};
  BackupResults results_;  ///< of the last run
};

TEST_F(VersionNotKeptTest, AnOldVersionInTheFolderIsNeverWrittenOver) {
  // Another program took the folder between our look and our claim, and saved a copy there.
  test::WriteFile(Version("a"), "theirs", Seconds(500));
  fs_.claimMadeDirectory = [this](const std::string& path) {
    return path + kPathSeparator == Version("");
  };
  const Lines log = Run();
  ExpectOldCopyKeptAndFailed(log);
  EXPECT_EQ("theirs", test::ReadFile(Version("a")));
  EXPECT_EQ(Seconds(500), test::RealFs().LastWriteTime(Version("a")));
}

TEST_F(VersionNotKeptTest, AVersionWhoseDataCannotBeFlushedKeepsTheOldCopy) {
  for (const bool whole_volume : {true, false}) {
    fs_.wholeVolumeFlush = whole_volume;
    fs_.failVolumeFlushes = true;  // the batch's flush fails, and so does the version's own
    fs_.failFlushOf = [this](const std::string& to) {
      return to.find("backup_") != std::string::npos && to.back() == 'a';
    };
    fs_.code = 5;
    const Lines log = Run();
    ExpectOldCopyKeptAndFailed(log);
    clock_.Advance(60 * test::kSecondNanos);
  }
}

TEST_F(VersionNotKeptTest, TheNextRunKeepsTheVersionAndUpdates) {
  fs_.failCopyTo = [](const std::string& to) { return to.find("backup_") != std::string::npos; };
  ExpectOldCopyKeptAndFailed(Run());
  fs_.failCopyTo = nullptr;
  clock_.Advance(60 * test::kSecondNanos);
  const Lines log = Run();
  EXPECT_EQ(1, results_.counters.updated);
  EXPECT_EQ(1, results_.counters.timeVersioned);
  EXPECT_EQ("new", test::ReadFile(Dst("a")));
  EXPECT_EQ("old", test::ReadFile(Dst("backup_20250131_080100/a")));
  EXPECT_FALSE(results_.AnyFailed());
}

}  // namespace
}  // namespace qs
