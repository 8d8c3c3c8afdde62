// A scheduled run gives way to an operation that holds its target: it says so and waits for
// its next interval, and the scheduler still stops at once.
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/auto_backup_switch.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

using test::CountOf;

class ScheduledClaimTest : public test::AppFixture {};

TEST_F(ScheduledClaimTest, AScheduledRunWaitsForTheNextIntervalWhileItsTargetIsHeld) {
  Create();
  test::WriteFile(dir_ / "src/a.txt", "alpha");
  g_settings.sourceDir = dir_ / "src";
  g_settings.targetDir = dir_ / "dst";
  std::string holder;
  auto prune = app_->claims.Claim(dir_ / "dst", "a prune", &holder);
  ASSERT_TRUE(prune);
  Kept(&g_hIntervalEdit).Type("1");
  SetAutoBackup(*app_, true);
  clock_->WaitUntilHeld();

  clock_->RunFor(60000);
  clock_->WaitUntilHeld();  // the interval is over and the next countdown has begun
  const std::string sentence = "Not started: a prune is writing to " + dir_ / "dst" + ".";
  EXPECT_EQ(1, CountOf(BackupLogLines(), sentence));
  EXPECT_EQ(0, CountOf(BackupLogLines(), "Starting backup..."));
  EXPECT_EQ("=== Next backup in 1 minutes ===", BackupLogLines().back());
  EXPECT_FALSE(test::Exists(dir_ / "dst/a.txt"));

  prune.reset();
  clock_->RunFor(60000);
  clock_->WaitUntilHeld();
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));
  EXPECT_EQ("", app_->claims.Holder(dir_ / "dst"));

  // A held target does not hold up the stop.
  prune = app_->claims.Claim(dir_ / "dst", "a prune", &holder);
  StopScheduler();
  EXPECT_EQ("=== Auto backup stopped ===", BackupLogLines().back());
}

}  // namespace
}  // namespace qs
