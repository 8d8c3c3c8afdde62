// The builder of every front end's request: roots normalised as a run normalises them, and
// each switch carried to the options it builds.
#include "engine/backup_request.h"

#include <gtest/gtest.h>

#include <sstream>

#include "engine/backup_job.h"
#include "engine/paths.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;

TEST(BackupRequestTest, RootsGetExactlyOneTrailingSeparatorAndEmptyOnesStayEmpty) {
  const BackupOptions a = BackupRequest(Native("/data"), Native("/backup/"), false).Build();
  EXPECT_EQ(Native("/data/"), a.sourceRoot);
  EXPECT_EQ(Native("/backup/"), a.targetRoot);
  const BackupOptions empty = BackupRequest("", "", false).Build();
  EXPECT_EQ("", empty.sourceRoot);
  EXPECT_EQ("", empty.targetRoot);
  // Only the native separator ends a root: the other one is part of a name.
  const char other = kPathSeparator == '/' ? '\\' : '/';
  const std::string typed = std::string("D:") + other + "backup" + other;
  EXPECT_EQ(typed + kPathSeparator, BackupRequest(typed, "x", false).Build().sourceRoot);
}

TEST(BackupRequestTest, APlainRequestHasEverySwitchOffButTheVersioningGiven) {
  for (const bool versioning : {false, true}) {
    const BackupOptions options = BackupRequest("s", "t", versioning).Build();
    EXPECT_EQ(versioning, options.timeVersioningOn);
    EXPECT_TRUE(options.exclusions.empty());
    EXPECT_FALSE(options.dryRun);
    EXPECT_FALSE(options.measureSizes);
    EXPECT_FALSE(options.acceptUnkeptTimes);
  }
}

TEST(BackupRequestTest, EachSwitchReachesItsOwnFieldAlone) {
  EXPECT_TRUE(BackupRequest("s", "t", false).DryRun(true).Build().dryRun);
  EXPECT_TRUE(BackupRequest("s", "t", false).MeasuringSizes(true).Build().measureSizes);
  EXPECT_TRUE(BackupRequest("s", "t", false).AcceptingUnkeptTimes(true).Build().acceptUnkeptTimes);
  const BackupOptions dry = BackupRequest("s", "t", false).DryRun(true).Build();
  EXPECT_FALSE(dry.measureSizes || dry.acceptUnkeptTimes || dry.timeVersioningOn);
  const BackupOptions sizes = BackupRequest("s", "t", false).MeasuringSizes(true).Build();
  EXPECT_FALSE(sizes.dryRun || sizes.acceptUnkeptTimes);
  const BackupOptions unkept = BackupRequest("s", "t", false).AcceptingUnkeptTimes(true).Build();
  EXPECT_FALSE(unkept.dryRun || unkept.measureSizes);
  // A switch set and then cleared is off again.
  EXPECT_FALSE(BackupRequest("s", "t", false).DryRun(true).DryRun(false).Build().dryRun);
}

TEST(BackupRequestTest, ExclusionsAreCarriedAsGiven) {
  Exclusions exclusions;
  std::string why;
  ASSERT_TRUE(exclusions.Add("*.tmp", &why)) << why;
  ASSERT_TRUE(exclusions.Add("!keep.tmp", &why)) << why;
  BackupRequest request("s", "t", true);
  request.Excluding(exclusions);
  // Built from a kept builder and from a spent one alike.
  for (const BackupOptions& options : {request.Build(), std::move(request).Build()}) {
    EXPECT_TRUE(options.exclusions.Excludes("sub/a.tmp", false));
    EXPECT_FALSE(options.exclusions.Excludes("sub/keep.tmp", false));
    EXPECT_FALSE(options.exclusions.Excludes("sub/a.txt", false));
    EXPECT_EQ(Native("s/"), options.sourceRoot);
  }
}

/// Hears nothing: only the state of a run is looked at.
struct Deaf : RunObserver {
  void OnRunEvent(const RunEvent&) override {}
};

TEST(BackupRequestTest, ARunKeepsTheBuiltRootsAndNormalisesRawOnesTheSameWay) {
  test::FakeClock clock;
  Deaf deaf;
  const BackupOptions built = BackupRequest(Native("/data"), Native("/backup"), true).Build();
  BackupJob from_built(test::RealFs(), clock, built, deaf);
  BackupJob from_raw(test::RealFs(), clock,
                     BackupOptions::Of(Native("/data"), Native("/backup"), true), deaf);
  for (const BackupJob* job : {&from_built, &from_raw}) {
    EXPECT_EQ(Native("/data/"), job->options.sourceRoot);
    EXPECT_EQ(Native("/backup/"), job->options.targetRoot);
  }
}

}  // namespace
}  // namespace qs
