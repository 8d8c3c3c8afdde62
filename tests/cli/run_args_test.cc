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

}  // namespace
}  // namespace qs
