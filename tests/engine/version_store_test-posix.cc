// The store over symbolic links, which only POSIX file systems give every user: a link cycle
// inside a target ends at once, and a removal takes links away without following them.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/tree_removal.h"
#include "engine/version_store.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Seconds;

class VersionStoreLinkTest : public ::testing::Test {
 protected:
  std::string Dst(const std::string& p) { return dir_ / ("dst/" + p); }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
};

TEST_F(VersionStoreLinkTest, ALinkCycleInsideTheTargetEndsAtOnce) {
  test::WriteFile(Dst("sub/a.txt"), "current", Seconds(3000));
  test::WriteFile(Dst("backup_20250101_000000/README.txt"), "readme");
  test::WriteFile(Dst("backup_20250101_000000/sub/a.txt"), "old", Seconds(1000));
  std::filesystem::create_directory_symlink(Dst("sub"), Dst("sub/again"));
  std::filesystem::create_directory_symlink(dir_ / "dst", Dst("sub/root"));
  std::filesystem::create_directory_symlink(Dst("backup_20250101_000000/sub"),
                                            Dst("backup_20250101_000000/sub/self"));
  const std::string target = dir_ / "dst/";
  const auto versions = ListVersionFolders(fs_, target);
  ASSERT_EQ(1u, versions.size());
  Unreadable unreadable;
  const auto copies = KeptCopies(fs_, target, versions, &unreadable);
  EXPECT_TRUE(unreadable.empty());
  ASSERT_EQ(1u, copies.count("sub/a.txt"));
  EXPECT_EQ(2u, copies.at("sub/a.txt").size());
  for (const auto& [relative, list] : copies) {
    EXPECT_EQ(std::string::npos, relative.find("again/")) << relative;
    EXPECT_EQ(std::string::npos, relative.find("self/")) << relative;
  }
}

TEST_F(VersionStoreLinkTest, ALinkedFolderIsNoVersionAndRemovalNeverFollowsALink) {
  test::WriteFile(dir_ / "elsewhere/README.txt", "readme");
  test::WriteFile(dir_ / "elsewhere/precious.txt", "keep me");
  test::MakeDirs(dir_ / "dst");
  std::filesystem::create_directory_symlink(dir_ / "elsewhere", Dst("backup_20250101_000000"));
  EXPECT_TRUE(ListVersionFolders(fs_, dir_ / "dst/").empty());

  test::WriteFile(Dst("old/a.txt"), "12");
  std::filesystem::create_directory_symlink(dir_ / "elsewhere", Dst("old/folder-link"));
  std::filesystem::create_symlink(dir_ / "elsewhere/precious.txt", Dst("old/file-link"));
  std::filesystem::create_symlink(dir_ / "nowhere", Dst("old/dangling"));
  const Removal removal = RemoveTree(fs_, Dst("old"));
  EXPECT_TRUE(removal.Complete()) << removal.failed;
  EXPECT_EQ(2u, removal.bytes);  // links count for nothing
  EXPECT_FALSE(test::Exists(Dst("old")));
  EXPECT_EQ("keep me", test::ReadFile(dir_ / "elsewhere/precious.txt"));
  EXPECT_EQ((std::vector<std::string>{"README.txt", "precious.txt"}),
            test::ListTree(dir_ / "elsewhere"));
}

}  // namespace
}  // namespace qs
