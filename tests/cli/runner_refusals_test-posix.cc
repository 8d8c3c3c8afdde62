// Refusals of the real runner that need what POSIX gives every user: a symbolic link that
// makes another name of a folder, a file its owner cannot read, and the time zone of one
// process (TZ).
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "tests/cli/runner_fixture.h"

namespace qs {
namespace {

using test::Seconds;

class RunnerRefusalsPosixTest : public test::RunnerFixture {};

TEST_F(RunnerRefusalsPosixTest, ASourceReachedThroughALinkIntoTheTargetIsRefused) {
  test::WriteFile(dir_ / "dst/inner/a", "a", Seconds(1000));
  std::filesystem::create_directory_symlink(dir_ / "dst/inner", dir_ / "alias");
  EXPECT_EQ(2, Run(Quoted("alias") + " " + Quoted("dst")));
  EXPECT_NE(std::string::npos, Err().find("SOURCE lies inside TARGET")) << Err();
  EXPECT_EQ("", Out());
  EXPECT_EQ(std::vector<std::string>{"inner/a"}, test::ListTree(dir_ / "dst"));
}

TEST_F(RunnerRefusalsPosixTest, AnExcludeFromFileThatCannotBeReadIsRefused) {
  test::WriteFile(dir_ / "src/b", "b", Seconds(1000));
  test::WriteFile(dir_ / "patterns.txt", "*.tmp\n");
  std::filesystem::permissions(dir_ / "patterns.txt", std::filesystem::perms::none);
  // Root reads whatever it likes; run as nobody then, where the system allows it.
  const std::string as =
      getuid() == 0 ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "";
  std::filesystem::permissions(dir_.path(), std::filesystem::perms::all);
  EXPECT_EQ(2, RunCommandLine(as + "\"" + std::string(QS_RUNNER_PATH) + "\" --exclude-from " +
                              Quoted("patterns.txt") + " " + Quoted("src") + " " + Quoted("dst") +
                              " >\"" + dir_ / "out.txt" + "\" 2>\"" + dir_ / "err.txt" + "\""));
  EXPECT_NE(std::string::npos, Err().find("--exclude-from cannot read " + dir_ / "patterns.txt"))
      << Err();
  EXPECT_FALSE(test::Exists(dir_ / "dst"));
}

TEST_F(RunnerRefusalsPosixTest, AnAsOfTimeTheClocksSkippedIsRefused) {
  test::WriteFile(dir_ / "tgt/backup_20260301_120000/README.txt", "Time Version Backup\n");
  test::WriteFile(dir_ / "tgt/a.txt", "a", Seconds(1000));
  const std::string runner = "TZ=Europe/Berlin \"" + std::string(QS_RUNNER_PATH) + "\" ";
  const auto restore = [&](const std::string& moment, const std::string& dest) {
    return RunCommandLine(runner + "--restore --as-of \"" + moment + "\" " + Quoted("tgt") + " " +
                          Quoted(dest) + " >\"" + dir_ / "out.txt" + "\" 2>\"" + dir_ / "err.txt" +
                          "\"");
  };
  // In Berlin the clocks went from 02:00 to 03:00 on 2026-03-29.
  EXPECT_EQ(2, restore("2026-03-29 02:30:00", "gap"));
  EXPECT_NE(std::string::npos, Err().find("does not exist in local time")) << Err();
  EXPECT_EQ("", Out());
  EXPECT_FALSE(test::Exists(dir_ / "gap"));
  EXPECT_EQ(0, restore("2026-03-29 03:30:00", "after")) << Err();
  // An hour the clocks went through twice exists: it is taken.
  EXPECT_EQ(0, restore("2026-10-25 02:30:00", "twice")) << Err();
}

}  // namespace
}  // namespace qs
