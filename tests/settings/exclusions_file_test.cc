// backup_excludes.txt on the disk: where it is kept, its lines, and a save that is whole or
// leaves the old file as it was.
#include "settings/exclusions_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/test_support.h"

namespace qs {
namespace {

using Lines = std::vector<std::string>;

TEST(ExclusionsFileTest, KeptBesideTheSettingsFile) {
  EXPECT_EQ(test::Native("/home/me/conf/backup_excludes.txt"),
            ExclusionsPathBeside(test::Native("/home/me/conf/backup_config.dat")));
  // A bare name is found in the working folder, as the settings file is.
  EXPECT_EQ("backup_excludes.txt", ExclusionsPathBeside("backup_config.dat"));
}

TEST(ExclusionsFileTest, SavedPatternsLoadAsTheyWere) {
  test::ScopedTempDir dir;
  const std::string path = dir / "backup_excludes.txt";
  const Lines patterns = {"*.tmp", "/cache/", "!keep.tmp", "name with spaces"};
  std::string why = "untouched";
  ASSERT_TRUE(SaveExclusions(patterns, path, &why)) << why;
  std::string text;
  ASSERT_TRUE(LoadExclusionsText(path, &text, &why)) << why;
  EXPECT_EQ("*.tmp\n/cache/\n!keep.tmp\nname with spaces\n", text);
  EXPECT_EQ(patterns, PatternLines(text));
  EXPECT_FALSE(test::Exists(path + ".new"));
}

TEST(ExclusionsFileTest, PatternLinesAreTheLinesARunReads) {
  EXPECT_EQ(
      (Lines{"*.tmp", "/cache/", "  indented"}),
      PatternLines("\xEF\xBB\xBF*.tmp\r\n\n# a comment\n   \n  # another\r\n/cache/\n  indented"));
  EXPECT_EQ(Lines{}, PatternLines(""));
}

TEST(ExclusionsFileTest, AMissingFileHoldsNoneAndAFolderCannotBeRead) {
  test::ScopedTempDir dir;
  std::string text = "stale", why;
  EXPECT_TRUE(LoadExclusionsText(dir / "backup_excludes.txt", &text, &why));
  EXPECT_EQ("", text);
  test::MakeDirs(dir / "folder.txt");
  EXPECT_FALSE(LoadExclusionsText(dir / "folder.txt", &text, &why));
  EXPECT_EQ("The exclusions file " + dir / "folder.txt" + " cannot be read: it is not a file.",
            why);
}

TEST(ExclusionsFileTest, ASaveReplacesTheFileInsteadOfWritingIntoIt) {
  // A second name for the old file keeps the old bytes only when the new ones went to a file
  // of their own that was renamed over it: a crash midway never leaves a torn file.
  test::ScopedTempDir dir;
  const std::string path = dir / "backup_excludes.txt";
  test::WriteFile(path, "old\n");
  std::filesystem::create_hard_link(path, dir / "second_name");
  std::string why;
  ASSERT_TRUE(SaveExclusions({"new"}, path, &why)) << why;
  EXPECT_EQ("new\n", test::ReadFile(path));
  EXPECT_EQ("old\n", test::ReadFile(dir / "second_name"));
}

TEST(ExclusionsFileTest, AFailedSaveSaysWhyAndLeavesTheOldFile) {
  test::ScopedTempDir dir;
  const std::string path = dir / "backup_excludes.txt";
  test::WriteFile(path, "old\n");
  test::WriteFile(path + ".new/blocker", "");  // no temporary file can be made there
  std::string why;
  EXPECT_FALSE(SaveExclusions({"new"}, path, &why));
  EXPECT_EQ(0u, why.rfind("The exclusions could not be saved to " + path + ": ", 0)) << why;
  EXPECT_EQ("old\n", test::ReadFile(path));
  // Into a folder that is not there: the reason is the system's.
  const std::string nowhere = dir / "none/backup_excludes.txt";
  EXPECT_FALSE(SaveExclusions({"new"}, nowhere, &why));
  const std::string start = "The exclusions could not be saved to " + nowhere + ": ";
  EXPECT_EQ(0u, why.rfind(start, 0)) << why;
  EXPECT_GT(why.size(), start.size() + 1) << why;
}

}  // namespace
}  // namespace qs
