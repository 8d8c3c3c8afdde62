// The real quillstone-run on a small tree: its output, exit codes and the settings mode.
#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "tests/support/command_runner.h"
#include "tests/support/file_time_setter.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Seconds;

class RunnerTest : public ::testing::Test {
 protected:
  /// Runs the runner with `args` (already quoted) from `cwd`; output goes to files.
  int Run(const std::string& args, const std::string& cwd = "") {
    const std::string command = "\"" + std::string(QS_RUNNER_PATH) + "\" " + args + " >\"" +
                                dir_ / "out.txt" + "\" 2>\"" + dir_ / "err.txt" + "\"";
    return RunCommandLine(command, cwd);
  }
  /// Read as text: a Windows console program's "\n" is stored as CR LF.
  std::string Out() { return test::ReadTextFile(dir_ / "out.txt"); }
  std::string Err() { return test::ReadFile(dir_ / "err.txt"); }
  std::string Quoted(const std::string& relative) { return "\"" + dir_ / relative + "\""; }

  test::ScopedTempDir dir_;
};

TEST_F(RunnerTest, BacksUpATreeAndPrintsTheLog) {
  test::WriteFile(dir_ / "src/a.txt", "a", Seconds(1000));
  test::WriteFile(dir_ / "src/sub/b.txt", "b", Seconds(1000));
  ASSERT_EQ(0, Run(Quoted("src") + " " + Quoted("dst")));
  const std::string out = Out();
  EXPECT_EQ(std::string::npos, out.find('\r'));  // standard output gets plain LF lines
  for (const std::string& expected : std::vector<std::string>{
           "] Starting backup...\n", "] Source: " + dir_ / "src/" + "\n",
           "] Target: " + dir_ / "dst/" + "\n", "] Found 2 files.\n", "] [COPIED] a.txt\n",
           "] [COPIED] " + test::Native("sub/b.txt") + "\n",
           "] Time-based incremental backup completed: 2 copied, 0 updated, 0 skipped, 0 failed, "
           "0 time-versioned.\n",
           "] Backup operation completed.\n"})
    EXPECT_NE(std::string::npos, out.find(expected)) << expected;
  EXPECT_EQ("b", test::ReadFile(dir_ / "dst/sub/b.txt"));
  EXPECT_EQ(Seconds(1000), test::RealFs().LastWriteTime(dir_ / "dst/sub/b.txt"));

  ASSERT_EQ(0, Run("--time-versioning " + Quoted("src") + " " + Quoted("dst")));
  EXPECT_NE(std::string::npos, Out().find("0 copied, 0 updated, 2 skipped"));
}

TEST_F(RunnerTest, AnyFailedFileGivesExitStatusOne) {
  test::WriteFile(dir_ / "src/a", "new", Seconds(2000));
  test::MakeDirs(dir_ / "dst/a");  // an older directory where the copy belongs
  ASSERT_TRUE(SetLastWriteTime(dir_ / "dst/a", Seconds(1000)));
  test::WriteFile(dir_ / "src/b", "b", Seconds(2000));
  EXPECT_EQ(1, Run(Quoted("src") + " " + Quoted("dst")));
  EXPECT_NE(std::string::npos, Out().find("1 copied, 0 updated, 0 skipped, 1 failed")) << Out();
  EXPECT_EQ("b", test::ReadFile(dir_ / "dst/b"));
}

TEST_F(RunnerTest, UsageErrorsGiveTwoAndAMessage) {
  EXPECT_EQ(2, Run(Quoted("src")));
  EXPECT_NE(std::string::npos, Err().find("expected SOURCE and TARGET"));
  EXPECT_NE(std::string::npos, Err().find("usage: quillstone-run"));
  EXPECT_EQ("", Out());
  EXPECT_EQ(2, Run("--frobnicate a b"));
  EXPECT_EQ(0, Run("--help"));
  EXPECT_NE(std::string::npos, Out().find("usage: quillstone-run"));
}

TEST_F(RunnerTest, WithoutArgumentsTheSettingsFileIsUsedAndNotWritten) {
  test::WriteFile(dir_ / "src/a", "a", Seconds(1000));
  const std::string config = dir_ / "backup_config.dat";
  SaveSettings(AppSettings{dir_ / "src", dir_ / "dst", 5, false, true}, config);
  const std::string before = test::ReadFile(config);
  ASSERT_EQ(0, Run("", dir_.path()));
  EXPECT_NE(std::string::npos, Out().find("Time Versioning: ENABLED"));
  EXPECT_EQ("a", test::ReadFile(dir_ / "dst/a"));
  EXPECT_EQ(before, test::ReadFile(config));
}

TEST_F(RunnerTest, WithoutASettingsFileWithBothFoldersNothingIsBackedUp) {
  // A working folder without the file, with an empty one, with one that names no target, and
  // with a folder of that name: never the default folders.
  test::MakeDirs(dir_ / "none");
  test::WriteFile(dir_ / "empty/backup_config.dat", "");
  test::WriteFile(dir_ / "half/backup_config.dat", dir_ / "src" + "\r\n");
  test::MakeDirs(dir_ / "folder/backup_config.dat");
  for (const char* cwd : {"none", "empty", "half", "folder"}) {
    SCOPED_TRACE(cwd);
    EXPECT_EQ(2, Run("", dir_ / cwd));
    EXPECT_NE(std::string::npos,
              Err().find("quillstone-run: no settings file was found in the working folder"))
        << Err();
    EXPECT_EQ("", Out());
  }
  EXPECT_EQ((std::vector<std::string>{"backup_config.dat"}), test::ListTree(dir_ / "half"));
}

TEST_F(RunnerTest, ASourceThatIsOrLiesInsideTheTargetIsRefused) {
  test::WriteFile(dir_ / "dst/inner/a", "a", Seconds(1000));
  test::WriteFile(dir_ / "src/b", "b", Seconds(1000));
  const auto before = test::ListTree(dir_ / "dst");
  const struct {
    std::string source, target, message;
  } cases[] = {
      {Quoted("dst"), Quoted("dst"), "SOURCE and TARGET are the same folder"},
      // Other spellings of one folder are the same folder.
      {Quoted("dst/inner/.."), Quoted("dst"), "SOURCE and TARGET are the same folder"},
      {Quoted("dst/inner"), Quoted("dst"), "SOURCE lies inside TARGET"},
      {Quoted("dst/inner"), Quoted("src/../dst"), "SOURCE lies inside TARGET"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.source + " " + c.target);
    EXPECT_EQ(2, Run(c.source + " " + c.target));
    EXPECT_NE(std::string::npos, Err().find(c.message)) << Err();
    EXPECT_EQ("", Out());
    EXPECT_EQ(before, test::ListTree(dir_ / "dst"));
  }
  // The target inside the source stays allowed: the scan leaves it out.
  EXPECT_EQ(0, Run(Quoted("src") + " " + Quoted("src/backup"))) << Err();
  EXPECT_EQ("b", test::ReadFile(dir_ / "src/backup/b"));
}

TEST_F(RunnerTest, AnExcludeFromThatNamesNoReadableFileIsRefused) {
  test::WriteFile(dir_ / "src/b", "b", Seconds(1000));
  test::MakeDirs(dir_ / "patterns");
  const struct {
    std::string file, message;
  } cases[] = {
      {Quoted("patterns"), "--exclude-from names a folder, not a file: "},
      {Quoted("nowhere.txt"), "--exclude-from names no file: "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(2, Run("--exclude-from " + c.file + " " + Quoted("src") + " " + Quoted("dst")));
    EXPECT_NE(std::string::npos, Err().find(c.message)) << Err();
    EXPECT_EQ("", Out());
    EXPECT_FALSE(test::Exists(dir_ / "dst"));
  }
}

TEST_F(RunnerTest, ASourceThatCannotBeListedIsAFailureNotAnEmptyBackup) {
  // A drive that is not mounted, a mistyped path: a script calling the runner must not take
  // the empty run for a backup.
  test::WriteFile(dir_ / "not-a-folder", "x");
  for (const std::string& source : {dir_ / "missing", dir_ / "not-a-folder"}) {
    EXPECT_EQ(1, Run("\"" + source + "\" " + Quoted("dst"))) << source;
    EXPECT_NE(std::string::npos, Out().find("] Found 0 files.\n")) << source;
    EXPECT_NE(std::string::npos, Out().find("] Cannot list directory: " + source)) << Out();
  }
  test::MakeDirs(dir_ / "empty");
  EXPECT_EQ(0, Run(Quoted("empty") + " " + Quoted("dst")));
  EXPECT_EQ("", Err());
}

TEST_F(RunnerTest, AScheduleIsOnlyInstalledForSettingsThatCanBeRead) {
  test::MakeDirs(dir_ / "run");
  EXPECT_EQ(2, Run("--schedule install", dir_ / "run"));
  EXPECT_NE(std::string::npos, Err().find("no settings file with a source and a target was found"))
      << Err();
  EXPECT_EQ("", Out());
  EXPECT_FALSE(test::Exists(dir_ / "run/backup_preferences.txt"));
}

}  // namespace
}  // namespace qs
