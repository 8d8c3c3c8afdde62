// --prune-versions when a folder cannot be removed completely: an immutable file (chattr +i)
// holds out even against root, which the tests run as.
#include "tests/cli/runner_fixture.h"
#include "tests/support/command_runner.h"

namespace qs {
namespace {

using test::Seconds;

class RunnerPrunePosixTest : public test::RunnerFixture {
 protected:
  /// The flag off again wherever the file is now, so that the folder can be cleaned up.
  int Release() {
    immutable_ = false;
    return RunCommandLine("chattr -i \"" + dir_ / "tgt" + "\"/.qs-removing-*/notes/held.txt \"" +
                          dir_ / "tgt" + "\"/backup_*/notes/held.txt 2>/dev/null");
  }
  void TearDown() override {
    if (immutable_) Release();
  }
  bool immutable_ = false;
};

TEST_F(RunnerPrunePosixTest, AFolderThatCannotBeRemovedGivesOneAndIsFinishedLaterAsRoot) {
  for (const char* stamp : {"20261201_120000", "20261202_120000", "20261203_120000"}) {
    const std::string folder = "tgt/backup_" + std::string(stamp);
    test::WriteFile(dir_ / (folder + "/README.txt"), "Time Version Backup\n", Seconds(1000));
    test::WriteFile(dir_ / (folder + "/notes/held.txt"), "held", Seconds(1000));
  }
  const std::string held = dir_ / "tgt/backup_20261201_120000/notes/held.txt";
  if (RunCommandLine("chattr +i \"" + held + "\" 2>/dev/null") != 0)
    GTEST_SKIP() << "chattr +i does not work here (not root, or the file system has no flag)";
  immutable_ = true;
  EXPECT_EQ(1, Run("--prune-versions --keep-last 1 " + Quoted("tgt"))) << Out();
  EXPECT_EQ(
      std::vector<std::string>{"Version folder removed: " + dir_ / "tgt/backup_20261202_120000"},
      OutLinesStarting("Version folder removed: "))
      << Out();
  EXPECT_TRUE(OutHas("] Could not remove completely: " + dir_ / "tgt/backup_20261201_120000 (" +
                     dir_ / "tgt/.qs-removing-backup_20261201_120000/notes/held.txt" +
                     ") Error: 1 (Operation not permitted)\n"))
      << Out();
  EXPECT_TRUE(OutHas("] Pruning completed: 1 removed, 1 failed.\n")) << Out();
  EXPECT_TRUE(test::Exists(dir_ / "tgt/backup_20261203_120000/notes/held.txt"));
  // What is left of the folder is no version folder any more: it is never restored nor
  // listed, and the next prune tries again.
  EXPECT_FALSE(test::Exists(dir_ / "tgt/backup_20261201_120000"));
  ASSERT_EQ(0, Run("--versions " + Quoted("tgt") + " notes/held.txt"));
  EXPECT_EQ(std::vector<std::string>{"1970-01-01 00:16:40.000  4 bytes  backup_20261203_120000, "
                                     "replaced 2026-12-03 12:00:00"},
            Lines(Out()));
  EXPECT_EQ(1, Run("--prune-versions --keep-last 1 " + Quoted("tgt"))) << Out();

  ASSERT_EQ(0, Release());
  ASSERT_EQ(0, Run("--prune-versions --keep-last 1 " + Quoted("tgt"))) << Out();
  EXPECT_TRUE(OutHas("] Leftover of an interrupted removal removed: " +
                     dir_ / "tgt/.qs-removing-backup_20261201_120000\n"))
      << Out();
  EXPECT_EQ((std::vector<std::string>{"backup_20261203_120000/README.txt",
                                      "backup_20261203_120000/notes/held.txt"}),
            test::ListTree(dir_ / "tgt"));
}

}  // namespace
}  // namespace qs
