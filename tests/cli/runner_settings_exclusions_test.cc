// quillstone-run without arguments leaves out the patterns of backup_excludes.txt beside
// backup_config.dat, and refuses to run when that file cannot be used; a run with SOURCE and
// TARGET never reads it.
#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "tests/support/command_runner.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

class RunnerSettingsExclusionsTest : public ::testing::Test {
 protected:
  RunnerSettingsExclusionsTest() {
    test::WriteFile(dir_ / "src/a.txt", "a");
    test::WriteFile(dir_ / "src/cache/big.bin", "cached");
    test::WriteFile(dir_ / "src/sub/cache/kept.txt", "kept");
    SaveSettings(AppSettings{dir_ / "src", dir_ / "dst", 5, false, false},
                 dir_ / "backup_config.dat");
  }
  int Run(const std::string& args) {
    const std::string command = "\"" + std::string(QS_RUNNER_PATH) + "\" " + args + " >\"" +
                                dir_ / "out.txt" + "\" 2>\"" + dir_ / "err.txt" + "\"";
    return RunCommandLine(command, dir_.path());
  }
  std::string Err() { return test::ReadFile(dir_ / "err.txt"); }

  test::ScopedTempDir dir_;
};

TEST_F(RunnerSettingsExclusionsTest, TheFilesPatternsAreLeftOut) {
  test::WriteFile(dir_ / "backup_excludes.txt", "# caches\n/cache/\n");
  ASSERT_EQ(0, Run("")) << Err();
  EXPECT_EQ((std::vector<std::string>{"a.txt", "sub/cache/kept.txt"}),
            test::ListTree(dir_ / "dst"));
  // With SOURCE and TARGET given, only the command line's patterns count.
  ASSERT_EQ(0, Run("--exclude big.bin \"" + dir_ / "src" + "\" \"" + dir_ / "other" + "\""))
      << Err();
  EXPECT_EQ((std::vector<std::string>{"a.txt", "sub/cache/kept.txt"}),
            test::ListTree(dir_ / "other"));
}

TEST_F(RunnerSettingsExclusionsTest, AFileThatCannotBeUsedStopsTheRunAsABadSettingsFileDoes) {
  test::WriteFile(dir_ / "backup_excludes.txt", "/cache/\n\n!\n");
  EXPECT_EQ(2, Run(""));
  EXPECT_EQ(0u, Err().rfind("quillstone-run: The exclusions file backup_excludes.txt is refused "
                            "at line 3: bad pattern \"!\": ",
                            0))
      << Err();
  EXPECT_NE(std::string::npos, Err().find("usage: quillstone-run")) << Err();
  EXPECT_EQ("", test::ReadFile(dir_ / "out.txt"));
  EXPECT_FALSE(test::Exists(dir_ / "dst"));
}

}  // namespace
}  // namespace qs
