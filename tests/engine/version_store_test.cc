// A target as a store of kept copies, on real temporary trees: which folders are versions,
// every kept copy of each file, in the order the backup held them.
#include "engine/version_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "os/clock.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;
using test::Seconds;

class VersionStoreTest : public ::testing::Test {
 protected:
  std::string Target() { return dir_ / "dst/"; }
  std::string Dst(const std::string& p) { return dir_ / ("dst/" + p); }

  /// A version folder as a run leaves it: the folder and its README.
  void MakeVersion(const std::string& name) {
    test::WriteFile(Dst(name + "/README.txt"), "Time Version Backup\n");
  }

  std::vector<std::string> VersionNames() {
    std::vector<std::string> names;
    for (const StoredVersion& version : ListVersionFolders(fs_, Target())) {
      EXPECT_EQ(Dst(version.name), version.path);
      names.push_back(version.name);
    }
    return names;
  }

  /// "folder@seconds" for each copy, in the order given; "" stands for the current copy.
  static std::vector<std::string> Describe(const std::vector<KeptCopy>& copies) {
    std::vector<std::string> text;
    for (const KeptCopy& copy : copies)
      text.push_back(copy.folder + "@" + std::to_string(copy.lastWrite.seconds));
    return text;
  }

  std::map<std::string, std::vector<KeptCopy>> AllCopies() {
    unreadable_.clear();
    return KeptCopies(fs_, Target(), ListVersionFolders(fs_, Target()), &unreadable_);
  }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
  Unreadable unreadable_;
};

TEST_F(VersionStoreTest, OnlyDatedFoldersWithTheirReadmeDirectlyInTheTargetAreVersions) {
  MakeVersion("backup_20250131_080000");
  MakeVersion("backup_20240229_235960");  // a leap day, and a leap second
  for (const char* look_alike :
       {"backup_20251340_250000", "backup_20250230_120000", "backup_20250131_240000",
        "backup_2025013_080000", "backup_20250131_0800000", "Backup_20250131_080000",
        "backup-20250131_080000", "backup_20250131-080000", "backup_2025013a_080000",
        ".qs-removing-backup_20250131_090000", "sub/backup_20250131_100000"})
    MakeVersion(look_alike);
  test::MakeDirs(Dst("backup_20250131_110000"));             // no README
  test::MakeDirs(Dst("backup_20250131_120000/README.txt"));  // a folder in the README's place
  test::WriteFile(Dst("backup_20250131_130000"), "a file, not a folder");
  EXPECT_EQ((std::vector<std::string>{"backup_20240229_235960", "backup_20250131_080000"}),
            VersionNames());
}

TEST_F(VersionStoreTest, VersionsComeOldestFirstWhateverTheListingOrder) {
  for (const char* name : {"backup_20250131_080000", "backup_20230101_000000",
                           "backup_20250131_075959", "backup_20241231_235959"})
    MakeVersion(name);
  EXPECT_EQ((std::vector<std::string>{"backup_20230101_000000", "backup_20241231_235959",
                                      "backup_20250131_075959", "backup_20250131_080000"}),
            VersionNames());
}

TEST_F(VersionStoreTest, AMissingOrUnlistableTargetHoldsNoVersions) {
  EXPECT_TRUE(ListVersionFolders(fs_, dir_ / "nowhere/").empty());
  MakeVersion("backup_20250131_080000");
  fs_.failListDirectory = [this](const std::string& p) { return p == Target(); };
  EXPECT_TRUE(VersionNames().empty());
}

TEST_F(VersionStoreTest, EveryKeptCopyOfEachFileTheCurrentFirstThenTheLatestReplaced) {
  test::WriteFile(Dst("a.txt"), "current a", Seconds(3000));
  test::WriteFile(Dst("sub/deep/b.txt"), "current b", Seconds(3000));
  test::WriteFile(Dst("only-current.txt"), "c", Seconds(500));
  MakeVersion("backup_20250101_000000");
  test::WriteFile(Dst("backup_20250101_000000/a.txt"), "a 1", Seconds(1000));
  test::WriteFile(Dst("backup_20250101_000000/sub/deep/b.txt"), "b 1", Seconds(1000));
  MakeVersion("backup_20250201_000000");
  test::WriteFile(Dst("backup_20250201_000000/a.txt"), "a 2", Seconds(2000));
  test::WriteFile(Dst("backup_20250201_000000/gone.txt"), "deleted from the source", Seconds(1500));
  // A README below the top of a version folder is a file that was backed up.
  test::WriteFile(Dst("backup_20250201_000000/sub/README.txt"), "the user's", Seconds(1200));

  const auto copies = AllCopies();
  EXPECT_TRUE(unreadable_.empty());
  std::vector<std::string> files;
  for (const auto& [relative, list] : copies) files.push_back(relative);
  // No version folder's README, and no version folder seen as part of the current tree.
  EXPECT_EQ((std::vector<std::string>{"a.txt", "gone.txt", "only-current.txt",
                                      Native("sub/README.txt"), Native("sub/deep/b.txt")}),
            files);
  EXPECT_EQ((std::vector<std::string>{"@3000", "backup_20250201_000000@2000",
                                      "backup_20250101_000000@1000"}),
            Describe(copies.at("a.txt")));
  EXPECT_EQ((std::vector<std::string>{"@3000", "backup_20250101_000000@1000"}),
            Describe(copies.at(Native("sub/deep/b.txt"))));
  EXPECT_EQ((std::vector<std::string>{"backup_20250201_000000@1500"}),
            Describe(copies.at("gone.txt")));
  const KeptCopy& oldest = copies.at("a.txt").back();
  EXPECT_EQ(Dst("backup_20250101_000000/a.txt"), oldest.path);
  EXPECT_EQ(3u, oldest.size);
  EXPECT_EQ(Dst("a.txt"), copies.at("a.txt").front().path);
}

TEST_F(VersionStoreTest, CopiesComeInTheOrderTheBackupHeldThemWhateverTheirTimes) {
  // The current copy is an older download moved in over a newer file.
  test::WriteFile(Dst("a.txt"), "download", Seconds(1000));
  MakeVersion("backup_20250101_000000");
  test::WriteFile(Dst("backup_20250101_000000/a.txt"), "first", Seconds(500));
  MakeVersion("backup_20250201_000000");
  test::WriteFile(Dst("backup_20250201_000000/a.txt"), "newer", Seconds(2000));
  const auto copies = AllCopies();
  EXPECT_EQ((std::vector<std::string>{"@1000", "backup_20250201_000000@2000",
                                      "backup_20250101_000000@500"}),
            Describe(copies.at("a.txt")));
  int64_t february = 0;
  ASSERT_TRUE(FromLocalTime({2025, 2, 1, 0, 0, 0}, &february));
  EXPECT_FALSE(copies.at("a.txt")[0].replaced);
  EXPECT_EQ(Seconds(february), copies.at("a.txt")[1].replaced);
  EXPECT_EQ(Describe(copies.at("a.txt")),
            Describe(KeptCopiesOf(fs_, Target(), ListVersionFolders(fs_, Target()), "a.txt")));
}

TEST_F(VersionStoreTest, LookAlikesAndLeftoversOfARemovalAreNoCopies) {
  test::WriteFile(Dst("a.txt"), "current", Seconds(3000));
  MakeVersion("backup_20250101_000000");
  test::WriteFile(Dst("backup_20250101_000000/a.txt"), "old", Seconds(1000));
  // A removal cut short leaves its folder renamed aside: what it holds is going, not kept.
  MakeVersion(".qs-removing-backup_20240101_000000");
  test::WriteFile(Dst(".qs-removing-backup_20240101_000000/a.txt"), "going", Seconds(900));
  // Folders of the source that only look like those are part of the current tree.
  test::WriteFile(Dst("backup_20251340_250000/x.txt"), "a user's folder", Seconds(800));
  test::WriteFile(Dst(".qs-removing-notes/y.txt"), "a user's folder", Seconds(800));

  const auto copies = AllCopies();
  std::vector<std::string> files;
  for (const auto& [relative, list] : copies) files.push_back(relative);
  EXPECT_EQ((std::vector<std::string>{Native(".qs-removing-notes/y.txt"), "a.txt",
                                      Native("backup_20251340_250000/x.txt")}),
            files);
  EXPECT_EQ((std::vector<std::string>{"@3000", "backup_20250101_000000@1000"}),
            Describe(copies.at("a.txt")));
}

TEST_F(VersionStoreTest, TheCopiesOfOneFileAreFoundWithoutAWalk) {
  test::WriteFile(Dst("sub/a.txt"), "current", Seconds(3000));
  MakeVersion("backup_20250101_000000");
  test::WriteFile(Dst("backup_20250101_000000/sub/a.txt"), "old", Seconds(1000));
  MakeVersion("backup_20250201_000000");  // holds no copy of it
  MakeVersion("backup_20250301_000000");
  test::WriteFile(Dst("backup_20250301_000000/sub/a.txt"), "newer", Seconds(2000));
  const auto versions = ListVersionFolders(fs_, Target());
  EXPECT_EQ((std::vector<std::string>{"@3000", "backup_20250301_000000@2000",
                                      "backup_20250101_000000@1000"}),
            Describe(KeptCopiesOf(fs_, Target(), versions, Native("sub/a.txt"))));
  EXPECT_TRUE(KeptCopiesOf(fs_, Target(), versions, "never.txt").empty());
  // A folder of that name is no copy.
  EXPECT_TRUE(KeptCopiesOf(fs_, Target(), versions, "sub").empty());
}

TEST_F(VersionStoreTest, UnreadableFoldersAreNamedAndTheRestIsStillFound) {
  test::WriteFile(Dst("a.txt"), "current", Seconds(3000));
  test::WriteFile(Dst("locked/b.txt"), "hidden", Seconds(3000));
  MakeVersion("backup_20250101_000000");
  test::WriteFile(Dst("backup_20250101_000000/a.txt"), "old", Seconds(1000));
  test::WriteFile(Dst("backup_20250101_000000/locked/b.txt"), "old hidden", Seconds(1000));
  MakeVersion("backup_20250201_000000");
  test::WriteFile(Dst("backup_20250201_000000/a.txt"), "old 2", Seconds(2000));
  const std::string locked = Dst("locked/");
  const std::string old_locked = Dst("backup_20250101_000000/locked/");
  const std::string whole_version = Dst("backup_20250201_000000/");
  fs_.failListDirectory = [&](const std::string& p) {
    return p == locked || p == old_locked || p == whole_version;
  };
  fs_.code = 13;
  const auto copies = AllCopies();
  EXPECT_EQ((Unreadable{{locked, 13}, {old_locked, 13}, {whole_version, 13}}), unreadable_);
  EXPECT_EQ((std::vector<std::string>{"@3000", "backup_20250101_000000@1000"}),
            Describe(copies.at("a.txt")));
  EXPECT_EQ(0u, copies.count(Native("locked/b.txt")));
}

}  // namespace
}  // namespace qs
