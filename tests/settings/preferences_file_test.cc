// backup_preferences.txt: the two keys, lines of other builds kept in place, and the file on
// the disk.
#include "settings/preferences_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <system_error>

#include "tests/support/test_support.h"

namespace qs {
namespace {

TEST(PreferencesFileTest, ReadsBothKeysInAnyOrderAndSpelling) {
  const Preferences p = ParsePreferences("notify_on_success = yes\r\nbackup_when_closed=1\n");
  EXPECT_TRUE(p.backupWhenClosed);
  EXPECT_TRUE(p.notifyOnSuccess);
  for (const char* no : {"0", "false", "no", "off"})
    EXPECT_FALSE(ParsePreferences(std::string("backup_when_closed=") + no).backupWhenClosed);
  // The last line of a key counts; a value this build cannot read keeps the default.
  EXPECT_FALSE(ParsePreferences("backup_when_closed=1\nbackup_when_closed=0\n").backupWhenClosed);
  EXPECT_FALSE(ParsePreferences("backup_when_closed=maybe\n").backupWhenClosed);
  EXPECT_FALSE(ParsePreferences("").notifyOnSuccess);
  // An editor's byte-order mark is no part of the first key.
  EXPECT_TRUE(ParsePreferences("\xEF\xBB\xBFnotify_on_success=1\n").notifyOnSuccess);
}

TEST(PreferencesFileTest, RewritingKeepsOtherLinesWhereTheyWere) {
  Preferences p = ParsePreferences(
      "# kept by hand\ntheme=dark\nnotify_on_success=0\n\nnotify_on_success=1\nzoom = 2\n");
  EXPECT_TRUE(p.notifyOnSuccess);
  p.notifyOnSuccess = false;
  p.backupWhenClosed = true;
  EXPECT_EQ(
      "# kept by hand\r\ntheme=dark\r\nnotify_on_success=0\r\n\r\nzoom = 2\r\n"
      "backup_when_closed=1\r\n",
      FormatPreferences(p));
  EXPECT_EQ("backup_when_closed=0\r\nnotify_on_success=0\r\n", FormatPreferences(Preferences()));
}

TEST(PreferencesFileTest, SavedAndLoadedThroughTheDisk) {
  test::ScopedTempDir dir;
  const std::string path = dir / kPreferencesFileName;
  EXPECT_FALSE(LoadPreferences(path).backupWhenClosed);  // no file: the defaults
  test::WriteFile(path, "future_key=7\nbackup_when_closed=0\n");
  Preferences p = LoadPreferences(path);
  p.backupWhenClosed = true;
  ASSERT_TRUE(SavePreferences(p, path));
  EXPECT_EQ("future_key=7\r\nbackup_when_closed=1\r\nnotify_on_success=0\r\n",
            test::ReadFile(path));
  EXPECT_TRUE(LoadPreferences(path).backupWhenClosed);
  EXPECT_FALSE(test::Exists(path + ".new"));
}

TEST(PreferencesFileTest, AFileThatCannotBeWrittenIsReportedAndLeftAsItWas) {
  test::ScopedTempDir dir;
  test::MakeDirs(dir / "folder.txt");  // a folder where the file belongs
  Preferences p;
  p.backupWhenClosed = true;
  EXPECT_FALSE(SavePreferences(p, dir / "folder.txt"));
  std::string why;
  EXPECT_FALSE(SavePreferences(p, dir / "missing/prefs.txt", &why));
  EXPECT_EQ(std::error_code(ENOENT, std::generic_category()).message(), why);
  EXPECT_FALSE(test::Exists(dir / "folder.txt.new"));
  EXPECT_FALSE(LoadPreferences(dir / "folder.txt").backupWhenClosed);
}

}  // namespace
}  // namespace qs
