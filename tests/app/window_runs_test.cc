// The runs the window starts from its fields and its menu: "Start Backup Now" and the
// scheduler leave out the exclusions file's patterns (or start nothing when it cannot be
// used), the menu's entry refuses while the button is greyed, and "Dry Run" writes nothing.
#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/auto_backup_switch.h"
#include "app/commands.h"
#include "tests/cli/runner_fixture.h"
#include "tests/support/app_fixture.h"

namespace qs {
namespace {

using Lines = std::vector<std::string>;
using test::CountOf;

int Id(ControlId id) { return static_cast<int>(id); }

class WindowRunsTest : public test::AppFixture {
 protected:
  WindowRunsTest() {
    Create();
    test::WriteFile(dir_ / "src/a.txt", "alpha");
    test::WriteFile(dir_ / "src/cache/big.bin", "cached");
    test::WriteFile(dir_ / "src/sub/cache/kept.txt", "kept");
    Kept(&g_hSourceEdit).Type(dir_ / "src");
    Kept(&g_hTargetEdit).Type(dir_ / "dst");
  }
  std::string ExcludesFile() { return dir_ / "backup_excludes.txt"; }
  /// What the runs of a test wrote: the lines of the backup log that say what became of a file.
  static Lines Decisions(const Lines& lines) {
    Lines decisions;
    for (const std::string& line : lines)
      if (line.rfind("[", 0) == 0 || line.find("completed:") != std::string::npos ||
          line.rfind("Found ", 0) == 0)
        decisions.push_back(line);
    return decisions;
  }
};

TEST_F(WindowRunsTest, StartBackupNowLeavesTheFilesPatternsOut) {
  test::WriteFile(ExcludesFile(), "/cache/\n");
  OnCommand(*app_, Id(ControlId::kStartBackup));
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_EQ((Lines{"a.txt", "sub/cache/kept.txt"}), test::ListTree(dir_ / "dst"));
}

TEST_F(WindowRunsTest, ExclusionsThatCannotBeUsedStartNoRun) {
  test::WriteFile(ExcludesFile(), "*.tmp\n[z-a]\n");
  for (ControlId id : {ControlId::kStartBackup, ControlId::kMenuStartBackup, ControlId::kDryRun})
    OnCommand(*app_, Id(id));
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_FALSE(test::Exists(dir_ / "dst"));
  const Lines lines = BackupLogLines();
  ASSERT_EQ(3u, lines.size());
  EXPECT_EQ(0u,
            lines[0].rfind("The exclusions file " + ExcludesFile() + " is refused at line 2: ", 0))
      << lines[0];
  EXPECT_NE(std::string::npos, lines[0].find(" No backup was started.")) << lines[0];
  EXPECT_EQ(3, CountOf(lines, lines[0]));
  EXPECT_TRUE(Kept(&g_hStartButton).EnableCalls().empty());
}

TEST_F(WindowRunsTest, TheMenuEntryIsTheButtonAndRefusesWhileItIsGreyed) {
  test::GatedFileSystem gated;
  UseFileSystem(gated);
  OnCommand(*app_, Id(ControlId::kMenuStartBackup));
  gated.WaitUntilCopyWaiting();
  EXPECT_FALSE(Kept(&g_hStartButton).Enabled());
  OnCommand(*app_, Id(ControlId::kMenuStartBackup));
  OnCommand(*app_, Id(ControlId::kDryRun));
  gated.Open();
  ASSERT_TRUE(WaitForThreadsToEnd());
  const Lines lines = BackupLogLines();
  EXPECT_EQ(1, CountOf(lines, "Starting backup..."));
  EXPECT_EQ(2, CountOf(lines,
                       "A backup started from this window is still running; wait for it "
                       "to end."));
  EXPECT_EQ((std::vector<bool>{false, true}), Kept(&g_hStartButton).EnableCalls());
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));
}

TEST_F(WindowRunsTest, DryRunWritesNothingAndLogsWhatTheRealRunThenDoes) {
  test::WriteFile(ExcludesFile(), "/cache/\n");
  test::MakeDirs(dir_ / "dst");
  const auto before = test::RunnerFixture::Snapshot(dir_ / "dst");
  OnCommand(*app_, Id(ControlId::kDryRun));
  ASSERT_TRUE(WaitForThreadsToEnd());
  EXPECT_EQ(before, test::RunnerFixture::Snapshot(dir_ / "dst"));
  const Lines dry = BackupLogLines();
  ASSERT_GE(dry.size(), 2u);
  // As the runner's --dry-run says it.
  EXPECT_EQ("Dry run: nothing will be written.", dry.front());
  EXPECT_EQ("Dry run: nothing was written.", dry.back());
  EXPECT_EQ((std::vector<bool>{false, true}), Kept(&g_hStartButton).EnableCalls());

  OnCommand(*app_, Id(ControlId::kClearLog));
  OnCommand(*app_, Id(ControlId::kStartBackup));
  ASSERT_TRUE(WaitForThreadsToEnd());
  const Lines real = BackupLogLines();
  EXPECT_EQ(0, CountOf(real, "Dry run: nothing was written."));
  EXPECT_EQ(Decisions(real), Decisions(dry));
  EXPECT_EQ(1, CountOf(dry, "Found 2 files.")) << testing::PrintToString(dry);  // cache/ out
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));
  EXPECT_FALSE(test::Exists(dir_ / "dst/cache"));
}

class SchedulerExclusionsTest : public test::AppFixture {
 protected:
  SchedulerExclusionsTest() {
    Create();
    test::WriteFile(dir_ / "src/a.txt", "alpha");
    test::WriteFile(dir_ / "src/cache/big.bin", "cached");
    g_settings.sourceDir = dir_ / "src";
    g_settings.targetDir = dir_ / "dst";
    Kept(&g_hIntervalEdit).Type("1");
  }
};

TEST_F(SchedulerExclusionsTest, ScheduledRunsLeaveTheFilesPatternsOut) {
  test::WriteFile(dir_ / "backup_excludes.txt", "cache/\n");
  SetAutoBackup(*app_, true);
  clock_->WaitUntilHeld();
  clock_->RunFor(60000);
  clock_->WaitUntilHeld();
  EXPECT_EQ("alpha", test::ReadFile(dir_ / "dst/a.txt"));
  EXPECT_EQ((Lines{"a.txt"}), test::ListTree(dir_ / "dst"));
  StopScheduler();
}

TEST_F(SchedulerExclusionsTest, ExclusionsThatCannotBeUsedStartNoScheduler) {
  test::MakeDirs(dir_ / "backup_excludes.txt");
  SetAutoBackup(*app_, true);
  EXPECT_FALSE(g_autoBackupRunning);
  EXPECT_EQ((Lines{"The exclusions file " + dir_ / "backup_excludes.txt" +
                   " cannot be read: it is not a file. Automatic backup was not started."}),
            BackupLogLines());
}

}  // namespace
}  // namespace qs
