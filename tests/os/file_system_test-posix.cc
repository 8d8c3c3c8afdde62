// What only POSIX file systems have: paths beyond PATH_MAX, pipes, holes, owners, extended
// attributes and error numbers. Shell tools read what the standard library cannot.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>

#include "engine/backup_run.h"
#include "os/file_system.h"
#include "tests/support/backup_logs.h"
#include "tests/support/command_runner.h"
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

  /// What `command` prints, its last line end removed.
  std::string Shell(const std::string& command) {
    const std::string out = dir_ / ".shell-output";
    if (RunCommandLine(command + " >'" + out + "' 2>/dev/null") != 0) return "(failed)";
    std::string text = test::ReadFile(out);
    std::filesystem::remove(out);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }
  std::string Quoted(const std::string& relative) { return "'" + dir_ / relative + "'"; }
  bool IsRoot() { return Shell("id -u") == "0"; }

  FileSystem& fs_ = test::RealFs();
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
  test::BackupLogs logs(nullptr, nullptr, RealClock(), nullptr);
  const BackupResults results =
      RunBackup(fs_, RealClock(), BackupOptions::Of(dir_.path(), target, false), logs);
  EXPECT_EQ(0, results.counters.failed);
  EXPECT_EQ(2, results.counters.copied);  // "short" and the deep file
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

TEST_F(PosixFileSystemTest, ThePipeAsACopysSourceIsRefusedWithoutWaiting) {
  ASSERT_EQ(0, system(("mkfifo '" + dir_ / "pipe" + "'").c_str()));
  EXPECT_FALSE(fs_.CheckCopySource(dir_ / "pipe"));
  EXPECT_EQ(static_cast<uint32_t>(EINVAL), fs_.LastErrorCode());
}

TEST_F(PosixFileSystemTest, WithoutPermissionTheChecksSayWhatTheCopySays) {
  if (IsRoot())
    GTEST_SKIP() << "root may read and write anything (faults.dry_run_agrees runs this)";
  test::WriteFile(dir_ / "secret", "x");
  test::MakeDirs(dir_ / "closed");
  std::filesystem::permissions(dir_ / "secret", std::filesystem::perms::none);
  std::filesystem::permissions(
      dir_ / "closed", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  EXPECT_FALSE(fs_.CheckCopySource(dir_ / "secret"));
  EXPECT_EQ(static_cast<uint32_t>(EACCES), fs_.LastErrorCode());
  EXPECT_FALSE(fs_.CopyReplacing(dir_ / "secret", dir_ / "copy"));
  EXPECT_EQ(static_cast<uint32_t>(EACCES), fs_.LastErrorCode());
  EXPECT_FALSE(fs_.CheckMayCreateIn(dir_ / "closed"));
  EXPECT_EQ(static_cast<uint32_t>(EACCES), fs_.LastErrorCode());
  std::filesystem::permissions(dir_ / "secret", std::filesystem::perms::owner_read);
  EXPECT_FALSE(fs_.CopyReplacing(dir_ / "secret", dir_ / "closed/copy"));
  EXPECT_EQ(static_cast<uint32_t>(EACCES), fs_.LastErrorCode());
  std::filesystem::permissions(dir_ / "closed", std::filesystem::perms::owner_all);
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

TEST_F(PosixFileSystemTest, APublishOfANewFileFailsWithEexistOnAnyNameThere) {
  test::WriteFile(dir_ / "src", "new", Seconds(2000));
  test::WriteFile(dir_ / "file", "kept");
  test::MakeDirs(dir_ / "dir");
  std::filesystem::create_symlink(dir_ / "nowhere", dir_ / "dangling");
  for (const char* name : {"file", "dir", "dangling"}) {
    std::unique_ptr<PendingCopy> copy = fs_.PrepareCopy(dir_ / "src", dir_ / name);
    ASSERT_NE(nullptr, copy) << name;
    EXPECT_FALSE(copy->PublishNew()) << name;
    EXPECT_EQ(static_cast<uint32_t>(EEXIST), fs_.LastErrorCode()) << name;
  }
  EXPECT_EQ("kept", test::ReadFile(dir_ / "file"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir_ / "dangling"));
  EXPECT_EQ((std::vector<std::string>{"dangling", "file", "src"}), test::ListTree(dir_.path()));
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

TEST_F(PosixFileSystemTest, ACopyNeverReplacesADirectoryOrAPipe) {
  test::WriteFile(dir_ / "src", "new", Seconds(2000));
  test::WriteFile(dir_ / "dir/kept", "inside");
  ASSERT_EQ(0, RunCommandLine("mkfifo " + Quoted("pipe")));
  EXPECT_TRUE(fs_.CheckCopyTarget(dir_ / "src"));
  EXPECT_FALSE(fs_.CheckCopyTarget(dir_ / "dir"));
  EXPECT_EQ(static_cast<uint32_t>(EISDIR), fs_.LastErrorCode());
  EXPECT_FALSE(fs_.CheckCopyTarget(dir_ / "pipe"));
  EXPECT_EQ(static_cast<uint32_t>(EEXIST), fs_.LastErrorCode());
  EXPECT_EQ("p", Shell("stat -c %A " + Quoted("pipe")).substr(0, 1));
  EXPECT_EQ((std::vector<std::string>{"dir/kept", "pipe", "src"}), test::ListTree(dir_.path()));
}

TEST_F(PosixFileSystemTest, APreparedCopyIsInvisibleUntilPublishedAndLeavesNothingWhenDropped) {
  test::WriteFile(dir_ / "src", "new", Seconds(2000));
  test::WriteFile(dir_ / "dst", "old", Seconds(1000));
  {
    std::unique_ptr<PendingCopy> dropped = fs_.PrepareCopy(dir_ / "src", dir_ / "dst");
    ASSERT_NE(nullptr, dropped);
    EXPECT_EQ("old", test::ReadFile(dir_ / "dst"));
  }
  EXPECT_EQ("old", test::ReadFile(dir_ / "dst"));
  std::unique_ptr<PendingCopy> copy = fs_.PrepareCopy(dir_ / "src", dir_ / "new");
  ASSERT_NE(nullptr, copy);
  EXPECT_FALSE(test::Exists(dir_ / "new"));
  EXPECT_TRUE(copy->FlushedWithVolume() || copy->Flush());
  ASSERT_TRUE(copy->Publish());
  EXPECT_EQ("new", test::ReadFile(dir_ / "new"));
  EXPECT_EQ((std::vector<std::string>{"dst", "new", "src"}), test::ListTree(dir_.path()));
}

TEST_F(PosixFileSystemTest, SparseFilesKeepTheirHoles) {
  // 64 MiB of which 1 MiB holds data, in the middle.
  ASSERT_EQ(0, RunCommandLine("truncate -s 64M " + Quoted("sparse") + " && head -c 1048576 " +
                              "/dev/urandom | dd of=" + Quoted("sparse") +
                              " bs=1M seek=32 conv=notrunc status=none"));
  ASSERT_TRUE(fs_.CopyReplacing(dir_ / "sparse", dir_ / "copy"));
  EXPECT_EQ(0, RunCommandLine("cmp -s " + Quoted("sparse") + " " + Quoted("copy")));
  const long source_blocks = std::stol(Shell("stat -c %b " + Quoted("sparse")));
  const long copy_blocks = std::stol(Shell("stat -c %b " + Quoted("copy")));
  EXPECT_LE(copy_blocks, source_blocks * 11 / 10 + 8) << source_blocks;
  EXPECT_EQ(Shell("stat -c %s " + Quoted("sparse")), Shell("stat -c %s " + Quoted("copy")));
}

TEST_F(PosixFileSystemTest, ACopySaysTheHashOfEveryByteItHoldsHolesAndLongRunsIncluded) {
  // A hole at the start, 12 MiB of data (more than one piece the kernel copies), a hole at
  // the end; a small file; an empty one.
  ASSERT_EQ(0, RunCommandLine("truncate -s 40M " + Quoted("sparse") + " && head -c 12582912 " +
                              "/dev/urandom | dd of=" + Quoted("sparse") +
                              " bs=1M seek=3 conv=notrunc status=none"));
  test::WriteFile(dir_ / "small", "a few bytes");
  test::WriteFile(dir_ / "empty", "");
  for (const char* name : {"sparse", "small", "empty"}) {
    const std::string from = dir_ / name;
    std::unique_ptr<PendingCopy> copy = fs_.PrepareCopy(from, from + ".copy");
    ASSERT_NE(nullptr, copy) << name;
    const CopiedContent content = copy->Content();
    const std::string bytes = test::ReadFile(from);
    EXPECT_TRUE(content.known && content.hashKnown) << name;
    EXPECT_EQ(HashOf(bytes), content.hash) << name;
    EXPECT_EQ(bytes.size(), content.size) << name;
    EXPECT_EQ(fs_.Stat(from).lastWrite, content.lastWrite) << name;
  }
}

TEST_F(PosixFileSystemTest, OwnerGroupAndSetuidAreKeptAsRoot) {
  if (!IsRoot()) GTEST_SKIP() << "only root may give a copy another owner";
  test::WriteFile(dir_ / "tool", "#!/bin/sh\n", Seconds(100));
  ASSERT_EQ(0, RunCommandLine("chown 65534:65534 " + Quoted("tool") + " && chmod 4755 " +
                              Quoted("tool")));
  ASSERT_TRUE(fs_.CopyReplacing(dir_ / "tool", dir_ / "copy"));
  // The user's setuid program stays the user's: never a setuid-root program in the backup.
  EXPECT_EQ("65534:65534 4755", Shell("stat -c '%u:%g %a' " + Quoted("copy")));
}

TEST_F(PosixFileSystemTest, ExtendedAttributesAndAccessListsAreKept) {
  test::WriteFile(dir_ / "doc", "x", Seconds(100));
  if (RunCommandLine("setfattr -n user.origin -v camera " + Quoted("doc") + " 2>/dev/null") != 0)
    GTEST_SKIP() << "no setfattr, or no user attributes here";
  const bool acl = RunCommandLine("setfacl -m u:65534:r " + Quoted("doc") + " 2>/dev/null") == 0;
  std::unique_ptr<PendingCopy> copy = fs_.PrepareCopy(dir_ / "doc", dir_ / "copy");
  ASSERT_NE(nullptr, copy);
  EXPECT_EQ(0u, copy->AttributesNotKept());
  ASSERT_TRUE(copy->Flush() && copy->Publish());
  EXPECT_EQ("camera", Shell("getfattr --only-values -n user.origin " + Quoted("copy")));
  if (acl) {
    EXPECT_EQ(Shell("getfacl -cp " + Quoted("doc")), Shell("getfacl -cp " + Quoted("copy")));
  }
}

TEST_F(PosixFileSystemTest, TimesOfAnyYearTheVolumeHoldsAreKeptExactly) {
  // 1969, 2038 and 2300 (beyond a 64-bit count of nanoseconds, which ends in 2262) fit every
  // volume tests run on; 1900 only some (ext4 begins in 1901).
  const std::pair<FileTime, bool> times[] = {{test::At(-1, 999999999), true},
                                             {test::At(2147483648, 1), true},
                                             {test::At(10413792000, 500), true},
                                             {test::At(-2208988800, 123456789), false}};
  for (const auto& [time, must_fit] : times) {
    test::WriteFile(dir_ / "f", "x");
    ASSERT_TRUE(fs_.SetLastWriteTime(dir_ / "f", time));
    if (!must_fit && fs_.LastWriteTime(dir_ / "f") != time) continue;
    EXPECT_EQ(time, fs_.LastWriteTime(dir_ / "f")) << time.seconds;
    ASSERT_TRUE(fs_.CopyReplacing(dir_ / "f", dir_ / "copy"));
    EXPECT_EQ(time, fs_.LastWriteTime(dir_ / "copy")) << time.seconds;
  }
}

TEST_F(PosixFileSystemTest, SmallCallsDoWhatTheySay) {
  EXPECT_TRUE(fs_.CreateEmptyFile(dir_ / "probe"));
  EXPECT_FALSE(fs_.CreateEmptyFile(dir_ / "probe"));
  EXPECT_EQ(static_cast<uint32_t>(EEXIST), fs_.LastErrorCode());
  EXPECT_TRUE(fs_.RemoveFile(dir_ / "probe"));
  EXPECT_EQ(PathKind::Missing, fs_.Probe(dir_ / "probe"));
  EXPECT_TRUE(fs_.WriteWholeFile(dir_ / "readme", "one\n"));
  EXPECT_TRUE(fs_.WriteWholeFile(dir_ / "readme", "two\n"));
  EXPECT_EQ("two\n", test::ReadFile(dir_ / "readme"));
  EXPECT_TRUE(fs_.SyncDirectory(dir_.path()));
  EXPECT_TRUE(fs_.SyncVolume(dir_.path()) || fs_.LastErrorCode() == EOPNOTSUPP);
  EXPECT_EQ(PathKind::Unreadable, fs_.Stat(dir_ / std::string(300, 'n')).kind);  // too long
  EXPECT_EQ(PathKind::Missing, fs_.Stat(dir_ / "readme/below").kind);
  EXPECT_GE(fs_.PendingCopyLimit(), 16u);
}

}  // namespace
}  // namespace qs

namespace qs {
namespace {

// The change time: Wine gives no creation time of its own, so this is checked here only.
TEST(PosixPlacingTest, ACopyTellsByWhenItWasInPlaceWhateverItsLastWriteTime) {
  test::ScopedTempDir dir;
  FileSystem& fs = test::RealFs();
  test::WriteFile(dir / "src", "a camera's clock", test::Seconds(4102444800));  // 2100
  const auto before = std::chrono::system_clock::now().time_since_epoch();
  ASSERT_TRUE(fs.CopyReplacing(dir / "src", dir / "copy"));
  const PathInfo copy = fs.Stat(dir / "copy");
  EXPECT_EQ(test::Seconds(4102444800), copy.lastWrite);
  // A second of slack: the system stamps changes with a coarse clock.
  EXPECT_GE(copy.inPlaceBy.seconds,
            std::chrono::duration_cast<std::chrono::seconds>(before).count() - 1);
  EXPECT_LT(copy.inPlaceBy, copy.lastWrite);
}

TEST(PosixMountTest, OnlyTheRootOfAMountIsOne) {
  test::ScopedTempDir dir;
  EXPECT_TRUE(test::RealFs().IsMountRoot("/"));
  EXPECT_FALSE(test::RealFs().IsMountRoot(dir.path()));
}

}  // namespace
}  // namespace qs
