// What only the Windows file system has: error codes of KERNEL32, trailing backslashes that
// CreateDirectoryA accepts, drive letters, and a listing through FindFirstFileA.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/file_system.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Seconds;

constexpr uint32_t kFileNotFound = 2;     // ERROR_FILE_NOT_FOUND
constexpr uint32_t kPathNotFound = 3;     // ERROR_PATH_NOT_FOUND
constexpr uint32_t kAlreadyExists = 183;  // ERROR_ALREADY_EXISTS

class Win32FileSystemTest : public ::testing::Test {
 protected:
  FileSystem& fs_ = test::RealFs();
  test::ScopedTempDir dir_;
};

TEST_F(Win32FileSystemTest, TheSeparatorIsTheBackslash) { EXPECT_EQ('\\', kPathSeparator); }

TEST_F(Win32FileSystemTest, AnExistingDirectoryOrFileGivesErrorAlreadyExists) {
  ASSERT_EQ(MakeDirResult::Created, fs_.MakeDirectory(dir_ / "d"));
  EXPECT_EQ(MakeDirResult::AlreadyExists, fs_.MakeDirectory(dir_ / "d"));
  EXPECT_EQ(kAlreadyExists, fs_.LastErrorCode());
  EXPECT_EQ(MakeDirResult::AlreadyExists, fs_.MakeDirectory(dir_ / "d\\"));
  EXPECT_EQ(kAlreadyExists, fs_.LastErrorCode());
  test::WriteFile(dir_ / "f", "a file");
  EXPECT_EQ(MakeDirResult::AlreadyExists, fs_.MakeDirectory(dir_ / "f"));
  EXPECT_EQ(kAlreadyExists, fs_.LastErrorCode());
  EXPECT_EQ(MakeDirResult::Failed, fs_.MakeDirectory(dir_ / "missing/d"));
  EXPECT_EQ(kPathNotFound, fs_.LastErrorCode());
}

TEST_F(Win32FileSystemTest, PathsWithATrailingBackslashAreDirectories) {
  EXPECT_EQ(MakeDirResult::Created, fs_.MakeDirectory(dir_ / "new\\"));
  EXPECT_EQ(PathKind::Directory, fs_.Probe(dir_ / "new\\"));
  test::WriteFile(dir_ / "new/f", "x", Seconds(50));
  DirListing listing;
  ASSERT_TRUE(fs_.ListDirectory(dir_ / "new\\", &listing));
  ASSERT_EQ(1u, listing.entries.size());
  EXPECT_EQ("f", listing.entries[0].name);
  EXPECT_EQ(Seconds(50), listing.entries[0].lastWrite);
}

TEST_F(Win32FileSystemTest, ListingTimesAreFindDataTimesSince1970) {
  // Before 1970, on 1970-01-01 and at the 100 ns step: the offset from 1601 is exact.
  test::WriteFile(dir_ / "d/old", "", test::At(-86400, 100));
  test::WriteFile(dir_ / "d/epoch", "", Seconds(1));
  test::WriteFile(dir_ / "d/recent", "", test::At(1738310709, 1234500));
  DirListing listing;
  ASSERT_TRUE(fs_.ListDirectory(dir_ / "d", &listing));
  std::sort(listing.entries.begin(), listing.entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  ASSERT_EQ(3u, listing.entries.size());
  EXPECT_EQ(Seconds(1), listing.entries[0].lastWrite);
  EXPECT_EQ(test::At(-86400, 100), listing.entries[1].lastWrite);
  EXPECT_EQ(test::At(1738310709, 1234500), listing.entries[2].lastWrite);
  EXPECT_EQ(test::At(1738310709, 1234500), fs_.LastWriteTime(dir_ / "d/recent"));
}

TEST_F(Win32FileSystemTest, FailedCallsLeaveTheirWin32Codes) {
  EXPECT_FALSE(fs_.CopyReplacing(dir_ / "missing", dir_ / "dst"));
  EXPECT_EQ(kFileNotFound, fs_.LastErrorCode());
  test::WriteFile(dir_ / "src", "x");
  EXPECT_FALSE(fs_.CopyReplacing(dir_ / "src", dir_ / "nodir/dst"));
  EXPECT_EQ(kPathNotFound, fs_.LastErrorCode());
  DirListing listing;
  EXPECT_FALSE(fs_.ListDirectory(dir_ / "nodir", &listing));
  EXPECT_EQ(kFileNotFound, fs_.LastErrorCode());
  EXPECT_EQ(PathKind::Missing, fs_.Probe(dir_ / "nodir/deeper"));
  EXPECT_EQ(kPathNotFound, fs_.LastErrorCode());
}

TEST_F(Win32FileSystemTest, DirectoryIdentityTellsDirectoriesApartAndKnowsThemAgain) {
  test::MakeDirs(dir_ / "a");
  test::MakeDirs(dir_ / "b");
  DirectoryId a, a_again, b;
  ASSERT_TRUE(fs_.IdentifyDirectory(dir_ / "a", &a));
  ASSERT_TRUE(fs_.IdentifyDirectory(dir_ / "a\\", &a_again));
  ASSERT_TRUE(fs_.IdentifyDirectory(dir_ / "b", &b));
  EXPECT_EQ(a, a_again);
  EXPECT_FALSE(a == b);
}

TEST_F(Win32FileSystemTest, TheDriveOfTheTemporaryDirectoryIsADirectory) {
  const std::string drive = dir_.path().substr(0, 2);
  ASSERT_EQ(':', drive[1]);
  EXPECT_EQ(PathKind::Directory, fs_.Probe(drive));
  EXPECT_EQ(PathKind::Directory, fs_.Probe(drive + "\\"));
}

}  // namespace
}  // namespace qs
