// The scan over symbolic links, which only POSIX file systems give every user: links are
// followed, and no directory is entered twice.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "engine/backup_job.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

class SourceScanLinkTest : public ::testing::Test {
 protected:
  std::vector<std::string> SortedScan(const std::string& source) {
    BackupJob job(source, "", nullptr, nullptr, false);
    FileList list;
    job.ScanSource(job.sourceRoot, list);
    std::vector<std::string> paths;
    for (const ListedFile& file : list) paths.push_back(file.path);
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  test::ScopedTempDir dir_;
};

TEST_F(SourceScanLinkTest, ALinkCycleIsEnteredOnce) {
  test::WriteFile(dir_ / "src/a/f", "");
  std::filesystem::create_directory_symlink(dir_ / "src", dir_ / "src/a/back");
  std::filesystem::create_directory_symlink(dir_ / "src/a", dir_ / "src/a/self");
  EXPECT_EQ(std::vector<std::string>{dir_ / "src/a/f"}, SortedScan(dir_ / "src"));
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
