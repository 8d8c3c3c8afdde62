// The runner's command line.
#include "cli/run_args.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

using Mode = RunArgs::Mode;

TEST(RunArgsTest, TwoPathsRunABackup) {
  const RunArgs args = ParseRunArgs({"/src", "/dst"});
  EXPECT_EQ(Mode::kBackup, args.mode);
  EXPECT_EQ("/src", args.source);
  EXPECT_EQ("/dst", args.target);
  EXPECT_FALSE(args.timeVersioning);
  const RunArgs versioned = ParseRunArgs({"/src", "--time-versioning", "/dst"});
  EXPECT_EQ(Mode::kBackup, versioned.mode);
  EXPECT_TRUE(versioned.timeVersioning);
}

TEST(RunArgsTest, NoArgumentsUseTheSettingsFile) {
  EXPECT_EQ(Mode::kBackupFromSettings, ParseRunArgs({}).mode);
}

TEST(RunArgsTest, HelpWinsOverEverythingBeforeIt) {
  EXPECT_EQ(Mode::kHelp, ParseRunArgs({"--help"}).mode);
  EXPECT_EQ(Mode::kHelp, ParseRunArgs({"/a", "-h"}).mode);
}

TEST(RunArgsTest, UsageErrorsSayWhatIsWrong) {
  for (const std::vector<std::string>& bad :
       std::vector<std::vector<std::string>>{{"/only-one"},
                                             {"/a", "/b", "/c"},
                                             {"--time-versioning"},
                                             {"--bogus", "/a", "/b"},
                                             {"", "/b"}}) {
    const RunArgs args = ParseRunArgs(bad);
    EXPECT_EQ(Mode::kUsageError, args.mode) << bad.size();
    EXPECT_FALSE(args.error.empty());
  }
}

TEST(RunArgsTest, DoubleDashEndsOptions) {
  const RunArgs args = ParseRunArgs({"--", "-src", "--help"});
  EXPECT_EQ(Mode::kBackup, args.mode);
  EXPECT_EQ("-src", args.source);
  EXPECT_EQ("--help", args.target);
}

TEST(RunArgsTest, BackupOptionsInAnyOrderAndWithEquals) {
  const RunArgs args =
      ParseRunArgs({"--exclude", "*.tmp", "/src", "--dry-run", "--exclude=cache/", "--exclude-from",
                    "list.txt", "--exclude-from=more.txt", "--no-progress", "/dst"});
  EXPECT_EQ(Mode::kBackup, args.mode) << args.error;
  EXPECT_EQ("/src", args.source);
  EXPECT_EQ("/dst", args.target);
  EXPECT_TRUE(args.dryRun);
  EXPECT_EQ((std::vector<std::string>{"*.tmp", "cache/"}), args.excludes);
  EXPECT_EQ((std::vector<std::string>{"list.txt", "more.txt"}), args.excludeFiles);
  EXPECT_EQ(RunArgs::Progress::kNever, args.progress);
  EXPECT_EQ(RunArgs::Progress::kAlways, ParseRunArgs({"--progress", "/a", "/b"}).progress);
  EXPECT_EQ(RunArgs::Progress::kOnTerminal, ParseRunArgs({"/a", "/b"}).progress);
  // The last word wins, as with most tools.
  EXPECT_EQ(RunArgs::Progress::kAlways,
            ParseRunArgs({"--no-progress", "--progress", "/a", "/b"}).progress);
  EXPECT_FALSE(ParseRunArgs({"/a", "/b"}).dryRun);
  EXPECT_TRUE(ParseRunArgs({"--accept-unkept-times", "/a", "/b"}).acceptUnkeptTimes);
  EXPECT_FALSE(ParseRunArgs({"/a", "/b"}).acceptUnkeptTimes);
  // A pattern that looks like an option is still the option's value.
  EXPECT_EQ(std::vector<std::string>{"--odd"},
            ParseRunArgs({"--exclude", "--odd", "/a", "/b"}).excludes);
}

TEST(RunArgsTest, PruneTakesItsRulesAndOneTarget) {
  const RunArgs args =
      ParseRunArgs({"--prune-versions", "--keep-last", "3", "--keep-hourly=4", "--keep-daily", "7",
                    "--keep-weekly", "5", "--keep-monthly", "12", "--keep-within", "30", "/t"});
  ASSERT_EQ(Mode::kPrune, args.mode) << args.error;
  EXPECT_EQ("/t", args.target);
  EXPECT_EQ(3, args.keep.last);
  EXPECT_EQ(4, args.keep.hourly);
  EXPECT_EQ(7, args.keep.daily);
  EXPECT_EQ(5, args.keep.weekly);
  EXPECT_EQ(12, args.keep.monthly);
  EXPECT_EQ(30, args.keep.within);
  EXPECT_FALSE(args.dryRun);
  const RunArgs bare = ParseRunArgs({"/t", "--prune-versions", "--dry-run"});
  ASSERT_EQ(Mode::kPrune, bare.mode) << bare.error;
  EXPECT_TRUE(bare.dryRun);
  EXPECT_FALSE(bare.keep.Any());
  EXPECT_EQ(0, ParseRunArgs({"--prune-versions", "--keep-within", "0", "/t"}).keep.within);
}

TEST(RunArgsTest, VersionsAndRestoreTakeTheirPaths) {
  const RunArgs versions = ParseRunArgs({"--versions", "/t", "notes/plan.txt"});
  ASSERT_EQ(Mode::kVersions, versions.mode) << versions.error;
  EXPECT_EQ("/t", versions.target);
  EXPECT_EQ(std::vector<std::string>{"notes/plan.txt"}, versions.paths);

  const RunArgs whole = ParseRunArgs({"--restore", "/t", "/d"});
  ASSERT_EQ(Mode::kRestore, whole.mode) << whole.error;
  EXPECT_EQ("/t", whole.target);
  EXPECT_EQ("/d", whole.dest);
  EXPECT_TRUE(whole.paths.empty());
  EXPECT_FALSE(whole.hasAsOf);

  const RunArgs some =
      ParseRunArgs({"--restore", "--as-of", "2024-02-29 23:59:58", "/t", "/d", "a", "b/c"});
  ASSERT_EQ(Mode::kRestore, some.mode) << some.error;
  EXPECT_EQ((std::vector<std::string>{"a", "b/c"}), some.paths);
  ASSERT_TRUE(some.hasAsOf);
  EXPECT_EQ(2024, some.asOf.year);
  EXPECT_EQ(2, some.asOf.month);
  EXPECT_EQ(29, some.asOf.day);
  EXPECT_EQ(23, some.asOf.hour);
  EXPECT_EQ(59, some.asOf.minute);
  EXPECT_EQ(58, some.asOf.second);
}

TEST(RunArgsTest, BadValuesAndMixedModesAreUsageErrors) {
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"--prune-versions", "--keep-last", "x", "/t"}, "bad value for --keep-last: x"},
      {{"--prune-versions", "--keep-last", "-1", "/t"}, "bad value for --keep-last: -1"},
      {{"--prune-versions", "--keep-last", "", "/t"}, "bad value for --keep-last"},
      {{"--prune-versions", "--keep-daily", "99999999", "/t"}, "bad value for --keep-daily"},
      {{"--prune-versions", "--keep-last"}, "--keep-last needs a value"},
      {{"--prune-versions"}, "--prune-versions takes one TARGET"},
      {{"--prune-versions", "/t", "/u"}, "--prune-versions takes one TARGET"},
      {{"--prune-versions", "--exclude", "x", "/t"}, "with a backup only"},
      {{"--prune-versions", "--progress", "/t"}, "with a backup only"},
      {{"--restore", "--accept-unkept-times", "/t", "/d"}, "with a backup only"},
      {{"--accept-unkept-times"}, "expected SOURCE and TARGET"},
      {{"--keep-last", "1", "/a", "/b"}, "--keep-... go with --prune-versions only"},
      {{"--prune-versions", "--restore", "/t", "/d"}, "go alone"},
      {{"--versions", "--restore", "/t", "p"}, "go alone"},
      {{"--versions", "/t"}, "--versions takes TARGET and PATH"},
      {{"--versions", "/t", "a", "b"}, "--versions takes TARGET and PATH"},
      {{"--versions", "--dry-run", "/t", "a"}, "--versions takes TARGET and PATH"},
      {{"--restore", "/t"}, "--restore takes TARGET, DEST and PATHs"},
      {{"--restore", "--as-of", "2026-02-29 10:00:00", "/t", "/d"}, "bad value for --as-of"},
      {{"--restore", "--as-of", "2026-12-01T10:00:00", "/t", "/d"}, "bad value for --as-of"},
      {{"--restore", "--as-of", "2026-12-01 10:00", "/t", "/d"}, "bad value for --as-of"},
      {{"--restore", "--as-of", "2026-12-01 24:00:00", "/t", "/d"}, "bad value for --as-of"},
      {{"--restore", "--as-of", "2026-1a-01 10:00:00", "/t", "/d"}, "bad value for --as-of"},
      {{"--as-of", "2026-12-01 10:00:00", "/a", "/b"}, "--as-of goes with --restore only"},
      {{"--exclude", "a//b", "/a", "/b"}, "bad pattern \"a//b\""},
      {{"--exclude", "", "/a", "/b"}, "bad pattern \"\""},
      {{"--exclude-from", "", "/a", "/b"}, "bad value for --exclude-from"},
      {{"--dry-run"}, "expected SOURCE and TARGET"},
      {{"--progress"}, "expected SOURCE and TARGET"},
      {{"--dry-run=yes", "/a", "/b"}, "unknown option: --dry-run=yes"},
      {{"-x", "/a", "/b"}, "unknown option: -x"},
  };
  for (const auto& c : cases) {
    const RunArgs args = ParseRunArgs(c.args);
    EXPECT_EQ(Mode::kUsageError, args.mode) << c.error;
    EXPECT_NE(std::string::npos, args.error.find(c.error)) << c.error << " / " << args.error;
  }
}

TEST(RunArgsTest, ScheduleTakesItsActionAndNothingElse) {
  EXPECT_EQ(ScheduleAction::kInstall, ParseRunArgs({"--schedule", "install"}).scheduleAction);
  EXPECT_EQ(ScheduleAction::kRemove, ParseRunArgs({"--schedule=remove"}).scheduleAction);
  const RunArgs show = ParseRunArgs({"--schedule", "show"});
  EXPECT_EQ(Mode::kSchedule, show.mode);
  EXPECT_EQ(ScheduleAction::kShow, show.scheduleAction);
  for (const std::vector<std::string>& bad :
       std::vector<std::vector<std::string>>{{"--schedule"},
                                             {"--schedule", "start"},
                                             {"--schedule", "install", "/a"},
                                             {"--schedule", "install", "--background"},
                                             {"--schedule", "install", "--dry-run"},
                                             {"--schedule", "install", "--restore", "/t", "/d"},
                                             {"--prune-versions", "--schedule", "show", "/t"}}) {
    const RunArgs args = ParseRunArgs(bad);
    EXPECT_EQ(Mode::kUsageError, args.mode) << bad[1];
    EXPECT_FALSE(args.error.empty());
  }
}

TEST(RunArgsTest, BackgroundGoesWithABackupOfEitherForm) {
  const RunArgs alone = ParseRunArgs({"--background"});
  EXPECT_EQ(Mode::kBackupFromSettings, alone.mode);
  EXPECT_TRUE(alone.background);
  const RunArgs paths = ParseRunArgs({"--background", "/src", "/dst"});
  EXPECT_EQ(Mode::kBackup, paths.mode);
  EXPECT_TRUE(paths.background);
  EXPECT_FALSE(ParseRunArgs({"/src", "/dst"}).background);
  EXPECT_EQ(Mode::kUsageError, ParseRunArgs({"--background", "--versions", "/t", "p"}).mode);
  EXPECT_EQ(Mode::kUsageError, ParseRunArgs({"--background=1"}).mode);
}

TEST(RunArgsTest, VerifyTakesABudgetRepairAndOneTargetAndStatusOneTarget) {
  const RunArgs plain = ParseRunArgs({"--verify", "/t"});
  EXPECT_EQ(Mode::kVerify, plain.mode);
  EXPECT_EQ("/t", plain.target);
  EXPECT_EQ(100, plain.budget);
  EXPECT_FALSE(plain.repair);
  EXPECT_FALSE(plain.background);
  const RunArgs all = ParseRunArgs({"--budget=25", "/t", "--repair", "--background", "--verify"});
  EXPECT_EQ(Mode::kVerify, all.mode);
  EXPECT_EQ(25, all.budget);
  EXPECT_TRUE(all.repair);
  EXPECT_TRUE(all.background);
  EXPECT_EQ(1, ParseRunArgs({"--verify", "--budget", "1", "/t"}).budget);
  const RunArgs status = ParseRunArgs({"--status", "/t"});
  EXPECT_EQ(Mode::kStatus, status.mode);
  EXPECT_EQ("/t", status.target);
  const struct {
    std::vector<std::string> args;
    std::string error;
  } bad[] = {
      {{"--verify", "--budget", "0", "/t"},
       "--budget takes a whole percentage from 1 to 100, not 0"},
      {{"--verify", "--budget", "101", "/t"}, "from 1 to 100, not 101"},
      {{"--verify", "--budget", "12.5", "/t"}, "from 1 to 100, not 12.5"},
      {{"--verify", "--budget", "-5", "/t"}, "from 1 to 100, not -5"},
      {{"--verify", "--budget", "", "/t"}, "from 1 to 100, not "},
      {{"--verify", "--budget"}, "--budget needs a value"},
      {{"--verify"}, "--verify takes one TARGET"},
      {{"--verify", "/t", "/u"}, "--verify takes one TARGET"},
      {{"--verify", "--dry-run", "/t"}, "--verify takes one TARGET"},
      {{"--status", "/t", "/u"}, "--status takes one TARGET"},
      {{"--status", "--background", "/t"}, "with a backup only"},
      {{"--status", "--repair", "/t"}, "--budget and --repair go with --verify only"},
      {{"--budget", "10", "/a", "/b"}, "--budget and --repair go with --verify only"},
      {{"--repair", "/a", "/b"}, "--budget and --repair go with --verify only"},
      {{"--verify", "--exclude", "x", "/t"}, "with a backup only"},
      {{"--verify", "--status", "/t"}, "go alone"},
      {{"--verify", "--restore", "/t", "/d"}, "go alone"},
  };
  for (const auto& c : bad) {
    const RunArgs args = ParseRunArgs(c.args);
    EXPECT_EQ(Mode::kUsageError, args.mode) << c.error;
    EXPECT_NE(std::string::npos, args.error.find(c.error)) << c.error << " / " << args.error;
  }
}

}  // namespace
}  // namespace qs
