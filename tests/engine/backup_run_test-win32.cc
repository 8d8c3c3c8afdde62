// Whole backups through the real Win32 layer.
// - Read-only, hidden and system target copies. Each case runs twice: over the WindowsRules
//   double, which refuses to move onto or delete a read-only file as Windows does (Wine allows
//   the move), and over the real calls under Wine.
// - Everything the ANSI calls lost in silence: folders and files named in Cyrillic, CJK and
//   emoji, combining marks, "ā" beside "a", a fullwidth "．．＼" that a best-fit mapping turns
//   into "..\", folder chains and files beyond 260 characters, and a target root 245
//   characters deep. Each is copied, named right in the log, updated with its old version
//   kept, and nothing is read or written outside the two trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "engine/backup_run.h"
#include "os/win32/win32_entry_kind.h"
#include "os/win32/win32_file_system.h"
#include "os/win32/win32_text.h"
#include "tests/support/backup_logs.h"
#include "tests/support/file_hold.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"
#include "tests/support/windows_rules.h"

namespace qs {
namespace {

// Read-only targets.

using test::AttributesOf;
using test::Seconds;
using win32::kAttributeHidden;
using win32::kAttributeReadOnly;
using win32::kAttributeSystem;

constexpr uint32_t kKept = kAttributeReadOnly | kAttributeHidden | kAttributeSystem;

class Win32ReadOnlyTargetTest : public ::testing::TestWithParam<bool> {
 protected:
  Win32ReadOnlyTargetTest()
      : fs_(win32::MakeWin32FileSystem(GetParam() ? static_cast<win32::ReplaceCalls&>(rules_)
                                                  : win32::RealReplaceCalls())) {}

  /// Writes the source file with its time and attributes (lifting its own read-only mark).
  void WriteSource(const std::string& content, FileTime time, uint32_t attributes) {
    if (test::Exists(source_)) test::SetAttributes(source_, 0x80);
    test::WriteFile(source_, content, time);
    ASSERT_TRUE(test::SetAttributes(source_, attributes));
  }

  /// One run with time versioning, a minute after the last, so that each has its own folder.
  BackupCounters Run() {
    clock_.Advance(60 * test::kSecondNanos);
    pane_.SetText("");
    test::BackupLogs logs(&pane_, nullptr, clock_, &console_);
    return RunBackup(*fs_, clock_, BackupOptions::Of(dir_ / "src", dir_ / "dst", true), logs)
        .counters;
  }
  std::vector<std::string> Log() { return test::WithoutStamps(test::PaneLines(pane_.Text())); }
  bool Logged(const std::string& line) {
    const std::vector<std::string> log = Log();
    return std::find(log.begin(), log.end(), line) != log.end();
  }

  test::ScopedTempDir dir_;
  test::WindowsRules rules_;
  std::unique_ptr<FileSystem> fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  MemoryLogPane pane_;
  const std::string source_ = dir_ / "src/Документы/отчёт.txt";
  const std::string copy_ = dir_ / "dst/Документы/отчёт.txt";
};

TEST_P(Win32ReadOnlyTargetTest, AnUpdateReplacesAReadOnlyCopyAndKeepsTheOldOneAsAVersion) {
  WriteSource("first", Seconds(1000), kKept);
  ASSERT_EQ(1, Run().copied) << ::testing::PrintToString(Log());
  EXPECT_EQ(kKept, AttributesOf(copy_) & kKept);

  WriteSource("second", Seconds(2000), kAttributeReadOnly);
  const BackupCounters counters = Run();
  EXPECT_EQ(1, counters.updated) << ::testing::PrintToString(Log());
  EXPECT_EQ(1, counters.timeVersioned);
  EXPECT_EQ(0, counters.failed);
  EXPECT_EQ("second", test::ReadFile(copy_));
  EXPECT_EQ(kAttributeReadOnly, AttributesOf(copy_) & kKept);
  EXPECT_EQ(Seconds(2000), fs_->LastWriteTime(copy_));
  // The version copy is the old copy with its attributes and time.
  const std::string version = dir_ / "dst/backup_20250131_080200/Документы/отчёт.txt";
  EXPECT_EQ("first", test::ReadFile(version));
  EXPECT_EQ(kKept, AttributesOf(version) & kKept);
  EXPECT_EQ(Seconds(1000), fs_->LastWriteTime(version));
  EXPECT_TRUE(Logged("[UPDATED] " + test::Native("Документы/отчёт.txt")));
}

TEST_P(Win32ReadOnlyTargetTest, AFailedUpdateLeavesTheReadOnlyCopyExactlyAsItWas) {
  WriteSource("first", Seconds(1000), kKept);
  ASSERT_EQ(1, Run().copied);
  const uint32_t before = AttributesOf(copy_);
  WriteSource("second", Seconds(2000), 0x80);
  BackupCounters counters;
  {
    FileHold held(copy_);  // another program has the old copy open
    ASSERT_TRUE(held.ok());
    counters = Run();
  }
  EXPECT_EQ(1, counters.failed);
  EXPECT_EQ(0, counters.updated);
  EXPECT_EQ("first", test::ReadFile(copy_));
  EXPECT_EQ(before, AttributesOf(copy_));
  EXPECT_EQ(Seconds(1000), fs_->LastWriteTime(copy_));
  const std::vector<std::string> log = Log();
  const std::string failure = "CopyFile failed: " + source_ + " -> " + copy_ + " Error: ";
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [&](const std::string& line) {
    return line.rfind(failure, 0) == 0;
  })) << ::testing::PrintToString(log);
  // No temporary file is left beside the copy.
  EXPECT_EQ(std::vector<std::string>{"отчёт.txt"}, test::ListTree(dir_ / "dst/Документы"));
  // The next run, with nothing holding the copy, updates it.
  EXPECT_EQ(1, Run().updated);
  EXPECT_EQ("second", test::ReadFile(copy_));
}

TEST_P(Win32ReadOnlyTargetTest, HiddenAndSystemCopiesAreUpdatedLikeAnyOther) {
  WriteSource("first", Seconds(1000), kAttributeHidden | kAttributeSystem);
  ASSERT_EQ(1, Run().copied);
  WriteSource("second", Seconds(2000), kAttributeHidden);
  EXPECT_EQ(1, Run().updated) << ::testing::PrintToString(Log());
  EXPECT_EQ("second", test::ReadFile(copy_));
  EXPECT_EQ(kAttributeHidden, AttributesOf(copy_) & kKept);
}

INSTANTIATE_TEST_SUITE_P(Calls, Win32ReadOnlyTargetTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "WindowsRules" : "WineCalls";
                         });

// Names and paths of every script and length.

using test::Native;

const std::vector<std::string> kFiles = {
    "Документы/отчёт.txt", "中文目录/文件.txt", "Привет.txt", "中文.txt", "😀.txt",
    "e\u0301.txt",         "\u00e9.txt",        "ā.txt",      "a.txt",    "．．＼outside.txt"};

size_t Characters(const std::string& path) {
  std::wstring wide;
  EXPECT_TRUE(win32::Utf8ToWide(path, &wide));
  return wide.size();
}

/// Relative folders, one below the other, until `base` joined with them is `characters` long.
std::string FolderChain(const std::string& base, size_t characters, const std::string& stem) {
  std::string chain;
  for (int level = 0; Characters(base + "\\" + chain) < characters; ++level)
    chain += (chain.empty() ? "" : "/") + stem + std::to_string(level);
  return chain;
}

class Win32UnicodeBackupTest : public ::testing::Test {
 protected:
  /// A run with time versioning from `source` to `target`, a minute after the last.
  BackupResults Run(const std::string& source, const std::string& target, bool versioning = true) {
    clock_.Advance(60 * test::kSecondNanos);
    pane_.SetText("");
    test::BackupLogs logs(&pane_, nullptr, clock_, &console_);
    return RunBackup(test::RealFs(), clock_, BackupOptions::Of(source, target, versioning), logs);
  }
  std::vector<std::string> Log() { return test::WithoutStamps(test::PaneLines(pane_.Text())); }
  void ExpectLogged(const std::string& line) {
    const std::vector<std::string> log = Log();
    EXPECT_NE(log.end(), std::find(log.begin(), log.end(), line)) << line << " not in\n"
                                                                  << ::testing::PrintToString(log);
  }

  test::ScopedTempDir dir_;
  test::FakeClock clock_;
  std::ostringstream console_;
  MemoryLogPane pane_;
};

TEST_F(Win32UnicodeBackupTest, EveryNameIsBackedUpAsItselfAndNamedRightInTheLog) {
  for (const std::string& file : kFiles)
    test::WriteFile(dir_ / ("in/src/" + file), file, Seconds(1000));
  test::WriteFile(dir_ / "in/outside.txt", "beside the source");
  const BackupResults job = Run(dir_ / "in/src", dir_ / "out/dst");
  EXPECT_EQ(static_cast<int>(kFiles.size()), job.counters.copied);
  EXPECT_EQ(0, job.counters.failed + job.unlistedDirectories + job.timeVersionFailures);
  ExpectLogged("Found " + std::to_string(kFiles.size()) + " files.");
  for (const std::string& file : kFiles) {
    ExpectLogged("[COPIED] " + Native(file));
    EXPECT_EQ(file, test::ReadFile(dir_ / ("out/dst/" + file))) << file;
  }
  std::vector<std::string> sorted = kFiles;
  std::sort(sorted.begin(), sorted.end());
  std::vector<std::string> copied = test::ListTree(dir_ / "out/dst");
  copied.erase(std::remove_if(copied.begin(), copied.end(),
                              [](const std::string& f) { return f.rfind("backup_", 0) == 0; }),
               copied.end());
  EXPECT_EQ(sorted, copied);
  EXPECT_FALSE(test::Exists(dir_ / "out/outside.txt"));  // nothing written beside the target

  test::WriteFile(dir_ / "in/src/Привет.txt", "newer", Seconds(2000));
  test::WriteFile(dir_ / "in/src/ā.txt", "newer ā", Seconds(2000));
  const BackupResults update = Run(dir_ / "in/src", dir_ / "out/dst");
  EXPECT_EQ(2, update.counters.updated);
  EXPECT_EQ(static_cast<int>(kFiles.size()) - 2, update.counters.skipped);
  EXPECT_EQ(2, update.counters.timeVersioned);
  EXPECT_EQ("newer ā", test::ReadFile(dir_ / "out/dst/ā.txt"));
  EXPECT_EQ("a.txt", test::ReadFile(dir_ / "out/dst/a.txt"));  // "ā" never became "a"
  EXPECT_EQ("Привет.txt", test::ReadFile(dir_ / "out/dst/backup_20250131_080200/Привет.txt"));
  ExpectLogged("Time version created: Привет.txt");
  ExpectLogged("[UPDATED] ā.txt");
}

// Windows finds Notes.txt for notes.txt. The source's file, renamed in case only and newer,
// must not replace the target's entry (which would keep its old spelling, or give another
// file's name to this one), nor with versioning be saved as notes.txt's old copy.
TEST_F(Win32UnicodeBackupTest, AnEntryWindowsKeepsUnderAnotherSpellingIsNeverReplaced) {
  for (const bool versioning : {true, false}) {
    test::WriteFile(dir_ / "out/dst/Notes.txt", "old", Seconds(1000));
    test::WriteFile(dir_ / "in/src/notes.txt", "new", Seconds(2000));
    const BackupResults job = Run(dir_ / "in/src", dir_ / "out/dst", versioning);
    ExpectLogged("Name collides on the target: " + dir_ / "out/dst/Notes.txt" + " and " +
                 dir_ / "in/src/notes.txt");
    ExpectLogged("[FAILED] " + dir_ / "in/src/notes.txt");
    EXPECT_EQ(1, job.counters.failed) << versioning;
    EXPECT_EQ(0, job.counters.timeVersioned) << versioning;
    EXPECT_EQ("old", test::ReadFile(dir_ / "out/dst/Notes.txt"));
    std::vector<std::string> kept = test::ListTree(dir_ / "out/dst");
    std::erase_if(kept, [](const std::string& p) { return p.ends_with("/README.txt"); });
    EXPECT_EQ(std::vector<std::string>{"Notes.txt"}, kept) << versioning;
  }
}

TEST_F(Win32UnicodeBackupTest, LongFolderChainsLongFilePathsAndADeepTargetRootAreBackedUp) {
  const std::string source = dir_ / "src";
  // A target root about 245 characters deep, under which every copy passes 260.
  const std::string target = dir_ / FolderChain(dir_.path(), 245, "цель_");
  const std::string chain300 = FolderChain(source, 300, "папка_");
  const std::string chain1000 = FolderChain(source, 1000, "中文目录_a_long_folder_name_");
  const std::vector<std::string> files = {chain300 + "/файл.txt", chain1000 + "/😀.txt",
                                          "short.txt"};
  for (const std::string& file : files)
    test::WriteFile(source + "\\" + Native(file), file, Seconds(10));
  ASSERT_GE(Characters(source + "\\" + Native(files[1])), 1000u);
  ASSERT_GE(Characters(target), 245u);

  const BackupResults job = Run(source, target);
  EXPECT_EQ(3, job.counters.copied) << ::testing::PrintToString(Log());
  EXPECT_EQ(0, job.counters.failed + job.unlistedDirectories);
  for (const std::string& file : files) {
    ExpectLogged("[COPIED] " + Native(file));
    EXPECT_EQ(file, test::ReadFile(target + "\\" + Native(file)));
  }

  // Version folders hold the old copies at more than 1,000 characters too.
  for (const std::string& file : files)
    test::WriteFile(source + "\\" + Native(file), "v2", Seconds(20));
  const BackupResults update = Run(source, target);
  EXPECT_EQ(3, update.counters.updated) << ::testing::PrintToString(Log());
  EXPECT_EQ(3, update.counters.timeVersioned);
  const std::string version = target + "\\backup_20250131_080200\\" + Native(files[1]);
  EXPECT_GE(Characters(version), 1200u);
  EXPECT_EQ(files[1], test::ReadFile(version));
  EXPECT_EQ(Seconds(10), test::RealFs().LastWriteTime(version));
  EXPECT_EQ("v2", test::ReadFile(target + "\\" + Native(files[1])));
}

TEST_F(Win32UnicodeBackupTest, APathBeyondWhatTheSystemHoldsFailsLoudly) {
  // Windows takes 32,767 characters; Wine stops near 4,096 bytes, where its Unix side does.
  // Either way a copy that cannot be made is counted and logged, never left out in silence.
  test::WriteFile(dir_ / "src/f.txt", "x", Seconds(10));
  const std::string target =
      dir_ / FolderChain(dir_.path(), 5000, "a_folder_name_of_some_length_" + std::string(60, 'x'));
  const BackupResults job = Run(dir_ / "src", target);
  EXPECT_EQ(1, job.counters.failed);
  EXPECT_EQ(0, job.counters.copied);
  ExpectLogged("[FAILED] " + dir_ / "src/f.txt");
}

}  // namespace
}  // namespace qs
