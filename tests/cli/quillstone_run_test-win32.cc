// The real quillstone-run.exe under Wine with names the ANSI calls lost: its arguments come
// from the wide command line, its output is UTF-8 into a file and characters on a console,
// and a settings file of any age is read right.
#include <gtest/gtest.h>

#include "os/error_text.h"
#include "os/win32/win32_text.h"
#include "tests/support/command_runner.h"
#include "tests/support/console_capture.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;
using test::Seconds;

const std::vector<std::string> kFiles = {"Документы/отчёт.txt",
                                         "中文目录/文件.txt",
                                         "Привет.txt",
                                         "😀.txt",
                                         "e\u0301.txt",
                                         "ā.txt",
                                         "a.txt",
                                         "．．＼outside.txt"};

size_t Characters(const std::string& path) {
  std::wstring wide;
  EXPECT_TRUE(win32::Utf8ToWide(path, &wide));
  return wide.size();
}

/// Folders below `base`, '/'-separated, until the whole path is `characters` long.
std::string FolderChain(const std::string& base, size_t characters, const std::string& stem) {
  std::string chain;
  for (int level = 0; Characters(base + "/" + chain) < characters; ++level)
    chain += (chain.empty() ? "" : "/") + stem + std::to_string(level);
  return chain;
}

class Win32RunnerTest : public ::testing::Test {
 protected:
  Win32RunnerTest() {
    for (const std::string& file : kFiles)
      test::WriteFile(dir_ / ("in/src/" + file), file, Seconds(1000));
    test::WriteFile(dir_ / "in/outside.txt", "beside the source");
  }
  /// The runner with `args` (already quoted) from `cwd`; output goes to files.
  int Run(const std::string& args, const std::string& cwd = "") {
    return RunCommandLine("\"" + std::string(QS_RUNNER_PATH) + "\" " + args + " >\"" +
                              dir_ / "out.txt" + "\" 2>\"" + dir_ / "err.txt" + "\"",
                          cwd);
  }
  /// The bytes of standard output, UTF-8 with the C runtime's CR LF line ends.
  std::string Out() { return test::ReadFile(dir_ / "out.txt"); }
  bool OutHas(const std::string& line) {
    return Out().find("] " + line + "\r\n") != std::string::npos;
  }
  std::string Quoted(const std::string& relative) { return "\"" + dir_ / relative + "\""; }
  void ExpectEveryFileCopiedTo(const std::string& target) {
    for (const std::string& file : kFiles) {
      EXPECT_TRUE(OutHas("[COPIED] " + Native(file))) << file << "\n" << Out();
      EXPECT_EQ(file, test::ReadFile(target + "\\" + Native(file))) << file;
    }
  }

  test::ScopedTempDir dir_;
};

TEST_F(Win32RunnerTest, UnicodeArgumentsAreTakenAndEveryNameIsLoggedInUtf8) {
  ASSERT_EQ(0, Run(Quoted("in/src") + " " + Quoted("out/Копия 中文")));
  EXPECT_TRUE(OutHas("Source: " + dir_ / "in/src/"));
  EXPECT_TRUE(OutHas("Target: " + dir_ / "out/Копия 中文/"));
  EXPECT_TRUE(OutHas("Found " + std::to_string(kFiles.size()) + " files."));
  EXPECT_TRUE(OutHas("Time-based incremental backup completed: " + std::to_string(kFiles.size()) +
                     " copied, 0 updated, 0 skipped, 0 failed, 0 time-versioned."));
  ExpectEveryFileCopiedTo(dir_ / "out/Копия 中文");
  EXPECT_FALSE(test::Exists(dir_ / "out/outside.txt"));
  EXPECT_EQ("", test::ReadFile(dir_ / "err.txt"));

  ASSERT_EQ(0, Run(Quoted("in/src") + " " + Quoted("out/Копия 中文")));
  EXPECT_TRUE(OutHas("Time-based incremental backup completed: 0 copied, 0 updated, " +
                     std::to_string(kFiles.size()) + " skipped, 0 failed, 0 time-versioned."));
}

TEST_F(Win32RunnerTest, LongFolderChainsLongFilesAndADeepTargetRootAreBackedUp) {
  const std::string source = dir_ / "in/src";
  const std::vector<std::string> deep = {
      FolderChain(source, 280, "папка_") + "/файл.txt",
      FolderChain(source, 1000, "a_folder_named_in_中文_") + "/😀.txt"};
  for (const std::string& file : deep)
    test::WriteFile(source + "\\" + Native(file), file, Seconds(1000));
  const std::string target = dir_ / FolderChain(dir_.path(), 245, "цель_");
  ASSERT_EQ(0, Run(Quoted("in/src") + " \"" + target + "\"")) << Out();
  for (const std::string& file : deep) {
    EXPECT_TRUE(OutHas("[COPIED] " + Native(file))) << Out();
    EXPECT_EQ(file, test::ReadFile(target + "\\" + Native(file)));
    EXPECT_GT(Characters(target + "\\" + Native(file)), 260u);  // beyond MAX_PATH
  }
  EXPECT_TRUE(OutHas(
      "Time-based incremental backup completed: " + std::to_string(kFiles.size() + deep.size()) +
      " copied, 0 updated, 0 skipped, 0 failed, 0 time-versioned."));
}

TEST_F(Win32RunnerTest, ASourceTypedAsARelativeUnicodeNameIsFound) {
  test::WriteFile(dir_ / "Документы/письмо.txt", "letter", Seconds(1000));
  ASSERT_EQ(0, Run("Документы Копия", dir_.path())) << Out();
  EXPECT_TRUE(OutHas("Source: Документы\\"));
  EXPECT_TRUE(OutHas("[COPIED] письмо.txt"));
  EXPECT_EQ("letter", test::ReadFile(dir_ / "Копия/письмо.txt"));
}

TEST_F(Win32RunnerTest, ASettingsFileWithUnicodePathsDrivesTheRun) {
  test::WriteFile(dir_ / "backup_config.dat",
                  dir_ / "in/src" + "\r\n" + dir_ / "out/备份" + "\r\n60\r\n0\r\n1\r\n");
  ASSERT_EQ(0, Run("", dir_.path())) << Out();
  EXPECT_TRUE(OutHas("Time Versioning: ENABLED"));
  ExpectEveryFileCopiedTo(dir_ / "out/备份");
}

TEST_F(Win32RunnerTest, ASettingsFileOfAnOlderBuildInTheAnsiCodePageStillWorks) {
  test::WriteFile(dir_ / "Dökumente/brief.txt", "letter", Seconds(1000));
  // "Dökumente" as an older build wrote it: Windows-1252.
  test::WriteFile(dir_ / "backup_config.dat",
                  dir_ / "D\xF6kumente" + "\r\n" + dir_ / "Sicherung" + "\r\n60\r\n0\r\n0\r\n");
  ASSERT_EQ(0, Run("", dir_.path())) << Out();
  EXPECT_TRUE(OutHas("Source: " + dir_ / "Dökumente/"));
  EXPECT_EQ("letter", test::ReadFile(dir_ / "Sicherung/brief.txt"));
}

TEST_F(Win32RunnerTest, AUsageErrorNamesTheArgumentAsTyped) {
  EXPECT_EQ(2, Run("--версия a b"));
  EXPECT_NE(std::string::npos, test::ReadFile(dir_ / "err.txt").find("unknown option: --версия"));
  EXPECT_EQ("", Out());
}

TEST_F(Win32RunnerTest, AnArgumentNoTextCanHoldNamesNoOtherFolder) {
  // Windows passes a lone surrogate in a command line; read through a code page it becomes
  // U+FFFD, which may name another folder. Here it names nothing at all.
  test::WriteFile(dir_ / "x\uFFFD/other.txt", "someone else's", Seconds(1000));
  EXPECT_EQ(1, Run(Quoted("x\xED\xA0\x80") + " " + Quoted("copy")));
  EXPECT_TRUE(OutHas("Found 0 files.")) << Out();
  EXPECT_TRUE(OutHas("Cannot list directory: " + dir_ / "x\xED\xA0\x80/ " + ErrorCodeText(1113)))
      << Out();
  EXPECT_TRUE(test::ListTree(dir_ / "copy").empty());
}

TEST_F(Win32RunnerTest, OnAConsoleEveryNameReadsRight) {
  std::vector<std::string> screen;
  ASSERT_EQ(0, RunOnConsole("\"" + std::string(QS_RUNNER_PATH) + "\" " + Quoted("in/src") + " " +
                                Quoted("out/Консоль"),
                            dir_.path(), &screen));
  for (const std::string& file : kFiles) {
    const std::string line = "] [COPIED] " + Native(file);
    EXPECT_TRUE(std::any_of(screen.begin(), screen.end(),
                            [&](const std::string& shown) {
                              return shown.size() >= line.size() &&
                                     shown.compare(shown.size() - line.size(), line.size(), line) ==
                                         0;
                            }))
        << file << " not shown on\n"
        << ::testing::PrintToString(screen);
  }
  EXPECT_EQ("ā.txt", test::ReadFile(dir_ / "out/Консоль/ā.txt"));
}

TEST_F(Win32RunnerTest, OnANarrowConsoleTheProgressLineFitsAndLeavesNoPieceBehind) {
  std::vector<std::string> screen;
  ASSERT_EQ(0, RunOnConsole("\"" + std::string(QS_RUNNER_PATH) + "\" " + Quoted("in/src") + " " +
                                Quoted("out/narrow"),
                            dir_.path(), &screen, 40));
  std::vector<std::string> lines;
  for (const std::string& row : screen)
    if (row.find("MiB") != std::string::npos || row.find("time left") != std::string::npos ||
        row.find(" files  ") != std::string::npos)
      lines.push_back(row);
  // Its last state alone, one column short of the width: no drawing wrapped or stayed behind.
  ASSERT_EQ(1u, lines.size()) << ::testing::PrintToString(screen);
  EXPECT_LE(lines[0].size(), 39u) << lines[0];
  EXPECT_EQ("time left: 0:00", lines[0].substr(lines[0].size() - 15)) << lines[0];
  // The log goes on below it, wrapped at the width as a console wraps every long line.
  std::string shown;
  for (const std::string& row : screen) shown += row;
  EXPECT_NE(std::string::npos, shown.find("] Backup operation completed.")) << shown;
}

}  // namespace
}  // namespace qs
