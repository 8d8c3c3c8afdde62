// What only POSIX file systems have: paths beyond PATH_MAX, pipes and error numbers.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "engine/backup_job.h"
#include "platform/file_system.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Seconds;

class PosixFileSystemTest : public ::testing::Test {
 protected:
  /// A directory whose path is longer than PATH_MAX (4096), made level by level.
  std::string MakeLongDirectory() {
    std::string path = dir_.path();
    const std::string level(200, 'x');
    while (path.size() < 5000) {
      path += "/" + level;
      EXPECT_EQ(MakeDirResult::Created, fs_.MakeDirectory(path)) << path.size();
    }
    return path;
  }

  FileSystem& fs_ = RealFileSystem();
  test::ScopedTempDir dir_;
};

TEST_F(PosixFileSystemTest, PathsLongerThanPathMaxWorkEverywhere) {
  const std::string deep = MakeLongDirectory();
  ASSERT_GT(deep.size(), 4096u);
  EXPECT_EQ(PathKind::Directory, fs_.Probe(deep));
  test::WriteFile(dir_ / "short", "data", Seconds(99));
  const std::string copy = deep + "/copy";
  ASSERT_TRUE(fs_.CopyReplacing(dir_ / "short", copy));
  EXPECT_EQ(Seconds(99), fs_.LastWriteTime(copy));
  ASSERT_TRUE(fs_.CopyReplacing(copy, dir_ / "back"));
  EXPECT_EQ("data", test::ReadFile(dir_ / "back"));
  DirListing listing;
  ASSERT_TRUE(fs_.ListDirectory(deep, &listing));
  ASSERT_EQ(1u, listing.entries.size());
  EXPECT_EQ("copy", listing.entries[0].name);
}

TEST_F(PosixFileSystemTest, ABackupReachesFilesBeyondPathMax) {
  const std::string deep = MakeLongDirectory();
  test::WriteFile(dir_ / "short", "deep data", Seconds(5));
  ASSERT_TRUE(fs_.CopyReplacing(dir_ / "short", deep + "/f"));
  const std::string target = dir_ / "target";
  BackupJob job(dir_.path(), target, nullptr, nullptr, false,
                test::TestServices(&fs_, &RealClock(), nullptr));
  job.RunBackup();
  EXPECT_EQ(0, job.counters.failed);
  EXPECT_EQ(2, job.counters.copied);  // "short" and the deep file
  const std::string copied = target + deep.substr(dir_.path().size()) + "/f";
  EXPECT_EQ(Seconds(5), fs_.LastWriteTime(copied));
}

TEST_F(PosixFileSystemTest, PipesAndSocketsAreNotFilesAndDoNotBlock) {
  ASSERT_EQ(0, system(("mkfifo '" + dir_ / "pipe" + "'").c_str()));
  DirListing listing;
  ASSERT_TRUE(fs_.ListDirectory(dir_.path(), &listing));
  ASSERT_EQ(1u, listing.entries.size());
  EXPECT_EQ(EntryKind::Special, listing.entries[0].kind);
  EXPECT_FALSE(fs_.CopyReplacing(dir_ / "pipe", dir_ / "copy"));  // returns, never waits
  EXPECT_EQ(static_cast<uint32_t>(EINVAL), fs_.LastErrorCode());
}

TEST_F(PosixFileSystemTest, ErrorCodesAreErrno) {
  EXPECT_FALSE(fs_.CopyReplacing(dir_ / "missing", dir_ / "x"));
  EXPECT_EQ(static_cast<uint32_t>(ENOENT), fs_.LastErrorCode());
  test::WriteFile(dir_ / "file", "");
  EXPECT_FALSE(fs_.CopyReplacing(dir_ / "file", dir_ / "file/below"));
  EXPECT_EQ(static_cast<uint32_t>(ENOTDIR), fs_.LastErrorCode());
  EXPECT_EQ(MakeDirResult::AlreadyExists, fs_.MakeDirectory(dir_ / "file"));
  EXPECT_EQ(static_cast<uint32_t>(EEXIST), fs_.LastErrorCode());
}

TEST_F(PosixFileSystemTest, DanglingLinksAndLinkLoopsAreToldApart) {
  std::filesystem::create_symlink(dir_ / "nowhere", dir_ / "dangling");
  std::filesystem::create_symlink(dir_ / "loop", dir_ / "loop");
  std::filesystem::create_symlink(dir_ / "target", dir_ / "link");
  test::WriteFile(dir_ / "target", "x", Seconds(5));
  DirListing listing;
  ASSERT_TRUE(fs_.ListDirectory(dir_.path(), &listing));
  std::sort(listing.entries.begin(), listing.entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  ASSERT_EQ(4u, listing.entries.size());
  EXPECT_EQ(EntryKind::DanglingLink, listing.entries[0].kind);  // dangling
  EXPECT_EQ(EntryKind::File, listing.entries[1].kind);          // link, followed
  EXPECT_EQ(Seconds(5), listing.entries[1].lastWrite);
  EXPECT_EQ(EntryKind::DanglingLink, listing.entries[2].kind);  // loop
  EXPECT_EQ(EntryKind::File, listing.entries[3].kind);          // target
}

}  // namespace
}  // namespace qs
