// The removal of a whole folder, on real temporary trees: everything goes and is counted,
// what cannot go is named, and another file system inside is never entered.
#include "engine/tree_removal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <set>

#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;

/// Lets the test refuse the removal of chosen paths, and make folders look mounted: on
/// another device, or the root of a mount of the same device.
class RemovalFileSystem : public test::ForwardingFileSystem {
 public:
  bool RemoveFile(const std::string& path) override {
    if (refuse && refuse(path)) return Refused();
    return Kept(real_.RemoveFile(path));
  }
  bool RemoveDirectory(const std::string& path) override {
    if (refuse && refuse(path)) return Refused();
    return Kept(real_.RemoveDirectory(path));
  }
  bool IdentifyDirectory(const std::string& path, DirectoryId* id) override {
    if (unidentifiable.count(path) != 0) return Refused();
    if (!real_.IdentifyDirectory(path, id)) return false;
    if (otherDevice.count(path) != 0) id->device += 1;
    return true;
  }
  bool IsMountRoot(const std::string& path) override {
    return mountRoots.count(path) != 0 || real_.IsMountRoot(path);
  }
  uint32_t LastErrorCode() override { return last_error_; }

  std::function<bool(const std::string&)> refuse;
  std::set<std::string> otherDevice, mountRoots, unidentifiable;

 private:
  bool Refused() {
    last_error_ = 13;
    return false;
  }
  bool Kept(bool done) {
    if (!done) last_error_ = real_.LastErrorCode();
    return done;
  }
  uint32_t last_error_ = 0;
};

class TreeRemovalTest : public ::testing::Test {
 protected:
  std::string Dst(const std::string& p) { return dir_ / ("dst/" + p); }

  test::ScopedTempDir dir_;
  RemovalFileSystem fs_;
};

TEST_F(TreeRemovalTest, RemovesEverythingAndCountsTheBytes) {
  const std::string root = Dst("backup_20250101_000000");
  test::WriteFile(root + Native("/README.txt"), "12345");
  test::WriteFile(root + Native("/a/b/c.txt"), "1234567890");
  test::WriteFile(root + Native("/a/readonly.txt"), "123");
  test::MakeDirs(root + Native("/empty/deeper"));
  std::filesystem::permissions(root + Native("/a/readonly.txt"),
                               std::filesystem::perms::owner_read);
  test::WriteFile(Dst("beside.txt"), "stays");
  const Removal removal = RemoveTree(fs_, root);
  EXPECT_TRUE(removal.Complete()) << removal.failed;
  EXPECT_EQ(18u, removal.bytes);
  EXPECT_FALSE(test::Exists(root));
  EXPECT_EQ(std::vector<std::string>{"beside.txt"}, test::ListTree(dir_ / "dst"));
}

TEST_F(TreeRemovalTest, RemovesWhatItCanAndNamesWhatItCouldNot) {
  const std::string root = Dst("old");
  test::WriteFile(root + Native("/a/keep.txt"), "1234");
  test::WriteFile(root + Native("/a/go.txt"), "12");
  test::WriteFile(root + Native("/z.txt"), "123");
  const std::string refused = root + Native("/a/keep.txt");
  fs_.refuse = [&](const std::string& p) { return p == refused; };
  Removal removal = RemoveTree(fs_, root);
  EXPECT_FALSE(removal.Complete());
  EXPECT_EQ(refused, removal.failed);
  EXPECT_EQ(13u, removal.code);
  EXPECT_EQ(5u, removal.bytes);  // only what went
  // Everything else is gone; the folders that still hold something stay.
  EXPECT_EQ(std::vector<std::string>{"a/keep.txt"}, test::ListTree(root));
  EXPECT_FALSE(test::Exists(root + Native("/z.txt")));

  // A folder that cannot be removed after all its content went is named too.
  fs_.refuse = [&](const std::string& p) { return p == root; };
  removal = RemoveTree(fs_, root);
  EXPECT_EQ(root, removal.failed);
  EXPECT_EQ(4u, removal.bytes);
  EXPECT_TRUE(test::ListTree(root).empty());

  fs_.refuse = nullptr;
  EXPECT_TRUE(RemoveTree(fs_, root).Complete());
  EXPECT_FALSE(test::Exists(root));
  // Nothing there: nothing removed, and said so.
  removal = RemoveTree(fs_, root);
  EXPECT_EQ(root, removal.failed);
  EXPECT_NE(0u, removal.code);
}

TEST_F(TreeRemovalTest, AnotherFileSystemInsideIsLeftWholeAndNamed) {
  const std::string root = Dst("backup_20250101_000000");
  test::WriteFile(root + Native("/README.txt"), "12345");
  test::WriteFile(root + Native("/usb/photos/p.jpg"), "precious");
  test::WriteFile(root + Native("/bound/notes.txt"), "also precious");
  test::WriteFile(root + Native("/sub/mine.txt"), "12");
  const std::string usb = root + Native("/usb");
  const std::string bound = root + Native("/bound");
  fs_.otherDevice = {usb};   // a disk mounted there
  fs_.mountRoots = {bound};  // a bind mount of a folder of the same device
  const Removal removal = RemoveTree(fs_, root);
  EXPECT_FALSE(removal.Complete());
  std::vector<std::string> mounted = removal.mounted;
  std::sort(mounted.begin(), mounted.end());
  EXPECT_EQ((std::vector<std::string>{bound, usb}), mounted);
  EXPECT_EQ("", removal.failed);  // nothing failed: the places were not touched
  EXPECT_EQ("precious", test::ReadFile(usb + Native("/photos/p.jpg")));
  EXPECT_EQ("also precious", test::ReadFile(bound + Native("/notes.txt")));
  EXPECT_EQ((std::vector<std::string>{"bound/notes.txt", "usb/photos/p.jpg"}),
            test::ListTree(root));
  EXPECT_EQ(7u, removal.bytes);  // README and mine.txt went

  // A folder that cannot be looked at is a failure, not a mount.
  fs_.otherDevice.clear();
  fs_.mountRoots.clear();
  fs_.unidentifiable = {usb, bound};
  const Removal unknown = RemoveTree(fs_, root);
  EXPECT_TRUE(unknown.mounted.empty());
  EXPECT_TRUE(unknown.failed == usb || unknown.failed == bound) << unknown.failed;
  EXPECT_EQ(13u, unknown.code);
  fs_.unidentifiable.clear();

  // A folder that is itself mounted is not entered at all.
  fs_.otherDevice.clear();
  fs_.mountRoots = {root};
  const Removal top = RemoveTree(fs_, root);
  EXPECT_EQ(std::vector<std::string>{root}, top.mounted);
  EXPECT_EQ(2u, test::ListTree(root).size());
}

}  // namespace
}  // namespace qs
