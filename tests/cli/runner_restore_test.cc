// --versions and --restore on the real runner, over a target made by three real versioned
// runs a second apart (plus one version folder made by hand) without a record of the runs:
// which copy each moment takes by the dates of the version folders, what is left out and why,
// and that the target is only read.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "log/log_time.h"
#include "tests/cli/runner_fixture.h"

namespace qs {
namespace {

using test::Seconds;

/// A moment as --as-of takes it: local time, whole seconds.
std::string AsOf(int64_t seconds) {
  const LocalTime t = ToLocalTime(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "\"%04d-%02d-%02d %02d:%02d:%02d\"", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  return text;
}

int64_t NowSeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

class RunnerRestoreTest : public test::RunnerFixture {
 protected:
  void SetUp() override {
    const FileTime before = Seconds(NowSeconds() - 60);
    test::WriteFile(dir_ / "src/a.txt", "a1", before);
    test::WriteFile(dir_ / "src/sub/b.txt", "b1", before);
    test::WriteFile(dir_ / "src/gone.txt", "g", before);
    Backup();
    Write(dir_ / "src/a.txt", "a2");
    Backup();
    Write(dir_ / "src/a.txt", "a3");
    Write(dir_ / "src/sub/b.txt", "b2");
    Write(dir_ / "src/c.txt", "c");
    std::filesystem::remove(dir_ / "src/gone.txt");  // the backup keeps it
    Backup();
    // These cases are about the dates of the version folders: the rule a target without a
    // record of its runs goes by.
    std::filesystem::remove_all(dir_ / "tgt/.quillstone");
    for (const std::string& name : test::ListTree(dir_ / "tgt"))
      if (name.rfind("backup_", 0) == 0 && name.find("/README.txt") != std::string::npos)
        versions_.push_back(name.substr(0, name.find('/')));
    // Sorted, the older first; every versioned run makes one, the first an empty one.
    ASSERT_EQ(3u, versions_.size());
    versions_.erase(versions_.begin());
    // One made by hand, older than the others: a.txt as it stood until 00:05.
    test::WriteFile(dir_ / "tgt/backup_19700101_000500/README.txt", "Time Version Backup\n");
    test::WriteFile(dir_ / "tgt/backup_19700101_000500/a.txt", "a0", Seconds(100));
  }

  /// A file written a second ago: after the last moment, and before the second of the next.
  void Write(const std::string& path, const std::string& content) {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    const int64_t nanos = std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
    test::WriteFile(path, content, MakeFileTime(0, nanos - test::kSecondNanos));
  }

  /// A real versioned run, then the moment after it (whole seconds, as --as-of has them),
  /// then the next second: what comes next is written, and backed up, after that moment.
  void Backup() {
    ASSERT_EQ(0, Run("--time-versioning " + Quoted("src") + " " + Quoted("tgt"))) << Out();
    moments_.push_back(AsOf(NowSeconds()));
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  }

  /// The files of DEST with their content.
  std::map<std::string, std::string> Restored(const std::string& dest) {
    std::map<std::string, std::string> files;
    for (const std::string& name : test::ListTree(dir_ / dest))
      files[name] = test::ReadFile(dir_ / (dest + "/" + name));
    return files;
  }

  /// "backup_20261202_100000, replaced 2026-12-02 10:00:00"
  static std::string ReplacedAt(const std::string& folder) {
    const std::string s = folder.substr(7);
    return folder + ", replaced " + s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2) +
           " " + s.substr(9, 2) + ":" + s.substr(11, 2) + ":" + s.substr(13, 2);
  }
  std::string Written(const std::string& relative) {
    return FileTimeText(test::RealFs().LastWriteTime(dir_ / relative));
  }

  std::vector<std::string> versions_;  ///< of the real runs that saved copies, older first
  std::vector<std::string> moments_;   ///< after each run, as --as-of takes them
};

TEST_F(RunnerRestoreTest, VersionsListsEachCopyAsTheBackupHeldThemWithWhenEachWasReplaced) {
  ASSERT_EQ(0, Run("--versions " + Quoted("tgt") + " a.txt")) << Err();
  EXPECT_EQ(
      (std::vector<std::string>{
          Written("tgt/a.txt") + "  2 bytes  current",
          Written("tgt/" + versions_[1] + "/a.txt") + "  2 bytes  " + ReplacedAt(versions_[1]),
          Written("tgt/" + versions_[0] + "/a.txt") + "  2 bytes  " + ReplacedAt(versions_[0]),
          "1970-01-01 00:01:40.000  2 bytes  " + ReplacedAt("backup_19700101_000500"),
      }),
      Lines(Out()));
  ASSERT_EQ(0, Run("--versions " + Quoted("tgt") + " sub/b.txt")) << Err();
  EXPECT_EQ(2u, Lines(Out()).size());
  // The version folders' own README.txt is no kept copy of a file.
  EXPECT_EQ(1, Run("--versions " + Quoted("tgt") + " README.txt"));
  EXPECT_TRUE(OutHas("No copy of README.txt is kept in")) << Out();
  EXPECT_EQ(1, Run("--versions " + Quoted("tgt") + " nothing.txt"));
  EXPECT_TRUE(OutHas("No copy of nothing.txt is kept in")) << Out();
  EXPECT_EQ(2, Run("--versions " + Quoted("src") + " a.txt"));
  EXPECT_NE(std::string::npos, Err().find("holds no version folders")) << Err();
  // A path as the source had it is no path below the roots: said so, not "no copy".
  EXPECT_EQ(2, Run("--versions " + Quoted("tgt") + " " + Quoted("src/a.txt")));
  EXPECT_NE(std::string::npos, Err().find("PATH is relative to the backed-up folder")) << Err();
  EXPECT_EQ("", Out());
}

TEST_F(RunnerRestoreTest, EachMomentGivesWhatTheBackupHeldThen) {
  const auto target = Snapshot(dir_ / "tgt");
  ASSERT_EQ(0, Run("--restore " + Quoted("tgt") + " " + Quoted("now"))) << Out() << Err();
  EXPECT_EQ((std::map<std::string, std::string>{
                {"a.txt", "a3"}, {"c.txt", "c"}, {"gone.txt", "g"}, {"sub/b.txt", "b2"}}),
            Restored("now"));
  EXPECT_TRUE(OutHas("] Restored: a.txt (from the current copy)\n")) << Out();
  EXPECT_TRUE(OutHas("] Restore completed: 4 restored, 0 left out, 0 failed.\n")) << Out();

  ASSERT_EQ(0, Run("--restore --as-of " + moments_[1] + " " + Quoted("tgt") + " " + Quoted("m1")))
      << Out() << Err();
  EXPECT_EQ(
      (std::map<std::string, std::string>{{"a.txt", "a2"}, {"gone.txt", "g"}, {"sub/b.txt", "b1"}}),
      Restored("m1"));
  EXPECT_TRUE(OutHas("] Restored: a.txt (from " + versions_[1] + ")\n")) << Out();
  EXPECT_TRUE(OutHas("] Restored: " + test::Native("sub/b.txt") + " (from " + versions_[1] + ")\n"))
      << Out();
  EXPECT_TRUE(OutHas("] Restored: gone.txt (from the current copy)\n")) << Out();
  EXPECT_TRUE(OutHas("] Left out, not yet in the backup at that moment: c.txt (written " +
                     Written("tgt/c.txt") + ")\n"))
      << Out();
  EXPECT_TRUE(OutHas("] Restore completed: 3 restored, 1 left out, 0 failed.\n")) << Out();

  ASSERT_EQ(0, Run("--restore --as-of " + moments_[0] + " " + Quoted("tgt") + " " + Quoted("m0")));
  EXPECT_EQ(
      (std::map<std::string, std::string>{{"a.txt", "a1"}, {"gone.txt", "g"}, {"sub/b.txt", "b1"}}),
      Restored("m0"));
  EXPECT_TRUE(OutHas("] Restored: a.txt (from " + versions_[0] + ")\n")) << Out();

  ASSERT_EQ(
      0, Run("--restore --as-of \"1970-01-01 00:03:00\" " + Quoted("tgt") + " " + Quoted("at3")));
  EXPECT_EQ((std::map<std::string, std::string>{{"a.txt", "a0"}}), Restored("at3"));
  EXPECT_TRUE(OutHas("] Restored: a.txt (from backup_19700101_000500)\n")) << Out();
  EXPECT_TRUE(OutHas("] Restore completed: 1 restored, 3 left out, 0 failed.\n")) << Out();

  ASSERT_EQ(
      0, Run("--restore --as-of \"1970-01-01 00:01:00\" " + Quoted("tgt") + " " + Quoted("at1")));
  EXPECT_TRUE(Restored("at1").empty());
  EXPECT_EQ(4u, OutLinesStarting("Left out, not yet in the backup at that moment: ").size())
      << Out();
  EXPECT_TRUE(OutHas("] Restore completed: 0 restored, 4 left out, 0 failed.\n")) << Out();

  EXPECT_EQ(target, Snapshot(dir_ / "tgt"));
}

TEST_F(RunnerRestoreTest, OnlyThePathsAskedAndAPathOfWhichNothingCameBackFails) {
  ASSERT_EQ(0, Run("--restore --as-of " + moments_[1] + " " + Quoted("tgt") + " " + Quoted("part") +
                   " ./sub/ gone.txt"))
      << Out();
  EXPECT_EQ((std::map<std::string, std::string>{{"gone.txt", "g"}, {"sub/b.txt", "b1"}}),
            Restored("part"));
  EXPECT_TRUE(OutHas("] Restore completed: 2 restored, 0 left out, 0 failed.\n")) << Out();

  // c.txt was not in the backup yet at that moment: it is named, and the restore did not
  // give what was asked.
  EXPECT_EQ(1, Run("--restore --as-of " + moments_[1] + " " + Quoted("tgt") + " " +
                   Quoted("part1") + " c.txt"));
  EXPECT_TRUE(Restored("part1").empty());
  EXPECT_TRUE(OutHas("] Left out, not yet in the backup at that moment: c.txt (written ")) << Out();
  EXPECT_TRUE(OutHas("] Nothing restored of: c.txt\n")) << Out();
  EXPECT_TRUE(OutHas("] Restore completed: 0 restored, 1 left out, 0 failed.\n")) << Out();

  EXPECT_EQ(1, Run("--restore " + Quoted("tgt") + " " + Quoted("part2") + " a.txt nowhere"));
  EXPECT_EQ((std::map<std::string, std::string>{{"a.txt", "a3"}}), Restored("part2"));
  EXPECT_TRUE(OutHas("] Nothing is kept under: nowhere\n")) << Out();
  EXPECT_TRUE(OutHas("] Restore completed: 1 restored, 0 left out, 1 failed.\n")) << Out();
}

TEST_F(RunnerRestoreTest, AFileOnlyVersionFoldersHoldIsNamedWhenLeftOut) {
  std::filesystem::remove(dir_ / "tgt/a.txt");  // taken out of the target by hand
  ASSERT_EQ(0, Run("--restore " + Quoted("tgt") + " " + Quoted("now"))) << Out();
  EXPECT_EQ(0u, Restored("now").count("a.txt"));
  EXPECT_TRUE(OutHas("] Left out, only version folders hold it (see --versions): a.txt\n"))
      << Out();
  ASSERT_EQ(0, Run("--restore --as-of " + moments_[1] + " " + Quoted("tgt") + " " + Quoted("m1")))
      << Out();
  EXPECT_EQ("a2", Restored("m1").at("a.txt"));
  ASSERT_EQ(0, Run("--restore --as-of " + moments_[2] + " " + Quoted("tgt") + " " + Quoted("m2")))
      << Out();
  EXPECT_TRUE(OutHas("] Left out, no copy of it was current at that moment: a.txt\n")) << Out();
}

TEST_F(RunnerRestoreTest, WhatTheProgramKeepsForItselfIsNeverRestoredAsData) {
  // A removal cut short, and a folder that only looks like a version folder (the user's).
  test::WriteFile(dir_ / "tgt/.qs-removing-backup_19700101_000100/a.txt", "half", Seconds(60));
  test::WriteFile(dir_ / "tgt/backup_20200101_000000/data.txt", "mine", Seconds(1000));
  ASSERT_EQ(0, Run("--restore " + Quoted("tgt") + " " + Quoted("now"))) << Out();
  const auto restored = Restored("now");
  EXPECT_EQ((std::map<std::string, std::string>{{"a.txt", "a3"},
                                                {"backup_20200101_000000/data.txt", "mine"},
                                                {"c.txt", "c"},
                                                {"gone.txt", "g"},
                                                {"sub/b.txt", "b2"}}),
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
      {Quoted("tgt") + " " + Quoted("d") + " " + Quoted("src/a.txt"),
       "PATH is relative to the backed-up folder"},
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
