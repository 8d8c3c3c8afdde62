// Version directories, their README and the saving of old copies.
#include "engine/time_versioning.h"

#include <gtest/gtest.h>

#include <sstream>

#include "engine/backup_job.h"
#include "os/error_text.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;
using test::PaneLines;
using test::WithoutStamps;

class TimeVersioningTest : public test::JobFixture {
 protected:
  TimeVersioningTest() : JobFixture(true) {}
};

TEST_F(TimeVersioningTest, DirectoryGetsAReadmeAndALogLine) {
  const std::string version = dir_ / "dst/backup_20250131_080000";
  ASSERT_TRUE(job_.CreateVersionDirectory(version));
  // Read as text: the system's own line end stands for each "\n".
  const std::string readme = test::ReadTextFile(version + kPathSeparator + "README.txt");
  EXPECT_EQ(
      "Time Version Backup\nCreated: 2025-01-31 08:00:00.000\nSource: " + dir_ / "src/" + "\n",
      readme);
  EXPECT_EQ(std::vector<std::string>{"Time version directory created: " + version}, BackupLog());
}

TEST_F(TimeVersioningTest, AnExistingFolderIsNeverSharedNorItsReadmeRewritten) {
  // Another run made it within the same second: its old copies are its own.
  const std::string version = dir_ / "dst/backup_x";
  test::WriteFile(version + kPathSeparator + "README.txt", "older readme");
  EXPECT_FALSE(job_.CreateVersionDirectory(version));
  EXPECT_EQ("older readme", test::ReadFile(version + kPathSeparator + "README.txt"));
  const std::vector<std::string> log = BackupLog();
  ASSERT_EQ(1u, log.size());
  const std::string prefix = "Failed to create time version directory: " + version + " Error: ";
  EXPECT_EQ(prefix, log[0].substr(0, prefix.size()));
  EXPECT_NE(prefix + "0", log[0]);
}

TEST_F(TimeVersioningTest, AReadmeThatCannotBeWrittenStillCountsAsMade) {
  const std::string version = dir_ / "dst/backup_x";
  fs_.failWriteOf = [](const std::string& path) {
    return path.find("README.txt") != std::string::npos;
  };
  EXPECT_TRUE(job_.CreateVersionDirectory(version));
  EXPECT_FALSE(test::Exists(version + kPathSeparator + "README.txt"));
  EXPECT_EQ(std::vector<std::string>{"Time version directory created: " + version}, BackupLog());
}

TEST_F(TimeVersioningTest, AFolderWhoseNameCannotBeMadeDurableIsNotMade) {
  const std::string version = dir_ / "dst/backup_x";
  fs_.failFlushOf = [&](const std::string& path) { return path == version; };
  fs_.code = 30;
  EXPECT_FALSE(job_.CreateVersionDirectory(version));
  EXPECT_EQ(std::vector<std::string>{"Failed to create time version directory: " + version + " " +
                                     ErrorCodeText(30)},
            BackupLog());
}

TEST_F(TimeVersioningTest, ADirectoryThatCannotBeMadeIsReportedWithItsCode) {
  fs_.failMakeDirectory = [](const std::string&) { return true; };
  fs_.code = 13;
  const std::string version = dir_ / "dst/backup_x";
  EXPECT_FALSE(job_.CreateVersionDirectory(version));
  EXPECT_EQ(std::vector<std::string>{"Failed to create time version directory: " + version + " " +
                                     ErrorCodeText(13)},
            BackupLog());
}

TEST_F(TimeVersioningTest, ATakenNameWaitsForTheNextSecondsName) {
  const std::string taken = dir_ / "dst/backup_20250131_080000";
  test::WriteFile(taken + kPathSeparator + "a", "another run's");
  clock_.Advance(400 * 1000000);  // 08:00:00.400
  const int64_t before = clock_.MonotonicNanos();
  VersionFolder folder(fs_, clock_, dir_ / "dst/", dir_ / "src/");
  ASSERT_TRUE(folder.Ensure());
  EXPECT_EQ(dir_ / "dst/backup_20250131_080001", folder.Path());
  EXPECT_EQ(600 * 1000000, clock_.MonotonicNanos() - before);  // up to the next second, no more
  EXPECT_TRUE(test::Exists(folder.Path() + kPathSeparator + "README.txt"));
  EXPECT_EQ((std::vector<std::string>{"a"}), test::ListTree(taken));
  EXPECT_TRUE(folder.Ensure());  // made once
  EXPECT_EQ(dir_ / "dst/backup_20250131_080001", folder.Path());
}

TEST_F(TimeVersioningTest, WhenAFewNamesInARowAreTakenTheRunHasNoFolder) {
  for (int second = 0; second < 4; ++second)  // files, not folders: a name is a name
    test::WriteFile(dir_ / ("dst/backup_20250131_08000" + std::to_string(second)), "x");
  VersionFolder folder(fs_, clock_, dir_ / "dst/", dir_ / "src/");
  EXPECT_FALSE(folder.Ensure());
  EXPECT_EQ(dir_ / "dst/backup_20250131_080003", folder.Path());
  EXPECT_NE(0u, folder.ErrorCode());
  EXPECT_EQ(4u, test::ListTree(dir_ / "dst").size());  // nothing made, nothing written over
  EXPECT_EQ("x", test::ReadFile(dir_ / "dst/backup_20250131_080000"));
}

TEST_F(TimeVersioningTest, SaveOldVersionCopiesTheTargetCopyUnderItsRelativePath) {
  test::WriteFile(dir_ / "dst/sub/a.txt", "old", test::Seconds(100));
  job_.results.versionDir = dir_ / "dst/backup_x";
  ASSERT_TRUE(job_.SaveOldVersion(dir_ / "dst/sub/a.txt", Native("/sub/a.txt")));
  EXPECT_EQ("old", test::ReadFile(dir_ / "dst/backup_x/sub/a.txt"));
  EXPECT_EQ(test::Seconds(100), test::RealFs().LastWriteTime(dir_ / "dst/backup_x/sub/a.txt"));
  EXPECT_EQ(1, job_.results.counters.timeVersioned);
  EXPECT_EQ((std::vector<std::string>{"[TIME VERSION] " + dir_ / "dst/sub/a.txt",
                                      "Time version created: " + Native("sub/a.txt")}),
            BackupLog());
  EXPECT_EQ(std::vector<std::string>{"[TIME VERSION] " + dir_ / "dst/sub/a.txt"},
            PaneLines(file_pane_.Text()));
}

TEST_F(TimeVersioningTest, SaveOldVersionNeedsTheSwitchAndTheDirectory) {
  test::WriteFile(dir_ / "dst/a.txt", "old");
  EXPECT_FALSE(job_.SaveOldVersion(dir_ / "dst/a.txt", "a.txt"));  // no versionDir yet
  BackupJob unversioned(fs_, clock_, BackupOptions::Of(dir_ / "src", dir_ / "dst", false), logs_);
  unversioned.results.versionDir = dir_ / "dst/backup_x";
  EXPECT_FALSE(unversioned.SaveOldVersion(dir_ / "dst/a.txt", "a.txt"));
  EXPECT_EQ("", backup_pane_.Text());
  EXPECT_EQ(0, job_.results.counters.timeVersioned + unversioned.results.counters.timeVersioned);
  EXPECT_TRUE(fs_.copies.empty());
}

TEST_F(TimeVersioningTest, SaveOldVersionNeverWritesOverASavedCopy) {
  test::WriteFile(dir_ / "dst/a.txt", "newer");
  test::WriteFile(dir_ / "dst/backup_x/a.txt", "kept");
  job_.results.versionDir = dir_ / "dst/backup_x";
  EXPECT_FALSE(job_.SaveOldVersion(dir_ / "dst/a.txt", "a.txt"));
  EXPECT_EQ("kept", test::ReadFile(dir_ / "dst/backup_x/a.txt"));
  EXPECT_EQ((std::vector<std::string>{"a.txt"}), test::ListTree(dir_ / "dst/backup_x"));
  EXPECT_EQ(std::vector<std::string>{"[TIME VERSION FAILED] " + dir_ / "dst/a.txt"}, BackupLog());
}

TEST_F(TimeVersioningTest, AFailedSaveIsReportedWithoutReason) {
  test::WriteFile(dir_ / "dst/a.txt", "old");
  job_.results.versionDir = dir_ / "dst/backup_x";
  fs_.failCopyTo = [](const std::string&) { return true; };
  EXPECT_FALSE(job_.SaveOldVersion(dir_ / "dst/a.txt", "a.txt"));
  EXPECT_EQ(std::vector<std::string>{"[TIME VERSION FAILED] " + dir_ / "dst/a.txt"}, BackupLog());
  EXPECT_EQ("", file_pane_.Text());
  EXPECT_EQ(0, job_.results.counters.timeVersioned);
}

}  // namespace
}  // namespace qs
