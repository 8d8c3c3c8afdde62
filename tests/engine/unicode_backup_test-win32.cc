// Whole backups through the real Win32 layer of everything the ANSI calls lost in silence:
// folders and files named in Cyrillic, CJK and emoji, combining marks, "ā" beside "a", a
// fullwidth "．．＼" that a best-fit mapping turns into "..\", folder chains and files beyond 260
// characters, and a target root 245 characters deep. Each is copied, named right in the log,
// updated with its old version kept, and nothing is read or written outside the two trees.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/backup_job.h"
#include "platform/win32_text.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;
using test::Seconds;

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
  BackupJob& Run(const std::string& source, const std::string& target) {
    clock_.Advance(60 * test::kSecondNanos);
    pane_.SetText("");
    job_ = std::make_unique<BackupJob>(source, target, &pane_, nullptr, true,
                                       test::TestServices(&test::RealFs(), &clock_, &console_));
    job_->RunBackup();
    return *job_;
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
  std::unique_ptr<BackupJob> job_;
};

TEST_F(Win32UnicodeBackupTest, EveryNameIsBackedUpAsItselfAndNamedRightInTheLog) {
  for (const std::string& file : kFiles)
    test::WriteFile(dir_ / ("in/src/" + file), file, Seconds(1000));
  test::WriteFile(dir_ / "in/outside.txt", "beside the source");
  BackupJob& job = Run(dir_ / "in/src", dir_ / "out/dst");
  EXPECT_EQ(static_cast<int>(kFiles.size()), job.results.counters.copied);
  EXPECT_EQ(0, job.results.counters.failed + job.results.unlistedDirectories +
                   job.results.timeVersionFailures);
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
  BackupJob& update = Run(dir_ / "in/src", dir_ / "out/dst");
  EXPECT_EQ(2, update.results.counters.updated);
  EXPECT_EQ(static_cast<int>(kFiles.size()) - 2, update.results.counters.skipped);
  EXPECT_EQ(2, update.results.counters.timeVersioned);
  EXPECT_EQ("newer ā", test::ReadFile(dir_ / "out/dst/ā.txt"));
  EXPECT_EQ("a.txt", test::ReadFile(dir_ / "out/dst/a.txt"));  // "ā" never became "a"
  EXPECT_EQ("Привет.txt", test::ReadFile(dir_ / "out/dst/backup_20250131_080200/Привет.txt"));
  ExpectLogged("Time version created: Привет.txt");
  ExpectLogged("[UPDATED] ā.txt");
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

  BackupJob& job = Run(source, target);
  EXPECT_EQ(3, job.results.counters.copied) << ::testing::PrintToString(Log());
  EXPECT_EQ(0, job.results.counters.failed + job.results.unlistedDirectories);
  for (const std::string& file : files) {
    ExpectLogged("[COPIED] " + Native(file));
    EXPECT_EQ(file, test::ReadFile(target + "\\" + Native(file)));
  }

  // Version folders hold the old copies at more than 1,000 characters too.
  for (const std::string& file : files)
    test::WriteFile(source + "\\" + Native(file), "v2", Seconds(20));
  BackupJob& update = Run(source, target);
  EXPECT_EQ(3, update.results.counters.updated) << ::testing::PrintToString(Log());
  EXPECT_EQ(3, update.results.counters.timeVersioned);
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
  BackupJob& job = Run(dir_ / "src", target);
  EXPECT_EQ(1, job.results.counters.failed);
  EXPECT_EQ(0, job.results.counters.copied);
  ExpectLogged("[FAILED] " + dir_ / "src/f.txt");
}

}  // namespace
}  // namespace qs
