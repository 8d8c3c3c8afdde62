// CopyOneFile and EnsureDirectory over the Win32 layer: trailing backslashes, drive roots as
// parents, and the KERNEL32 error codes in the failure lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <sstream>

#include "engine/backup_job.h"
#include "os/error_text.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::PaneLines;
using test::WithoutStamps;

class Win32FileCopyTest : public test::JobFixture {
 protected:
  Win32FileCopyTest() : JobFixture(false) {
    test::WriteFile(dir_ / "src/f.txt", "content", test::Seconds(1000));
  }
};

TEST_F(Win32FileCopyTest, ATrailingBackslashMakesTheDirectoryOnceAndEndsInAlreadyExists) {
  test::MakeDirs(dir_ / "dst");
  EXPECT_TRUE(job_.EnsureDirectory(dir_ / "dst/new/"));
  // The recursion makes dst\new; the last CreateDirectoryW, on dst\new\, finds it there.
  EXPECT_EQ(std::vector<std::string>{dir_ / "dst/new"}, fs_.directoriesMade);
  EXPECT_EQ(183u, fs_.LastErrorCode());
  EXPECT_EQ(PathKind::Directory, fs_.Probe(dir_ / "dst/new"));
}

/// Letters of drives that do not exist, from the end of the alphabet.
std::string MissingDriveLetters() {
  std::string letters;
  for (char letter = 'Y'; letter >= 'D'; --letter)
    if (test::RealFs().Probe(std::string(1, letter) + ":\\") == PathKind::Missing)
      letters += letter;
  return letters;
}

TEST_F(Win32FileCopyTest, AMissingDriveAsParentFailsTheWholeChain) {
  const std::string letters = MissingDriveLetters();
  ASSERT_FALSE(letters.empty());
  const std::string drive = std::string(1, letters[0]) + ":";
  EXPECT_FALSE(job_.EnsureDirectory(drive + "\\B\\x"));
  EXPECT_EQ((std::vector<std::string>{drive + "\\B\\x", drive + "\\B", drive}), fs_.probes);
  EXPECT_TRUE(fs_.directoriesMade.empty());
  EXPECT_NE(0u, fs_.LastErrorCode());

  EXPECT_FALSE(job_.CopyOneFile(dir_ / "src/f.txt", drive + "\\B\\f.txt", false));
  EXPECT_EQ((std::vector<std::string>{"Failed to create directory: " + drive + "\\B",
                                      "[DIRECTORY ERROR] " + drive + "\\B"}),
            BackupLog());
}

/// A folder at the root of a drive, removed again with all its content.
class ScopedRootFolder {
 public:
  explicit ScopedRootFolder(const std::string& drive)
      : path_(drive + "\\qs-root-test-" + std::to_string(std::random_device{}())) {}
  ~ScopedRootFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST_F(Win32FileCopyTest, AnExistingDriveAsParentNeedsNoCreation) {
  const std::string drive = dir_.path().substr(0, 2);  // e.g. C:
  ScopedRootFolder folder(drive);
  EXPECT_TRUE(job_.EnsureDirectory(folder.path() + "\\x"));
  EXPECT_EQ((std::vector<std::string>{folder.path() + "\\x", folder.path(), drive}), fs_.probes);
  EXPECT_EQ((std::vector<std::string>{folder.path(), folder.path() + "\\x"}), fs_.directoriesMade);
}

TEST_F(Win32FileCopyTest, TheCopyFileLineCarriesTheWin32Code) {
  const std::string missing = dir_ / "src/missing.txt";
  const std::string target = dir_ / "dst/missing.txt";
  EXPECT_FALSE(job_.CopyOneFile(missing, target, false));
  EXPECT_EQ((std::vector<std::string>{"CopyFile failed: " + missing + " -> " + target + " " +
                                          ErrorCodeText(2),  // FILE_NOT_FOUND
                                      "[COPY ERROR] " + missing}),
            BackupLog());
}

TEST_F(Win32FileCopyTest, AFileWhereADirectoryBelongsGivesPathNotFound) {
  test::WriteFile(dir_ / "dst/x", "a file, not a directory");
  const std::string target = dir_ / "dst/x/f.txt";
  EXPECT_FALSE(job_.CopyOneFile(dir_ / "src/f.txt", target, false));
  // CreateDirectoryW on dst\x met ERROR_ALREADY_EXISTS, which counts as made.
  EXPECT_EQ((std::vector<std::string>{
                "CopyFile failed: " + dir_ / "src/f.txt" + " -> " + target + " " + ErrorCodeText(3),
                "[COPY ERROR] " + dir_ / "src/f.txt"}),
            BackupLog());
}

TEST_F(Win32FileCopyTest, ADirectoryInTheTargetsPlaceIsDeniedAndKeptAsItWas) {
  test::MakeDirs(dir_ / "dst/f.txt/inner");
  const std::string target = dir_ / "dst/f.txt";
  EXPECT_FALSE(job_.CopyOneFile(dir_ / "src/f.txt", target, false));
  EXPECT_EQ("CopyFile failed: " + dir_ / "src/f.txt" + " -> " + target + " " +
                ErrorCodeText(5),  // DENIED
            BackupLog().at(0));
  EXPECT_EQ(PathKind::Directory, fs_.Probe(dir_ / "dst/f.txt/inner"));
  EXPECT_EQ(std::vector<std::string>{"f.txt"}, test::ListTree(dir_ / "src"));
  EXPECT_TRUE(test::ListTree(dir_ / "dst").empty());  // no temporary file left behind
}

}  // namespace
}  // namespace qs
