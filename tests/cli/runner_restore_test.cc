// --versions and --restore on the real runner, over a target made by real versioned runs
// (plus one version folder made by hand): which copy each moment takes, what is left out, and
// that the target is only read.
#include <chrono>
#include <thread>

#include "tests/cli/runner_fixture.h"

namespace qs {
namespace {

using test::Seconds;

class RunnerRestoreTest : public test::RunnerFixture {
 protected:
  void SetUp() override {
    test::WriteFile(dir_ / "src/a.txt", "a1", Seconds(1000));
    test::WriteFile(dir_ / "src/sub/b.txt", "b1", Seconds(1000));
    test::WriteFile(dir_ / "src/gone.txt", "g", Seconds(1000));
    ASSERT_EQ(0, Run("--time-versioning " + Quoted("src") + " " + Quoted("tgt"))) << Out();
    test::WriteFile(dir_ / "src/a.txt", "a2", Seconds(2000));
    NextSecond();  // each run's version folder is named after its second
    ASSERT_EQ(0, Run("--time-versioning " + Quoted("src") + " " + Quoted("tgt"))) << Out();
    test::WriteFile(dir_ / "src/a.txt", "a3", Seconds(3000));
    test::WriteFile(dir_ / "src/sub/b.txt", "b2", Seconds(3000));
    test::WriteFile(dir_ / "src/c.txt", "c", Seconds(2500));
    NextSecond();
    ASSERT_EQ(0, Run("--time-versioning " + Quoted("src") + " " + Quoted("tgt"))) << Out();
    for (const std::string& name : test::ListTree(dir_ / "tgt"))
      if (name.rfind("backup_", 0) == 0 && name.find("/README.txt") != std::string::npos)
        versions_.push_back(name.substr(0, name.find('/')));
    // Sorted, the older first; every versioned run makes one, the first an empty one.
    ASSERT_EQ(3u, versions_.size());
    versions_.erase(versions_.begin());
    // One made by hand, older than the others: a.txt as it stood at 00:05.
    test::WriteFile(dir_ / "tgt/backup_19700101_000500/README.txt", "Time Version Backup\n");
    test::WriteFile(dir_ / "tgt/backup_19700101_000500/a.txt", "a0", Seconds(300));
  }
  static void NextSecond() { std::this_thread::sleep_for(std::chrono::milliseconds(1100)); }

  /// The files of DEST with their content and last-write time.
  std::map<std::string, std::string> Restored(const std::string& dest) {
    std::map<std::string, std::string> files;
    for (const std::string& name : test::ListTree(dir_ / dest))
      files[name] =
          test::ReadFile(dir_ / (dest + "/" + name)) + "@" +
          std::to_string(test::RealFs().LastWriteTime(dir_ / (dest + "/" + name)).seconds);
    return files;
  }

  std::vector<std::string> versions_;  ///< of the real runs, older first
};

TEST_F(RunnerRestoreTest, VersionsListsEveryKeptCopyNewestFirst) {
  ASSERT_EQ(0, Run("--versions " + Quoted("tgt") + " a.txt")) << Err();
  EXPECT_EQ((std::vector<std::string>{
                "1970-01-01 00:50:00.000  2 bytes  current",
                "1970-01-01 00:33:20.000  2 bytes  " + versions_[1],
                "1970-01-01 00:16:40.000  2 bytes  " + versions_[0],
                "1970-01-01 00:05:00.000  2 bytes  backup_19700101_000500",
            }),
            Lines(Out()));
  ASSERT_EQ(0, Run("--versions " + Quoted("tgt") + " sub/b.txt")) << Err();
  EXPECT_EQ((std::vector<std::string>{"1970-01-01 00:50:00.000  2 bytes  current",
                                      "1970-01-01 00:16:40.000  2 bytes  " + versions_[1]}),
            Lines(Out()));
  // The version folders' own README.txt is no kept copy of a file.
  EXPECT_EQ(1, Run("--versions " + Quoted("tgt") + " README.txt"));
  EXPECT_TRUE(OutHas("No copy of README.txt is kept in")) << Out();
  EXPECT_EQ(1, Run("--versions " + Quoted("tgt") + " nothing.txt"));
  EXPECT_TRUE(OutHas("No copy of nothing.txt is kept in")) << Out();
  EXPECT_EQ(2, Run("--versions " + Quoted("src") + " a.txt"));
  EXPECT_NE(std::string::npos, Err().find("holds no version folders")) << Err();
}

TEST_F(RunnerRestoreTest, EachMomentTakesTheNewestCopyWrittenByThen) {
  const auto target = Snapshot(dir_ / "tgt");
  ASSERT_EQ(0, Run("--restore " + Quoted("tgt") + " " + Quoted("now"))) << Out() << Err();
  EXPECT_EQ((std::map<std::string, std::string>{{"a.txt", "a3@3000"},
                                                {"c.txt", "c@2500"},
                                                {"gone.txt", "g@1000"},
                                                {"sub/b.txt", "b2@3000"}}),
            Restored("now"));
  EXPECT_TRUE(OutHas("] Restored: a.txt (from the current copy)\n")) << Out();
  EXPECT_TRUE(OutHas("] Restore completed: 4 restored, 0 left out, 0 failed.\n")) << Out();

  ASSERT_EQ(
      0, Run("--restore --as-of \"1970-01-01 00:40:00\" " + Quoted("tgt") + " " + Quoted("at40")))
      << Out() << Err();
  EXPECT_EQ((std::map<std::string, std::string>{
                {"a.txt", "a2@2000"}, {"gone.txt", "g@1000"}, {"sub/b.txt", "b1@1000"}}),
            Restored("at40"));
  EXPECT_TRUE(OutHas("] Restored: a.txt (from " + versions_[1] + ")\n")) << Out();
  EXPECT_TRUE(OutHas("] Restored: " + test::Native("sub/b.txt") + " (from " + versions_[1] + ")\n"))
      << Out();
  EXPECT_TRUE(OutHas("] Restored: gone.txt (from the current copy)\n")) << Out();
  EXPECT_TRUE(OutHas("] Restore completed: 3 restored, 1 left out, 0 failed.\n")) << Out();

  ASSERT_EQ(
      0, Run("--restore --as-of \"1970-01-01 00:25:00\" " + Quoted("tgt") + " " + Quoted("at25")));
  EXPECT_EQ((std::map<std::string, std::string>{
                {"a.txt", "a1@1000"}, {"gone.txt", "g@1000"}, {"sub/b.txt", "b1@1000"}}),
            Restored("at25"));

  ASSERT_EQ(
      0, Run("--restore --as-of \"1970-01-01 00:10:00\" " + Quoted("tgt") + " " + Quoted("at10")));
  EXPECT_EQ((std::map<std::string, std::string>{{"a.txt", "a0@300"}}), Restored("at10"));
  EXPECT_TRUE(OutHas("] Restored: a.txt (from backup_19700101_000500)\n")) << Out();
  EXPECT_TRUE(OutHas("] Restore completed: 1 restored, 3 left out, 0 failed.\n")) << Out();

  ASSERT_EQ(
      0, Run("--restore --as-of \"1970-01-01 00:01:00\" " + Quoted("tgt") + " " + Quoted("at01")));
  EXPECT_TRUE(Restored("at01").empty());
  EXPECT_TRUE(OutHas("] Restore completed: 0 restored, 4 left out, 0 failed.\n")) << Out();

  EXPECT_EQ(target, Snapshot(dir_ / "tgt"));
}

TEST_F(RunnerRestoreTest, OnlyThePathsAsked) {
  ASSERT_EQ(0, Run("--restore --as-of \"1970-01-01 00:40:00\" " + Quoted("tgt") + " " +
                   Quoted("part") + " sub/ c.txt gone.txt"))
      << Out();
  // c.txt was not written yet at that moment: left out, not failed.
  EXPECT_EQ((std::map<std::string, std::string>{{"gone.txt", "g@1000"}, {"sub/b.txt", "b1@1000"}}),
            Restored("part"));
  EXPECT_TRUE(OutHas("] Restore completed: 2 restored, 1 left out, 0 failed.\n")) << Out();

  EXPECT_EQ(1, Run("--restore " + Quoted("tgt") + " " + Quoted("part2") + " a.txt nowhere"));
  EXPECT_EQ((std::map<std::string, std::string>{{"a.txt", "a3@3000"}}), Restored("part2"));
  EXPECT_TRUE(OutHas("] Nothing is kept under: nowhere\n")) << Out();
  EXPECT_TRUE(OutHas("] Restore completed: 1 restored, 0 left out, 1 failed.\n")) << Out();
}

TEST_F(RunnerRestoreTest, WhatTheProgramKeepsForItselfIsNeverRestoredAsData) {
  // A removal cut short, and a folder that only looks like a version folder (the user's).
  test::WriteFile(dir_ / "tgt/.qs-removing-backup_19700101_000100/a.txt", "half", Seconds(60));
  test::WriteFile(dir_ / "tgt/backup_20200101_000000/data.txt", "mine", Seconds(1000));
  ASSERT_EQ(0, Run("--restore " + Quoted("tgt") + " " + Quoted("now"))) << Out();
  const auto restored = Restored("now");
  EXPECT_EQ((std::map<std::string, std::string>{{"a.txt", "a3@3000"},
                                                {"backup_20200101_000000/data.txt", "mine@1000"},
                                                {"c.txt", "c@2500"},
                                                {"gone.txt", "g@1000"},
                                                {"sub/b.txt", "b2@3000"}}),
            restored);
  ASSERT_EQ(0, Run("--versions " + Quoted("tgt") + " a.txt"));
  EXPECT_FALSE(OutHas("qs-removing")) << Out();
}

TEST_F(RunnerRestoreTest, BadInputGivesTwoAndWritesNothing) {
  test::WriteFile(dir_ / "full/x", "x");
  test::MakeDirs(dir_ / "plain");
  test::WriteFile(dir_ / "plain/a.txt", "a");
  const struct {
    std::string args, message;
  } cases[] = {
      {Quoted("tgt") + " " + Quoted("full"), "DEST is not empty"},
      {Quoted("tgt") + " " + Quoted("full/x"), "DEST is not a folder"},
      {Quoted("tgt") + " " + Quoted("tgt/restored"), "DEST lies inside TARGET"},
      {"--as-of \"2026-02-30 10:00:00\" " + Quoted("tgt") + " " + Quoted("d"),
       "bad value for --as-of"},
      {"--as-of yesterday " + Quoted("tgt") + " " + Quoted("d"), "bad value for --as-of"},
      {"--as-of \"2026-12-01 25:00:00\" " + Quoted("tgt") + " " + Quoted("d"), "bad value"},
      {"--as-of \"2026-12-01 10:00:00\" " + Quoted("plain") + " " + Quoted("d"),
       "holds no version folders"},
      {Quoted("missing") + " " + Quoted("d"), "TARGET is not a folder"},
      {Quoted("tgt"), "--restore takes TARGET, DEST and PATHs"},
      {"--dry-run " + Quoted("tgt") + " " + Quoted("d"), "--restore takes"},
  };
  const auto strip = [](std::map<std::string, std::string> tree) {
    tree.erase("out.txt");
    tree.erase("err.txt");
    return tree;
  };
  const auto before = strip(Snapshot(dir_.path()));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    EXPECT_EQ(2, Run("--restore " + c.args));
    EXPECT_NE(std::string::npos, Err().find(c.message)) << Err();
    EXPECT_EQ("", Out());
    EXPECT_EQ(before, strip(Snapshot(dir_.path())));
  }
}

}  // namespace
}  // namespace qs
