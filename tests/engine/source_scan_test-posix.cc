// The scan over symbolic links, which only POSIX file systems give every user: links are
// followed, a directory reached by two paths is listed under both, and only a directory that
// is its own ancestor is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "engine/backup_job.h"
#include "tests/support/backup_logs.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

class SourceScanLinkTest : public ::testing::Test {
 protected:
  std::vector<std::string> SortedScan(const std::string& source) {
    console_.str("");
    test::BackupLogs logs(nullptr, nullptr, clock_, &console_);
    BackupJob job(fs_, clock_, BackupOptions::Of(source, "", false), logs);
    FileList list;
    job.ScanSource(job.options.sourceRoot, list);
    std::vector<std::string> paths;
    for (const ListedFile& file : list) paths.push_back(file.path);
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
};

TEST_F(SourceScanLinkTest, LinksBackToTheRootOrAnAncestorEndAtOnce) {
  test::WriteFile(dir_ / "src/a/f", "");
  std::filesystem::create_directory_symlink(dir_ / "src", dir_ / "src/a/back");
  std::filesystem::create_directory_symlink(dir_ / "src/a", dir_ / "src/a/self");
  std::filesystem::create_directory_symlink("..", dir_ / "src/a/parent");
  std::filesystem::create_directory_symlink(".", dir_ / "src/dot");
  EXPECT_EQ(std::vector<std::string>{dir_ / "src/a/f"}, SortedScan(dir_ / "src"));
}

TEST_F(SourceScanLinkTest, ADirectoryReachedByTwoPathsIsListedUnderBoth) {
  test::WriteFile(dir_ / "src/releases/v2/app", "");
  std::filesystem::create_directory_symlink("releases/v2", dir_ / "src/current");
  // Whichever the system lists first, both paths are in the backup.
  EXPECT_EQ((std::vector<std::string>{dir_ / "src/current/app", dir_ / "src/releases/v2/app"}),
            SortedScan(dir_ / "src"));
}

TEST_F(SourceScanLinkTest, AChainOfThirtyLinksIsFollowedToTheEnd) {
  test::WriteFile(dir_ / "src/real/f", "");
  std::filesystem::create_directory_symlink("real", dir_ / "src/l30");
  for (int i = 29; i >= 1; --i)
    std::filesystem::create_directory_symlink("l" + std::to_string(i + 1),
                                              dir_ / ("src/l" + std::to_string(i)));
  const std::vector<std::string> paths = SortedScan(dir_ / "src");
  EXPECT_EQ(31u, paths.size());
  EXPECT_NE(paths.end(), std::find(paths.begin(), paths.end(), dir_ / "src/l1/f"));
}

TEST_F(SourceScanLinkTest, ADanglingLinkIsLeftOutWithOneLineUntilItsTargetExists) {
  test::WriteFile(dir_ / "src/f", "");
  std::filesystem::create_symlink(dir_ / "src/later", dir_ / "src/lock");
  std::filesystem::create_symlink("loop", dir_ / "src/loop");
  EXPECT_EQ(std::vector<std::string>{dir_ / "src/f"}, SortedScan(dir_ / "src"));
  const std::string out = console_.str();
  EXPECT_NE(std::string::npos, out.find("] Dangling link left out: " + dir_ / "src/lock\n"));
  EXPECT_NE(std::string::npos, out.find("] Dangling link left out: " + dir_ / "src/loop\n"));
  test::WriteFile(dir_ / "src/later", "");
  EXPECT_EQ((std::vector<std::string>{dir_ / "src/f", dir_ / "src/later", dir_ / "src/lock"}),
            SortedScan(dir_ / "src"));
  EXPECT_EQ(std::string::npos, console_.str().find("left out: " + dir_ / "src/lock"));
}

TEST_F(SourceScanLinkTest, ALinkToADirectoryOutsideIsFollowed) {
  test::WriteFile(dir_ / "outside/o", "");
  test::WriteFile(dir_ / "src/f", "");
  std::filesystem::create_directory_symlink(dir_ / "outside", dir_ / "src/link");
  EXPECT_EQ((std::vector<std::string>{dir_ / "src/f", dir_ / "src/link/o"}),
            SortedScan(dir_ / "src"));
}

}  // namespace
}  // namespace qs
