// A source that changes between the scan and the copy: files that vanish, turn into a
// directory or a pipe, or get new content; a directory that vanishes during the scan. The
// codes and the pipe are POSIX ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "engine/backup_run.h"
#include "tests/support/backup_logs.h"
#include "tests/support/command_runner.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Seconds;
using test::WithoutStamps;
using Lines = std::vector<std::string>;

/// The real file system, with a change of the tree made just before a given file is copied
/// or a given directory has been listed: the moments a real run can be overtaken.
class ChangingFileSystem : public test::ForwardingFileSystem {
 public:
  bool ListDirectory(const std::string& path, DirListing* listing) override {
    const bool listed = real_.ListDirectory(path, listing);
    RunOnce(afterListing, path);
    return listed;
  }
  std::unique_ptr<PendingCopy> PrepareCopy(const std::string& from,
                                           const std::string& to) override {
    RunOnce(beforeCopyFrom, from);
    return real_.PrepareCopy(from, to);
  }

  using Changes = std::map<std::string, std::function<void()>>;
  Changes beforeCopyFrom;  ///< by source path
  Changes afterListing;    ///< by directory path as the scan passes it

 private:
  static void RunOnce(Changes& changes, const std::string& path) {
    const auto change = changes.find(path);
    if (change == changes.end()) return;
    const std::function<void()> run = std::move(change->second);
    changes.erase(change);
    run();
  }
};

class ChangingSourceTest : public ::testing::Test {
 protected:
  void Run(bool versioning) {
    test::BackupLogs logs(&backup_pane_, nullptr, clock_, &console_);
    counters_ =
        RunBackup(fs_, clock_, BackupOptions::Of(dir_ / "src", dir_ / "dst", versioning), logs)
            .counters;
  }

  std::string Src(const std::string& p) { return dir_ / ("src/" + p); }
  std::string Dst(const std::string& p) { return dir_ / ("dst/" + p); }
  Lines BackupLog() { return WithoutStamps(test::PaneLines(backup_pane_.Text())); }
  bool Logged(const std::string& line) {
    const Lines log = BackupLog();
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  /// The three entries of a failed copy, in a row, with the system's code.
  bool LoggedCopyFailure(const std::string& name, const std::string& error) {
    const Lines expected = {"CopyFile failed: " + Src(name) + " -> " + Dst(name) + " " + error,
                            "[COPY ERROR] " + Src(name), "[FAILED] " + Src(name)};
    const Lines log = BackupLog();
    return std::search(log.begin(), log.end(), expected.begin(), expected.end()) != log.end();
  }

  test::ScopedTempDir dir_;
  ChangingFileSystem fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  MemoryLogPane backup_pane_;
  BackupCounters counters_;
};

TEST_F(ChangingSourceTest, AFileThatVanishesBeforeItsCopyFailsAndTheRunGoesOn) {
  for (const char* name : {"a", "b", "c"}) test::WriteFile(Src(name), name, Seconds(1000));
  fs_.beforeCopyFrom[Src("b")] = [&] { std::filesystem::remove(Src("b")); };
  Run(false);
  EXPECT_TRUE(LoggedCopyFailure("b", "Error: 2 (No such file or directory)"))
      << backup_pane_.Text();
  EXPECT_EQ(2, counters_.copied);
  EXPECT_EQ(1, counters_.failed);
  EXPECT_EQ((Lines{"a", "c"}), test::ListTree(dir_ / "dst"));
  EXPECT_EQ("Backup operation completed.", BackupLog().back());
}

TEST_F(ChangingSourceTest, AFileThatVanishesBeforeItsUpdateLeavesTheOldCopy) {
  test::WriteFile(Src("b"), "new", Seconds(2000));
  test::WriteFile(Dst("b"), "old", Seconds(1000));
  fs_.beforeCopyFrom[Src("b")] = [&] { std::filesystem::remove(Src("b")); };
  Run(true);
  EXPECT_TRUE(LoggedCopyFailure("b", "Error: 2 (No such file or directory)"))
      << backup_pane_.Text();
  EXPECT_EQ(1, counters_.failed);
  EXPECT_EQ(1, counters_.timeVersioned);
  EXPECT_EQ("old", test::ReadFile(Dst("b")));
  EXPECT_EQ(Seconds(1000), test::RealFs().LastWriteTime(Dst("b")));
}

TEST_F(ChangingSourceTest, AFileThatTurnsIntoADirectoryOrAPipeFailsWithoutWaiting) {
  for (const char* name : {"a", "dir", "pipe"}) test::WriteFile(Src(name), name, Seconds(1000));
  fs_.beforeCopyFrom[Src("dir")] = [&] {
    std::filesystem::remove(Src("dir"));
    test::MakeDirs(Src("dir"));
  };
  fs_.beforeCopyFrom[Src("pipe")] = [&] {
    std::filesystem::remove(Src("pipe"));
    // Opened for reading the usual way, a pipe without a writer would block the run forever.
    ASSERT_EQ(0, RunCommandLine("mkfifo '" + Src("pipe") + "'"));
  };
  Run(false);
  EXPECT_TRUE(LoggedCopyFailure("dir", "Error: 21 (Is a directory)")) << backup_pane_.Text();
  EXPECT_TRUE(LoggedCopyFailure("pipe", "Error: 22 (Invalid argument)")) << backup_pane_.Text();
  EXPECT_EQ(1, counters_.copied);
  EXPECT_EQ(2, counters_.failed);
  EXPECT_EQ(Lines{"a"}, test::ListTree(dir_ / "dst"));
}

TEST_F(ChangingSourceTest, AFileRewrittenBeforeItsCopyIsCopiedAsItIsThen) {
  test::WriteFile(Src("a"), "listed", Seconds(1000));
  // The copy is of the file as it is when copied: its content with its time then, not the
  // time the scan saw.
  fs_.beforeCopyFrom[Src("a")] = [&] { test::WriteFile(Src("a"), "rewritten", Seconds(3000)); };
  Run(false);
  EXPECT_EQ("rewritten", test::ReadFile(Dst("a")));
  EXPECT_EQ(Seconds(3000), test::RealFs().LastWriteTime(Dst("a")));
  EXPECT_EQ(1, counters_.copied);
}

TEST_F(ChangingSourceTest, ADirectoryThatVanishesDuringTheScanHoldsNothingToCopy) {
  test::WriteFile(Src("a"), "a", Seconds(1000));
  test::WriteFile(Src("gone/b"), "b", Seconds(1000));
  fs_.afterListing[dir_ / "src/"] = [&] { std::filesystem::remove_all(Src("gone")); };
  Run(false);
  EXPECT_TRUE(Logged("Found 1 files.")) << backup_pane_.Text();
  EXPECT_EQ(1, counters_.copied);
  EXPECT_EQ(0, counters_.failed);
  EXPECT_EQ(Lines{"a"}, test::ListTree(dir_ / "dst"));
}

}  // namespace
}  // namespace qs
