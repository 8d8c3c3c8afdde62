// The real file system's contract: probes, listings, directory results and safe copies.
#include "os/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Seconds;

class FileSystemTest : public ::testing::Test {
 protected:
  FileSystem& fs_ = test::RealFs();
  test::ScopedTempDir dir_;
};

// Times below are multiples of 100 ns, the finest step that Windows stores.
TEST_F(FileSystemTest, StatTellsKindAndSubSecondTime) {
  test::WriteFile(dir_ / "f", "x", test::At(1234, 567800));
  const PathInfo file = fs_.Stat(dir_ / "f");
  EXPECT_EQ(PathKind::File, file.kind);
  EXPECT_EQ(test::At(1234, 567800), file.lastWrite);
  EXPECT_EQ(PathKind::Directory, fs_.Probe(dir_.path()));
  const PathInfo missing = fs_.Stat(dir_ / "missing");
  EXPECT_EQ(PathKind::Missing, missing.kind);
  EXPECT_TRUE(missing.lastWrite.IsZero());
}

TEST_F(FileSystemTest, ListingGivesNamesKindsAndTimes) {
  test::WriteFile(dir_ / "d/file", "x", Seconds(77));
  test::MakeDirs(dir_ / "d/sub");
  DirListing listing;
  ASSERT_TRUE(fs_.ListDirectory(dir_ / "d", &listing));
  ASSERT_EQ(2u, listing.entries.size());
  std::sort(listing.entries.begin(), listing.entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
  EXPECT_EQ("file", listing.entries[0].name);
  EXPECT_EQ(EntryKind::File, listing.entries[0].kind);
  // A listing may leave a file's time to Stat; when it gives one, it is the right one.
  if (listing.entries[0].lastWrite != kUnknownTime) {
    EXPECT_EQ(Seconds(77), listing.entries[0].lastWrite);
  }
  EXPECT_EQ("sub", listing.entries[1].name);
  EXPECT_EQ(EntryKind::Directory, listing.entries[1].kind);
  DirectoryId id;
  ASSERT_TRUE(fs_.IdentifyDirectory(dir_ / "d", &id));
  EXPECT_EQ(id, listing.id);
  EXPECT_FALSE(fs_.ListDirectory(dir_ / "missing", &listing));
  EXPECT_TRUE(listing.entries.empty());
  EXPECT_FALSE(fs_.IdentifyDirectory(dir_ / "d/file", &id));
}

TEST_F(FileSystemTest, MakeDirectoryTellsAlreadyExistsApart) {
  EXPECT_EQ(MakeDirResult::Created, fs_.MakeDirectory(dir_ / "new"));
  EXPECT_EQ(MakeDirResult::AlreadyExists, fs_.MakeDirectory(dir_ / "new"));
  test::WriteFile(dir_ / "file", "");
  EXPECT_EQ(MakeDirResult::AlreadyExists, fs_.MakeDirectory(dir_ / "file"));
  EXPECT_EQ(MakeDirResult::Failed, fs_.MakeDirectory(dir_ / "no/such/parent"));
  EXPECT_NE(0u, fs_.LastErrorCode());
}

TEST_F(FileSystemTest, CopyKeepsContentTimeAndMode) {
  test::WriteFile(dir_ / "src", "payload", test::At(4242, 100));
  std::filesystem::permissions(
      dir_ / "src", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  ASSERT_TRUE(fs_.CopyReplacing(dir_ / "src", dir_ / "dst"));
  EXPECT_EQ("payload", test::ReadFile(dir_ / "dst"));
  EXPECT_EQ(test::At(4242, 100), fs_.LastWriteTime(dir_ / "dst"));
  EXPECT_EQ(std::filesystem::status(dir_ / "src").permissions(),
            std::filesystem::status(dir_ / "dst").permissions());
  EXPECT_EQ((std::vector<std::string>{"dst", "src"}), test::ListTree(dir_.path()));
}

TEST_F(FileSystemTest, CopyReplacesAnExistingTargetWhole) {
  test::WriteFile(dir_ / "src", "short", Seconds(2000));
  test::WriteFile(dir_ / "dst", "a much longer old content", Seconds(1000));
  ASSERT_TRUE(fs_.CopyReplacing(dir_ / "src", dir_ / "dst"));
  EXPECT_EQ("short", test::ReadFile(dir_ / "dst"));
  EXPECT_EQ((std::vector<std::string>{"dst", "src"}), test::ListTree(dir_.path()));
}

TEST_F(FileSystemTest, FailedCopyLeavesTheOldTargetAndNoTemporaryFile) {
  test::WriteFile(dir_ / "dst", "old", Seconds(1000));
  EXPECT_FALSE(fs_.CopyReplacing(dir_ / "missing", dir_ / "dst"));
  EXPECT_NE(0u, fs_.LastErrorCode());
  test::WriteFile(dir_ / "src", "new", Seconds(2000));
  test::MakeDirs(dir_ / "dir");
  EXPECT_FALSE(fs_.CopyReplacing(dir_ / "src", dir_ / "dir"));
  EXPECT_FALSE(fs_.CopyReplacing(dir_ / "src", dir_ / "nodir/x"));
  EXPECT_EQ("old", test::ReadFile(dir_ / "dst"));
  EXPECT_EQ((std::vector<std::string>{"dst", "src"}), test::ListTree(dir_.path()));
}

// A file written while it is copied (a live database, a VM image) would be copied as a mix of
// two versions: the copy fails with its own code and leaves nothing, and once the file rests
// it is copied whole. The writer rewrites bytes in place and sets a new last-write time each
// round, as a program that saves in place does.
TEST_F(FileSystemTest, ACopyOfAFileWrittenMeanwhileFailsAndLeavesNothing) {
  const std::string source = dir_ / "live.db";
  const size_t size = size_t{64} << 20;
  test::WriteFile(source, std::string(size, 'a'), Seconds(1000));
  std::atomic<bool> stop{false};
  std::atomic<int64_t> rounds{0};
  const std::filesystem::path path(std::u8string(source.begin(), source.end()));
  std::thread writer([&] {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    for (int64_t round = 1; !stop; ++round) {
      file.seekp(static_cast<std::streamoff>((round * 4099) % size));
      file.put('b');
      file.flush();
      std::filesystem::last_write_time(
          path, std::filesystem::file_time_type::clock::now() + std::chrono::seconds(round));
      ++rounds;
    }
  });
  ASSERT_TRUE(test::WaitUntil([&] { return rounds > 0; }));
  // On a busy machine the writer may not be scheduled during one copy, which then holds a
  // consistent file: a few tries give it the chance to write in the middle of one.
  std::unique_ptr<PendingCopy> copy;
  uint32_t code = 0;
  for (int attempt = 0; attempt < 8 && code == 0; ++attempt) {
    copy = fs_.PrepareCopy(source, dir_ / "copy.db");
    code = copy == nullptr ? fs_.LastErrorCode() : 0;
    copy.reset();
  }
  stop = true;
  writer.join();
  EXPECT_EQ(kErrorSourceChanged, code);
  EXPECT_EQ(std::vector<std::string>{"live.db"}, test::ListTree(dir_.path()));

  copy = fs_.PrepareCopy(source, dir_ / "copy.db");
  ASSERT_NE(nullptr, copy);
  ASSERT_TRUE(copy->Flush() && copy->Publish());
  EXPECT_TRUE(test::ReadFile(source) == test::ReadFile(dir_ / "copy.db"));
}

TEST_F(FileSystemTest, APublishOfANewFileNeverReplacesWhatIsThere) {
  test::WriteFile(dir_ / "src", "new", Seconds(2000));
  test::WriteFile(dir_ / "kept", "kept", Seconds(1000));
  std::unique_ptr<PendingCopy> copy = fs_.PrepareCopy(dir_ / "src", dir_ / "kept");
  ASSERT_NE(nullptr, copy);
  ASSERT_TRUE(copy->Flush());
  EXPECT_FALSE(copy->PublishNew());
  EXPECT_NE(0u, fs_.LastErrorCode());
  copy.reset();
  EXPECT_EQ("kept", test::ReadFile(dir_ / "kept"));
  EXPECT_EQ(Seconds(1000), fs_.LastWriteTime(dir_ / "kept"));
  EXPECT_EQ((std::vector<std::string>{"kept", "src"}), test::ListTree(dir_.path()));

  copy = fs_.PrepareCopy(dir_ / "src", dir_ / "fresh");
  ASSERT_NE(nullptr, copy);
  ASSERT_TRUE(copy->Flush());
  EXPECT_TRUE(copy->PublishNew());
  copy.reset();
  EXPECT_EQ("new", test::ReadFile(dir_ / "fresh"));
  EXPECT_EQ(Seconds(2000), fs_.LastWriteTime(dir_ / "fresh"));
  EXPECT_EQ((std::vector<std::string>{"fresh", "kept", "src"}), test::ListTree(dir_.path()));
}

TEST_F(FileSystemTest, CopyingADirectoryFails) {
  test::MakeDirs(dir_ / "d");
  EXPECT_FALSE(fs_.CopyReplacing(dir_ / "d", dir_ / "copy"));
  EXPECT_FALSE(test::Exists(dir_ / "copy"));
}

TEST_F(FileSystemTest, ACopysSourceIsCheckedAsTheCopyOpensIt) {
  test::WriteFile(dir_ / "file", "x");
  test::MakeDirs(dir_ / "folder");
  const auto before = test::ListTree(dir_.path());
  for (const std::string& from :
       {dir_ / "file", dir_ / "missing", dir_ / "folder", dir_ / "file/below"}) {
    SCOPED_TRACE(from);
    const bool readable = fs_.CheckCopySource(from);
    const uint32_t checked = fs_.LastErrorCode();
    EXPECT_EQ(readable, fs_.CopyReplacing(from, dir_ / "copy"));
    if (!readable) {
      EXPECT_EQ(fs_.LastErrorCode(), checked);
    }
    if (test::Exists(dir_ / "copy")) {
      ASSERT_TRUE(fs_.RemoveFile(dir_ / "copy"));
    }
  }
  EXPECT_EQ(before, test::ListTree(dir_.path()));
}

TEST_F(FileSystemTest, MayCreateInIsTrueForAFolderAndFailsAsACreationThereWould) {
  test::WriteFile(dir_ / "file", "x");
  test::MakeDirs(dir_ / "folder");
  EXPECT_TRUE(fs_.CheckMayCreateIn(dir_ / "folder"));
  EXPECT_TRUE(fs_.CheckMayCreateIn(dir_.path()));
  for (const std::string& folder : {dir_ / "missing", dir_ / "missing/deeper", dir_ / "file"}) {
    SCOPED_TRACE(folder);
    EXPECT_FALSE(fs_.CheckMayCreateIn(folder));
    const uint32_t checked = fs_.LastErrorCode();
    EXPECT_EQ(MakeDirResult::Failed, fs_.MakeDirectory(folder + kPathSeparator + "new"));
    EXPECT_EQ(fs_.LastErrorCode(), checked);
  }
  EXPECT_EQ((std::vector<std::string>{"file"}), test::ListTree(dir_.path()));
}

}  // namespace
}  // namespace qs
