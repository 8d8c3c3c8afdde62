// What only the Windows file system has: error codes of KERNEL32, trailing backslashes,
// drive letters, names in every script and paths beyond 260 characters through the W calls,
// and the attributes a copy keeps.
#include <gtest/gtest.h>

#include <algorithm>

#include "os/file_system.h"
#include "os/win32/win32_entry_kind.h"
#include "os/win32/win32_text.h"
#include "tests/support/test_support.h"
#include "tests/support/windows_rules.h"

namespace qs {
namespace {

using test::Seconds;
using win32::kAttributeHidden;
using win32::kAttributeReadOnly;
using win32::kAttributeSystem;

constexpr uint32_t kFileNotFound = 2;             // ERROR_FILE_NOT_FOUND
constexpr uint32_t kPathNotFound = 3;             // ERROR_PATH_NOT_FOUND
constexpr uint32_t kAccessDenied = 5;             // ERROR_ACCESS_DENIED
constexpr uint32_t kFileExists = 80;              // ERROR_FILE_EXISTS
constexpr uint32_t kInvalidParameter = 87;        // ERROR_INVALID_PARAMETER
constexpr uint32_t kInvalidName = 123;            // ERROR_INVALID_NAME
constexpr uint32_t kDirNotEmpty = 145;            // ERROR_DIR_NOT_EMPTY
constexpr uint32_t kAlreadyExists = 183;          // ERROR_ALREADY_EXISTS
constexpr uint32_t kDirectoryName = 267;          // ERROR_DIRECTORY
constexpr uint32_t kNoUnicodeTranslation = 1113;  // ERROR_NO_UNICODE_TRANSLATION
constexpr uint32_t kKept = kAttributeReadOnly | kAttributeHidden | kAttributeSystem;

/// Names that the ANSI calls lost or turned into others: Cyrillic, CJK and an emoji become
/// "?", "ā" becomes "a", a combining accent is dropped or composed, and the fullwidth
/// "．．＼" becomes "..\".
const std::vector<std::string> kNames = {"Привет.txt", "中文.txt", "😀.txt", "e\u0301.txt",
                                         "\u00e9.txt", "ā.txt",    "a.txt", "．．＼outside.txt"};

/// The length of a path in UTF-16 units, as Windows counts it.
size_t Characters(const std::string& path) {
  std::wstring wide;
  EXPECT_TRUE(win32::Utf8ToWide(path, &wide));
  return wide.size();
}

class Win32FileSystemTest : public ::testing::Test {
 protected:
  /// A chain of folders from the temporary directory, at least `characters` long in all.
  std::string MakeDeepFolder(size_t characters) {
    std::string path = dir_ / ("deep" + std::to_string(characters));
    EXPECT_EQ(MakeDirResult::Created, fs_.MakeDirectory(path));
    while (Characters(path) < characters) {
      path += "\\Папка 中文 " + std::to_string(Characters(path));
      EXPECT_EQ(MakeDirResult::Created, fs_.MakeDirectory(path)) << Characters(path);
    }
    return path;
  }

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

TEST_F(Win32FileSystemTest, APublishOfANewFileFailsWithErrorAlreadyExists) {
  test::WriteFile(dir_ / "src", "new", Seconds(2000));
  test::WriteFile(dir_ / "kept", "kept", Seconds(1000));
  std::unique_ptr<PendingCopy> copy = fs_.PrepareCopy(dir_ / "src", dir_ / "kept");
  ASSERT_NE(nullptr, copy);
  ASSERT_TRUE(copy->Flush());
  EXPECT_FALSE(copy->PublishNew());
  EXPECT_EQ(kAlreadyExists, fs_.LastErrorCode());
  copy.reset();
  EXPECT_EQ("kept", test::ReadFile(dir_ / "kept"));
  EXPECT_EQ((std::vector<std::string>{"kept", "src"}), test::ListTree(dir_.path()));
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

TEST_F(Win32FileSystemTest, NamesInEveryScriptAreListedAndCopiedAsThemselves) {
  for (size_t i = 0; i < kNames.size(); ++i)
    test::WriteFile(dir_ / ("in/src/" + kNames[i]), kNames[i], Seconds(1000 + i));
  test::WriteFile(dir_ / "in/outside.txt", "beside the source");
  DirListing listing;
  ASSERT_TRUE(fs_.ListDirectory(dir_ / "in/src", &listing));
  std::vector<std::string> listed;
  for (const DirEntry& entry : listing.entries) listed.push_back(entry.name);
  std::sort(listed.begin(), listed.end());
  std::vector<std::string> expected = kNames;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(expected, listed);
  test::MakeDirs(dir_ / "out/dst");
  for (size_t i = 0; i < kNames.size(); ++i) {
    const std::string target = dir_ / ("out/dst/" + kNames[i]);
    ASSERT_TRUE(fs_.CopyReplacing(dir_ / ("in/src/" + kNames[i]), target)) << kNames[i];
    EXPECT_EQ(kNames[i], test::ReadFile(target));
    EXPECT_EQ(Seconds(1000 + i), fs_.LastWriteTime(target));
  }
  // Nothing was read from or written to beside the two folders.
  EXPECT_EQ("beside the source", test::ReadFile(dir_ / "in/outside.txt"));
  EXPECT_FALSE(test::Exists(dir_ / "out/outside.txt"));
  EXPECT_EQ(expected, test::ListTree(dir_ / "out/dst"));
}

TEST_F(Win32FileSystemTest, NamesTheWin32RulesWouldChangeStayThemselvesBelowATypedRoot) {
  // The root is typed with '/' and "..", as a user may; the names below it come from a
  // listing and must name exactly those files: "aux.txt" is no device, "foo." keeps its dot.
  std::string typed = dir_ / "sub/../src";
  std::replace(typed.begin(), typed.end(), '\\', '/');
  test::MakeDirs(dir_ / "src");
  const std::string exact = "\\\\?\\" + dir_.path() + "\\src\\";
  for (const std::string name : {"aux.txt", "foo.", "bar "}) {
    ASSERT_TRUE(fs_.WriteWholeFile(typed + "\\" + name, name)) << name;
    const PathInfo info = fs_.Stat(exact + name);
    EXPECT_EQ(PathKind::File, info.kind) << name;
    EXPECT_EQ(name.size(), info.size) << name;
  }
  DirListing listing;
  ASSERT_TRUE(fs_.ListDirectory(typed, &listing));
  EXPECT_EQ(3u, listing.entries.size());
  EXPECT_TRUE(fs_.CopyReplacing(typed + "\\foo.", typed + "\\aux.txt"));
  EXPECT_EQ(4u, fs_.Stat(exact + "aux.txt").size);
}

TEST_F(Win32FileSystemTest, PathsBeyond260CharactersWorkEverywhere) {
  for (const size_t characters : {300, 1000}) {
    const std::string deep = MakeDeepFolder(characters);
    ASSERT_GE(Characters(deep), characters);
    EXPECT_EQ(PathKind::Directory, fs_.Probe(deep));
    ASSERT_TRUE(fs_.WriteWholeFile(deep + "\\f.txt", "deep data"));
    ASSERT_TRUE(fs_.SetLastWriteTime(deep + "\\f.txt", test::At(1234, 5678900)));
    EXPECT_EQ(test::At(1234, 5678900), fs_.LastWriteTime(deep + "\\f.txt"));
    ASSERT_TRUE(fs_.CopyReplacing(deep + "\\f.txt", deep + "\\копия.txt"));
    ASSERT_TRUE(fs_.CopyReplacing(deep + "\\копия.txt", dir_ / "back.txt"));
    EXPECT_EQ("deep data", test::ReadFile(dir_ / "back.txt"));
    DirListing listing;
    ASSERT_TRUE(fs_.ListDirectory(deep, &listing));
    EXPECT_EQ(2u, listing.entries.size());
    DirectoryId id;
    EXPECT_TRUE(fs_.IdentifyDirectory(deep, &id));
    EXPECT_EQ(id, listing.id);
    EXPECT_TRUE(fs_.RemoveFile(deep + "\\f.txt"));
    EXPECT_EQ(PathKind::Missing, fs_.Probe(deep + "\\f.txt"));
  }
}

TEST_F(Win32FileSystemTest, AnyNameThatIsNotUtf8FailsWithItsCodeAndIsNoOtherFile) {
  test::WriteFile(dir_ / "caf.txt", "another file");
  const std::string bad = dir_ / "caf\xe9.txt";  // Latin-1, as an old settings file may hold
  EXPECT_EQ(PathKind::Unreadable, fs_.Probe(bad));
  EXPECT_EQ(kNoUnicodeTranslation, fs_.LastErrorCode());
  EXPECT_EQ(nullptr, fs_.PrepareCopy(bad, dir_ / "copy.txt"));
  EXPECT_EQ(kNoUnicodeTranslation, fs_.LastErrorCode());
  EXPECT_EQ(nullptr, fs_.PrepareCopy(dir_ / "caf.txt", bad));
  EXPECT_EQ(kNoUnicodeTranslation, fs_.LastErrorCode());
  EXPECT_EQ(MakeDirResult::Failed, fs_.MakeDirectory(bad));
  DirListing listing;
  EXPECT_FALSE(fs_.ListDirectory(bad, &listing));
  EXPECT_EQ(kNoUnicodeTranslation, fs_.LastErrorCode());
  EXPECT_EQ(std::vector<std::string>{"caf.txt"}, test::ListTree(dir_.path()));
}

TEST_F(Win32FileSystemTest, OnlyNothingThereIsMissing) {
  test::WriteFile(dir_ / "file", "x");
  EXPECT_EQ(PathKind::Missing, fs_.Probe(dir_ / "file/below"));  // ERROR_PATH_NOT_FOUND
  EXPECT_EQ(PathKind::Unreadable, fs_.Probe(dir_ / "a*b"));      // ERROR_INVALID_NAME
  EXPECT_EQ(123u, fs_.LastErrorCode());
  EXPECT_EQ(PathKind::File, fs_.Probe(dir_ / "file"));
}

TEST_F(Win32FileSystemTest, ACopyKeepsReadOnlyHiddenAndSystemAndItsTime) {
  test::WriteFile(dir_ / "src", "payload", test::At(1234, 5678900));
  ASSERT_TRUE(test::SetAttributes(dir_ / "src", kKept));
  std::unique_ptr<PendingCopy> copy = fs_.PrepareCopy(dir_ / "src", dir_ / "dst");
  ASSERT_NE(nullptr, copy);
  EXPECT_FALSE(copy->FlushedWithVolume());  // Windows has no flush of a whole volume
  EXPECT_EQ(0u, copy->AttributesNotKept());
  ASSERT_TRUE(copy->Flush());
  ASSERT_TRUE(copy->Publish());
  EXPECT_EQ("payload", test::ReadFile(dir_ / "dst"));
  EXPECT_EQ(kKept, test::AttributesOf(dir_ / "dst") & kKept);
  EXPECT_EQ(test::At(1234, 5678900), fs_.LastWriteTime(dir_ / "dst"));
  EXPECT_FALSE(fs_.SyncVolume(dir_.path()));
  EXPECT_EQ(50u, fs_.LastErrorCode());  // ERROR_NOT_SUPPORTED: each copy is flushed alone
}

TEST_F(Win32FileSystemTest, ADroppedCopyLeavesNothingBehindEvenWhenReadOnly) {
  test::WriteFile(dir_ / "src/f", "payload");
  ASSERT_TRUE(test::SetAttributes(dir_ / "src/f", kAttributeReadOnly));
  test::MakeDirs(dir_ / "dst");
  {
    std::unique_ptr<PendingCopy> copy = fs_.PrepareCopy(dir_ / "src/f", dir_ / "dst/f");
    ASSERT_NE(nullptr, copy);
    ASSERT_TRUE(copy->Flush());
  }
  EXPECT_TRUE(test::ListTree(dir_ / "dst").empty());
}

TEST_F(Win32FileSystemTest, TimesBeforeAndFarAfter1970AreKeptTo100Nanoseconds) {
  // Wine keeps times in the Unix file system (ext4: 1901 to 2446); Windows' own range, 1601
  // to 30828, is checked on the conversion itself.
  for (const FileTime time :
       {test::At(-2000000000, 100), test::At(-1, 999999900), test::At(13000000000, 1234500)}) {
    const std::string path = dir_ / ("t" + std::to_string(time.seconds));
    ASSERT_TRUE(fs_.CreateEmptyFile(path));
    ASSERT_TRUE(fs_.SetLastWriteTime(path, time));
    EXPECT_EQ(time, fs_.LastWriteTime(path));
    ASSERT_TRUE(fs_.CopyReplacing(path, path + ".copy"));
    EXPECT_EQ(time, fs_.LastWriteTime(path + ".copy"));
  }
  EXPECT_FALSE(fs_.SetLastWriteTime(dir_ / "t-1", {-11644473601, 0}));  // before 1601
  EXPECT_EQ(kInvalidParameter, fs_.LastErrorCode());
}

TEST_F(Win32FileSystemTest, AnEmptyFileIsMadeOnlyWhereNothingIs) {
  ASSERT_TRUE(fs_.CreateEmptyFile(dir_ / "probe"));
  EXPECT_FALSE(fs_.CreateEmptyFile(dir_ / "probe"));
  EXPECT_EQ(kFileExists, fs_.LastErrorCode());
  EXPECT_TRUE(fs_.RemoveFile(dir_ / "probe"));
  EXPECT_FALSE(fs_.RemoveFile(dir_ / "probe"));
  EXPECT_EQ(kFileNotFound, fs_.LastErrorCode());
}

TEST_F(Win32FileSystemTest, ACopyTargetMayBeAnyFileOrNothingButNeverAFolder) {
  test::WriteFile(dir_ / "plain.txt", "plain");
  test::WriteFile(dir_ / "Только чтение.txt", "kept");
  ASSERT_TRUE(test::SetAttributes(dir_ / "Только чтение.txt", kKept));
  test::WriteFile(dir_ / "папка/inside", "inside");
  // A file, read-only, hidden and system ones included, is replaced; nothing is nothing.
  for (const std::string name :
       {"plain.txt", "Только чтение.txt", "new.txt", "missing\\new.txt", "plain.txt\\below"})
    EXPECT_TRUE(fs_.CheckCopyTarget(dir_ / name)) << name;
  // A folder, written in any way, is refused with what MoveFileExW would give.
  for (const std::string name : {"папка", "папка\\", "ПАПКА"}) {
    EXPECT_FALSE(fs_.CheckCopyTarget(dir_ / name)) << name;
    EXPECT_EQ(kAccessDenied, fs_.LastErrorCode()) << name;
  }
  // The drive itself is a folder too.
  EXPECT_FALSE(fs_.CheckCopyTarget(dir_.path().substr(0, 3)));
  EXPECT_EQ(kAccessDenied, fs_.LastErrorCode());
  // A name that cannot be looked at is no "nothing there": its own code.
  EXPECT_FALSE(fs_.CheckCopyTarget(dir_ / "a*b"));
  EXPECT_EQ(kInvalidName, fs_.LastErrorCode());
  EXPECT_FALSE(fs_.CheckCopyTarget(dir_ / "caf\xe9.txt"));
  EXPECT_EQ(kNoUnicodeTranslation, fs_.LastErrorCode());
  // The check wrote nothing: the read-only file keeps its mark and its content.
  EXPECT_EQ(kKept, test::AttributesOf(dir_ / "Только чтение.txt") & kKept);
  EXPECT_EQ("kept", test::ReadFile(dir_ / "Только чтение.txt"));
  EXPECT_EQ((std::vector<std::string>{"plain.txt", "Только чтение.txt", "папка/inside"}),
            test::ListTree(dir_.path()));
}

TEST_F(Win32FileSystemTest, OnlyAnEmptyFolderIsRemovedWhateverItsNameOrLength) {
  const std::string deep = MakeDeepFolder(300);
  for (const std::string& parent : {dir_.path(), deep}) {
    const std::string folder = parent + "\\Папка 中文 😀";
    ASSERT_EQ(MakeDirResult::Created, fs_.MakeDirectory(folder));
    test::WriteFile(folder + "\\f.txt", "x");
    EXPECT_FALSE(fs_.RemoveDirectory(folder));
    EXPECT_EQ(kDirNotEmpty, fs_.LastErrorCode());
    EXPECT_EQ("x", test::ReadFile(folder + "\\f.txt"));
    EXPECT_FALSE(fs_.RemoveDirectory(folder + "\\f.txt"));  // a file is no folder
    EXPECT_EQ(kDirectoryName, fs_.LastErrorCode());
    EXPECT_EQ(PathKind::File, fs_.Probe(folder + "\\f.txt"));
    ASSERT_TRUE(fs_.RemoveFile(folder + "\\f.txt"));
    EXPECT_TRUE(fs_.RemoveDirectory(folder));
    EXPECT_EQ(PathKind::Missing, fs_.Probe(folder));
    EXPECT_FALSE(fs_.RemoveDirectory(folder));
    EXPECT_EQ(kFileNotFound, fs_.LastErrorCode());
  }
  EXPECT_GE(Characters(deep + "\\Папка 中文 😀"), 300u);
}

TEST_F(Win32FileSystemTest, RemoveDirectoryAndRenameTakeNamesTheWin32RulesWouldChange) {
  // "kept." and "kept " are folders of their own beside "kept"; only the one named goes.
  for (const std::string name : {"kept", "kept.", "kept "})
    ASSERT_EQ(MakeDirResult::Created, fs_.MakeDirectory(dir_ / name)) << name;
  test::WriteFile(dir_ / "kept/inside.txt", "inside");
  EXPECT_TRUE(fs_.RemoveDirectory(dir_ / "kept."));
  EXPECT_TRUE(fs_.Rename(dir_ / "kept ", dir_ / "aux."));
  EXPECT_EQ(PathKind::Missing, fs_.Probe(dir_ / "kept."));
  EXPECT_EQ(PathKind::Missing, fs_.Probe(dir_ / "kept "));
  EXPECT_EQ(PathKind::Directory, fs_.Probe(dir_ / "aux."));
  EXPECT_EQ(PathKind::Missing, fs_.Probe(dir_ / "aux"));
  EXPECT_EQ("inside", test::ReadFile(dir_ / "kept/inside.txt"));
  EXPECT_TRUE(fs_.RemoveDirectory(dir_ / "aux."));
}

TEST_F(Win32FileSystemTest, RenameMovesFilesAndFoldersOfAnyNameOrLengthInOneStep) {
  const std::string deep = MakeDeepFolder(300);
  test::WriteFile(dir_ / "Старое 中文/sub/f.txt", "data", Seconds(77));
  ASSERT_TRUE(test::SetAttributes(dir_ / "Старое 中文/sub/f.txt", kAttributeReadOnly));
  // A folder holding a read-only file moves whole, below a path beyond 260 characters and back.
  ASSERT_TRUE(fs_.Rename(dir_ / "Старое 中文", deep + "\\Новое 😀"));
  EXPECT_EQ(PathKind::Missing, fs_.Probe(dir_ / "Старое 中文"));
  EXPECT_EQ("data", test::ReadFile(deep + "\\Новое 😀\\sub\\f.txt"));
  EXPECT_EQ(Seconds(77), fs_.LastWriteTime(deep + "\\Новое 😀\\sub\\f.txt"));
  ASSERT_TRUE(fs_.Rename(deep + "\\Новое 😀\\sub\\f.txt", deep + "\\ファイル.txt"));
  EXPECT_EQ("data", test::ReadFile(deep + "\\ファイル.txt"));
  ASSERT_TRUE(fs_.Rename(deep + "\\Новое 😀", dir_ / "back"));
  EXPECT_EQ(PathKind::Directory, fs_.Probe(dir_ / "back\\sub"));
  EXPECT_FALSE(fs_.Rename(dir_ / "missing", dir_ / "other"));
  EXPECT_EQ(kFileNotFound, fs_.LastErrorCode());
}

TEST_F(Win32FileSystemTest, RenameNeverReplacesWhatIsAlreadyThere) {
  test::WriteFile(dir_ / "version/README.txt", "old version");
  test::MakeDirs(dir_ / "empty folder");
  test::WriteFile(dir_ / "full folder/kept.txt", "kept");
  test::WriteFile(dir_ / "file.txt", "file");
  test::WriteFile(dir_ / "other.txt", "other");
  // An empty folder, a full one, a file: each stays, and so does what was to move.
  for (const std::string name : {"empty folder", "full folder", "file.txt", "EMPTY FOLDER"}) {
    EXPECT_FALSE(fs_.Rename(dir_ / "version", dir_ / name)) << name;
    EXPECT_EQ(kAlreadyExists, fs_.LastErrorCode()) << name;
  }
  EXPECT_FALSE(fs_.Rename(dir_ / "other.txt", dir_ / "file.txt"));
  EXPECT_EQ(kAlreadyExists, fs_.LastErrorCode());
  EXPECT_FALSE(fs_.Rename(dir_ / "other.txt", dir_ / "empty folder"));
  EXPECT_EQ(kAlreadyExists, fs_.LastErrorCode());
  EXPECT_EQ(PathKind::Directory, fs_.Probe(dir_ / "empty folder"));
  EXPECT_EQ((std::vector<std::string>{"file.txt", "full folder/kept.txt", "other.txt",
                                      "version/README.txt"}),
            test::ListTree(dir_.path()));
  EXPECT_EQ("file", test::ReadFile(dir_ / "file.txt"));
}

TEST_F(Win32FileSystemTest, TheVolumeHintOfTheTemporaryDriveIsThatOfItsFileSystem) {
  // Wine shows its drives as NTFS: names are found in any case, times kept to 100 ns.
  const VolumeHint hint = fs_.DescribeVolume(dir_.path());
  EXPECT_EQ(1, hint.foldsCase);
  EXPECT_EQ(100, hint.timeStepNanos);
  // The same for every path on that drive: a file, a folder beyond 260 characters, the root,
  // and a folder not made yet (a dry run asks before making it).
  test::WriteFile(dir_ / "f.txt", "x");
  for (const std::string& path :
       {dir_ / "f.txt", MakeDeepFolder(300), dir_.path().substr(0, 3), dir_ / "not made\\yet"}) {
    const VolumeHint same = fs_.DescribeVolume(path);
    EXPECT_EQ(hint.foldsCase, same.foldsCase) << path;
    EXPECT_EQ(hint.timeStepNanos, same.timeStepNanos) << path;
  }
  // A name Windows cannot take says nothing.
  const VolumeHint none = fs_.DescribeVolume(dir_ / "caf\xe9");
  EXPECT_EQ(-1, none.foldsCase);
  EXPECT_EQ(0, none.timeStepNanos);
}

}  // namespace
}  // namespace qs
