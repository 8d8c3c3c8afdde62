// --prune-versions on the real runner: each rule over folders with known stamps, a dry run,
// no rule, and the folders that only look like version folders, which are never touched.
#include "engine/tree_removal.h"
#include "engine/version_store.h"
#include "tests/cli/runner_fixture.h"

namespace qs {
namespace {

using test::Seconds;

constexpr char kReadme[] = "Time Version Backup\n";

/// Newest first: two in the 22nd hour of the 8th, two on the 7th (a Monday, the same ISO week
/// as the 8th), then one in each of three older weeks and months.
const std::vector<std::string> kStamps = {
    "20261208_230000", "20261208_223000", "20261208_221000", "20261207_120000",
    "20261207_080000", "20261130_120000", "20261015_120000", "20260920_120000",
};

class RunnerPruneTest : public test::RunnerFixture {
 protected:
  void SetUp() override {
    for (const std::string& stamp : kStamps) MakeVersion("tgt/backup_" + stamp);
    test::WriteFile(dir_ / "tgt/current.txt", "current", Seconds(9000));
    // Look-alikes, all older than every version folder: a rule that took one for a version
    // folder would remove it.
    MakeVersion("tgt/backup_2026010_120000");   // a digit short
    MakeVersion("tgt/backup_20261301_000000");  // no 13th month
    MakeVersion("tgt/Backup_20170101_000000");
    MakeVersion("tgt/sub/backup_20180101_000000");  // not directly in the target
    test::WriteFile(dir_ / "tgt/backup_20200101_000000/data.txt", "no readme", Seconds(1000));
    test::WriteFile(dir_ / "tgt/backup_20190101_000000", "a file", Seconds(1000));
  }
  void TearDownVersions() {
    const Removal removal = RemoveTree(test::RealFs(), dir_ / "tgt");
    ASSERT_TRUE(removal.Complete()) << removal.failed;
  }
  void MakeVersion(const std::string& folder) {
    test::WriteFile(dir_ / (folder + "/README.txt"), kReadme, Seconds(1000));
    test::WriteFile(dir_ / (folder + "/notes/plan.txt"), folder, Seconds(1000));
  }
  /// The bytes a version folder made by MakeVersion holds.
  static uint64_t VersionBytes(const std::string& stamp) {
    return std::string(kReadme).size() + std::string("tgt/backup_" + stamp).size();
  }
  /// The stamps of the version folders left in the target, newest first.
  std::vector<std::string> Left() {
    std::vector<std::string> left;
    for (const std::string& stamp : kStamps)
      if (test::Exists(dir_ / ("tgt/backup_" + stamp))) left.push_back(stamp);
    return left;
  }
  /// Everything in the target but the version folders.
  std::map<std::string, std::string> Others() {
    std::map<std::string, std::string> others = Snapshot(dir_ / "tgt");
    for (auto it = others.begin(); it != others.end();) {
      const bool version = std::any_of(kStamps.begin(), kStamps.end(), [&](const std::string& s) {
        return it->first.rfind("backup_" + s, 0) == 0;
      });
      it = version ? others.erase(it) : std::next(it);
    }
    return others;
  }
};

TEST_F(RunnerPruneTest, EachRuleKeepsWhatItNames) {
  const struct {
    std::string rules;
    std::vector<std::string> kept;
  } cases[] = {
      {"--keep-last 3", {kStamps[0], kStamps[1], kStamps[2]}},
      {"--keep-hourly 2", {kStamps[0], kStamps[1]}},
      {"--keep-daily 2", {kStamps[0], kStamps[3]}},
      {"--keep-weekly 2", {kStamps[0], kStamps[5]}},
      {"--keep-monthly 3", {kStamps[0], kStamps[5], kStamps[6]}},
      {"--keep-within 2", {kStamps[0], kStamps[1], kStamps[2], kStamps[3], kStamps[4]}},
      {"--keep-last 1 --keep-monthly 2", {kStamps[0], kStamps[5]}},
      {"--keep-last 0 --keep-within 0", {kStamps[0]}},  // the newest is always kept
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rules);
    TearDownVersions();
    SetUp();
    const auto others = Others();
    ASSERT_EQ(0, Run("--prune-versions " + c.rules + " " + Quoted("tgt"))) << Out() << Err();
    EXPECT_EQ("", Err());
    EXPECT_EQ(c.kept, Left());
    EXPECT_EQ(others, Others());
    // One line per folder removed, oldest first, and the space freed.
    std::vector<std::string> expected;
    uint64_t bytes = 0;
    for (auto stamp = kStamps.rbegin(); stamp != kStamps.rend(); ++stamp) {
      if (std::find(c.kept.begin(), c.kept.end(), *stamp) != c.kept.end()) continue;
      expected.push_back("Version folder removed: " + dir_ / ("tgt/backup_" + *stamp));
      bytes += VersionBytes(*stamp);
    }
    EXPECT_EQ(expected, OutLinesStarting("Version folder removed: ")) << Out();
    const std::vector<std::string> lines = OutLines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ("Pruning completed: " + std::to_string(expected.size()) + " removed, 0 failed.",
              lines[lines.size() - 2]);
    EXPECT_EQ("Space freed: " + std::to_string(bytes) + " bytes.", lines.back());
    EXPECT_FALSE(test::Exists(dir_ / ("tgt/.qs-removing-backup_" + kStamps.back())));
  }
}

TEST_F(RunnerPruneTest, ADryRunSaysWhatWouldGoAndRemovesNothing) {
  const auto before = Snapshot(dir_ / "tgt");
  ASSERT_EQ(0, Run("--prune-versions --dry-run --keep-last 6 " + Quoted("tgt"))) << Err();
  EXPECT_EQ(before, Snapshot(dir_ / "tgt"));
  EXPECT_EQ((std::vector<std::string>{
                "Version folder would be removed: " + dir_ / ("tgt/backup_" + kStamps[7]),
                "Version folder would be removed: " + dir_ / ("tgt/backup_" + kStamps[6])}),
            OutLinesStarting("Version folder would be removed: "))
      << Out();
  EXPECT_TRUE(OutLinesStarting("Version folder removed").empty());
  const std::vector<std::string> lines = OutLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ("Pruning completed: 0 removed, 0 failed.", lines[lines.size() - 3]);
  EXPECT_EQ("Space that would be freed: " +
                std::to_string(VersionBytes(kStamps[7]) + VersionBytes(kStamps[6])) + " bytes.",
            lines[lines.size() - 2]);
  EXPECT_EQ("Dry run: nothing was written.", lines.back());
}

TEST_F(RunnerPruneTest, WithoutARuleNothingIsRemoved) {
  const auto before = Snapshot(dir_ / "tgt");
  ASSERT_EQ(0, Run("--prune-versions " + Quoted("tgt"))) << Err();
  EXPECT_EQ(before, Snapshot(dir_ / "tgt"));
  EXPECT_TRUE(OutHas("No --keep rule given: no version folder removed.")) << Out();
  EXPECT_TRUE(OutHas("Pruning completed: 0 removed, 0 failed.")) << Out();
}

TEST_F(RunnerPruneTest, ALeftoverOfAnInterruptedRemovalIsFinishedAndNeverCounted) {
  // What a prune killed between its rename and the end of the deletion leaves.
  test::WriteFile(dir_ / "tgt/.qs-removing-backup_20270101_000000/README.txt", kReadme);
  test::WriteFile(dir_ / "tgt/.qs-removing-backup_20270101_000000/notes/plan.txt", "half");
  // A user's folder that only starts alike is backed-up data: never removed.
  test::WriteFile(dir_ / "tgt/.qs-removing-notes/keep.txt", "mine");
  // Counted as a version (it is newer than all), it would take the place of the newest.
  ASSERT_EQ(0, Run("--prune-versions --keep-last 1 " + Quoted("tgt"))) << Out() << Err();
  EXPECT_EQ(std::vector<std::string>{kStamps[0]}, Left());
  EXPECT_FALSE(test::Exists(dir_ / "tgt/.qs-removing-backup_20270101_000000"));
  EXPECT_EQ("mine", test::ReadFile(dir_ / "tgt/.qs-removing-notes/keep.txt"));
  EXPECT_EQ(7u, OutLinesStarting("Version folder removed: ").size()) << Out();
  EXPECT_TRUE(OutHas("Leftover of an interrupted removal removed: " +
                     dir_ / "tgt/.qs-removing-backup_20270101_000000"))
      << Out();
}

TEST_F(RunnerPruneTest, BadInputGivesTwoAndRemovesNothing) {
  test::MakeDirs(dir_ / "empty");
  test::WriteFile(dir_ / "empty/backup_20200101_000000/data.txt", "no readme");
  const auto before = Snapshot(dir_.path());
  const struct {
    std::string args, message;
  } cases[] = {
      {"--keep-last 1 " + Quoted("empty"), "holds no version folders"},
      {"--keep-last 1 " + Quoted("missing"), "TARGET is not a folder"},
      {"--keep-last x " + Quoted("tgt"), "bad value for --keep-last: x"},
      {"--keep-daily -1 " + Quoted("tgt"), "bad value for --keep-daily"},
      {"--keep-sometimes 1 " + Quoted("tgt"), "unknown option: --keep-sometimes"},
      {"--keep-last 1 " + Quoted("tgt") + " " + Quoted("empty"), "takes one TARGET"},
      {"--keep-last 1 --time-versioning " + Quoted("tgt"), "with a backup only"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    EXPECT_EQ(2, Run("--prune-versions " + c.args));
    EXPECT_NE(std::string::npos, Err().find(c.message)) << Err();
    EXPECT_EQ("", Out());
    auto after = Snapshot(dir_.path());
    after.erase("out.txt");
    after.erase("err.txt");
    auto expected = before;
    expected.erase("out.txt");
    expected.erase("err.txt");
    EXPECT_EQ(expected, after);
  }
}

}  // namespace
}  // namespace qs
