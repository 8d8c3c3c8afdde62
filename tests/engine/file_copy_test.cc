// CopyOneFile and EnsureDirectory: directory chains, failures and their log texts.
#include "engine/file_copy.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "engine/backup_job.h"
#include "os/error_text.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;
using test::PaneLines;
using test::WithoutStamps;

class FileCopyTest : public test::JobFixture {
 protected:
  FileCopyTest() : JobFixture(false) {
    test::WriteFile(dir_ / "src/f.txt", "content", test::Seconds(1000));
  }
};

TEST_F(FileCopyTest, MissingDirectoriesAreMadeTopDownAndNothingIsLogged) {
  const std::string target = dir_ / "dst/x/y/f.txt";
  EXPECT_TRUE(job_.CopyOneFile(dir_ / "src/f.txt", target, false));
  EXPECT_EQ((std::vector<std::string>{dir_ / "dst", dir_ / "dst/x", dir_ / "dst/x/y"}),
            fs_.directoriesMade);
  EXPECT_EQ("content", test::ReadFile(target));
  EXPECT_EQ(test::Seconds(1000), test::RealFs().LastWriteTime(target));
  EXPECT_EQ("", backup_pane_.Text());
  EXPECT_EQ("", file_pane_.Text());
}

TEST_F(FileCopyTest, AnExistingDirectoryCostsOneProbe) {
  test::MakeDirs(dir_ / "dst");
  EXPECT_TRUE(job_.EnsureDirectory(dir_ / "dst"));
  EXPECT_EQ(std::vector<std::string>{dir_ / "dst"}, fs_.probes);
  EXPECT_TRUE(fs_.directoriesMade.empty());
}

TEST_F(FileCopyTest, TrailingSeparatorAndEmptyPath) {
  EXPECT_TRUE(job_.EnsureDirectory(dir_ / "dst/new/"));
  EXPECT_TRUE(test::Exists(dir_ / "dst/new"));
  EXPECT_TRUE(job_.EnsureDirectory(""));
}

TEST_F(FileCopyTest, FailedDirectoryIsReportedWithTheTargetsParent) {
  fs_.failMakeDirectory = [this](const std::string& p) { return p == dir_ / "dst/x"; };
  const std::string target = dir_ / "dst/x/y/f.txt";
  EXPECT_FALSE(job_.CopyOneFile(dir_ / "src/f.txt", target, false));
  EXPECT_EQ((std::vector<std::string>{"Failed to create directory: " + dir_ / "dst/x/y",
                                      "[DIRECTORY ERROR] " + dir_ / "dst/x/y"}),
            BackupLog());
  EXPECT_TRUE(test::Exists(dir_ / "dst"));  // levels made before the failure stay
  EXPECT_TRUE(fs_.copies.empty());
  EXPECT_EQ("", file_pane_.Text());
}

TEST_F(FileCopyTest, FailedCopyIsReportedWithItsCode) {
  fs_.failCopyTo = [](const std::string&) { return true; };
  fs_.code = 28;
  const std::string target = dir_ / "dst/f.txt";
  EXPECT_FALSE(job_.CopyOneFile(dir_ / "src/f.txt", target, false));
  EXPECT_EQ((std::vector<std::string>{"CopyFile failed: " + dir_ / "src/f.txt" + " -> " + target +
                                          " " + ErrorCodeText(28),
                                      "[COPY ERROR] " + dir_ / "src/f.txt"}),
            BackupLog());
}

TEST_F(FileCopyTest, AFileWhereADirectoryBelongsFailsTheCopyWithTheSystemCode) {
  test::WriteFile(dir_ / "dst/x", "a file, not a directory");
  const std::string target = dir_ / "dst/x/f.txt";
  EXPECT_FALSE(job_.CopyOneFile(dir_ / "src/f.txt", target, false));
  const std::vector<std::string> log = BackupLog();
  ASSERT_EQ(2u, log.size());
  const std::string prefix =
      "CopyFile failed: " + dir_ / "src/f.txt" + " -> " + target + " Error: ";
  ASSERT_EQ(prefix, log[0].substr(0, prefix.size()));
  EXPECT_NE("0", log[0].substr(prefix.size()));
  EXPECT_EQ("[COPY ERROR] " + dir_ / "src/f.txt", log[1]);
}

TEST_F(FileCopyTest, QuietFailuresLeaveNoTrace) {
  fs_.failCopyTo = [](const std::string&) { return true; };
  EXPECT_FALSE(job_.CopyOneFile(dir_ / "src/f.txt", dir_ / "dst/f.txt", true));
  fs_.failMakeDirectory = [](const std::string&) { return true; };
  EXPECT_FALSE(job_.CopyOneFile(dir_ / "src/f.txt", dir_ / "other/x/f.txt", true));
  EXPECT_EQ("", backup_pane_.Text());
}

TEST_F(FileCopyTest, CopyReplacesAnOlderTarget) {
  test::WriteFile(dir_ / "dst/f.txt", "old and longer content", test::Seconds(500));
  EXPECT_TRUE(job_.CopyOneFile(dir_ / "src/f.txt", dir_ / "dst/f.txt", false));
  EXPECT_EQ("content", test::ReadFile(dir_ / "dst/f.txt"));
  EXPECT_EQ(test::Seconds(1000), test::RealFs().LastWriteTime(dir_ / "dst/f.txt"));
}

TEST_F(FileCopyTest, ADirectoryKnownFromAnEarlierFileThatHasGoneIsMadeAgain) {
  // The files of one directory probe it once; when it vanishes in between (a user clearing
  // the backup while it runs), the copy makes it again rather than failing.
  KnownDirectory known;
  PreparedCopy first = PrepareCopy(fs_, dir_ / "src/f.txt", dir_ / "dst/d/a", &known);
  ASSERT_NE(nullptr, first.copy);
  ASSERT_TRUE(first.copy->Flush() && first.copy->Publish());
  EXPECT_EQ(dir_ / "dst/d", known.path);
  EXPECT_TRUE(known.made);
  std::filesystem::remove_all(dir_ / "dst/d");
  PreparedCopy second = PrepareCopy(fs_, dir_ / "src/f.txt", dir_ / "dst/d/b", &known);
  ASSERT_NE(nullptr, second.copy);
  ASSERT_TRUE(second.copy->Flush() && second.copy->Publish());
  EXPECT_EQ("content", test::ReadFile(dir_ / "dst/d/b"));
  EXPECT_TRUE(known.made);
  EXPECT_EQ(2, std::count(fs_.directoriesMade.begin(), fs_.directoriesMade.end(), dir_ / "dst/d"));
}

// A source that changes while it is read is read again into a fresh temporary file, so that a
// file saved while the copy ran is still copied whole; one that never rests fails on its own
// line, and nothing of it is left in the target.
TEST_F(FileCopyTest, ASourceThatChangesWhileReadIsCopiedAgainOrFailsOnItsOwnLine) {
  int tries = 0;
  fs_.changeWhileCopying = [&](const std::string&) { return ++tries == 1; };
  EXPECT_TRUE(job_.CopyOneFile(dir_ / "src/f.txt", dir_ / "dst/f.txt", false));
  EXPECT_EQ(2, tries);
  EXPECT_EQ("content", test::ReadFile(dir_ / "dst/f.txt"));
  EXPECT_EQ("", backup_pane_.Text());

  tries = 0;
  fs_.changeWhileCopying = [&](const std::string&) { return ++tries > 0; };
  test::WriteFile(dir_ / "src/f.txt", "changing", test::Seconds(2000));
  EXPECT_FALSE(job_.CopyOneFile(dir_ / "src/f.txt", dir_ / "dst/f.txt", false));
  EXPECT_EQ(kCopyAttempts, tries);
  EXPECT_EQ(std::vector<std::string>{"Changed while it was copied: " + dir_ / "src/f.txt"},
            BackupLog());
  EXPECT_EQ("content", test::ReadFile(dir_ / "dst/f.txt"));
  EXPECT_EQ(std::vector<std::string>{"f.txt"}, test::ListTree(dir_ / "dst"));
}

}  // namespace
}  // namespace qs
