// The settings file: every read rule for short and malformed files, and the round trip.
#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <system_error>

#include "tests/support/test_support.h"

namespace qs {
namespace {

AppSettings Parse(const std::string& content) { return ParseSettings(content, DefaultSettings()); }

AppSettings Record(std::string source, std::string target, int32_t interval, bool autob,
                   bool versioning) {
  return AppSettings{std::move(source), std::move(target), interval, autob, versioning};
}

TEST(SettingsFileTest, MissingFileGivesTheDefaults) {
  test::ScopedTempDir dir;
  const AppSettings settings = LoadSettings(dir / "none.dat");
  EXPECT_EQ(DefaultSettings(), settings);
  EXPECT_EQ(60, settings.intervalMinutes);
  EXPECT_FALSE(settings.autoBackupEnabled);
  EXPECT_FALSE(settings.timeVersioning);
}

TEST(SettingsFileTest, AFolderInThePlaceOfTheFileGivesTheDefaults) {
  // It cannot be read as a file: read as an empty one, its empty source would make the runner
  // back up the working folder.
  test::ScopedTempDir dir;
  test::MakeDirs(dir / "backup_config.dat");
  EXPECT_EQ(DefaultSettings(), LoadSettings(dir / "backup_config.dat"));
}

TEST(SettingsFileTest, ShortFilesKeepTheDefaultsOfWhatIsMissing) {
  const AppSettings d = DefaultSettings();
  // Empty file: the source becomes empty, the rest keeps its defaults.
  EXPECT_EQ(Record("", d.targetDir, 60, false, false), Parse(""));
  // Only a source line with its line end: the target becomes empty.
  EXPECT_EQ(Record("/a", "", 60, false, false), Parse("/a\r\n"));
  // Only a source line without a line end: the end of the file stops all later fields.
  EXPECT_EQ(Record("/a", d.targetDir, 60, false, false), Parse("/a"));
  // Two paths and nothing else.
  EXPECT_EQ(Record("/a", "/b", 60, false, false), Parse("/a\r\n/b\r\n"));
}

TEST(SettingsFileTest, BadNumbersStopTheReading) {
  EXPECT_EQ(Record("/a", "/b", 0, false, false), Parse("/a\r\n/b\r\nx5\r\n1\r\n1\r\n"));
  EXPECT_EQ(Record("/a", "/b", 2147483647, false, false),
            Parse("/a\r\n/b\r\n99999999999\r\n1\r\n1\r\n"));
  EXPECT_EQ(Record("/a", "/b", -2147483648, false, false),
            Parse("/a\r\n/b\r\n-99999999999\r\n1\r\n1\r\n"));
  EXPECT_EQ(Record("/a", "/b", -5, true, false), Parse("/a\r\n/b\r\n-5\r\n1\r\n0\r\n"));
  EXPECT_EQ(Record("/a", "/b", 7, false, false), Parse("/a\r\n/b\r\n+7\r\n\r\n"));
  EXPECT_EQ(Record("/a", "/b", 0, false, false), Parse("/a\r\n/b\r\n-\r\n1\r\n1\r\n"));
}

TEST(SettingsFileTest, FlagsOtherThanZeroOrOneCountAsTrueAndStop) {
  EXPECT_EQ(Record("/a", "/b", 5, true, false), Parse("/a\r\n/b\r\n5\r\n2\r\n1\r\n"));
  EXPECT_EQ(Record("/a", "/b", 5, false, false), Parse("/a\r\n/b\r\n5\r\nyes\r\n1\r\n"));
  EXPECT_EQ(Record("/a", "/b", 5, false, true), Parse("/a\r\n/b\r\n5\r\n0\r\n1"));
  EXPECT_EQ(Record("/a", "/b", 5, true, false), Parse("/a\r\n/b\r\n5\r\n-1\r\n0\r\n"));
}

TEST(SettingsFileTest, LastValueWithoutLineEndAndLineEndsOfEitherSystem) {
  const AppSettings expected = Record("/a b", "/c", 15, true, true);
  EXPECT_EQ(expected, Parse("/a b\r\n/c\r\n15\r\n1\r\n1"));
  EXPECT_EQ(expected, Parse("/a b\n/c\n15\n1\n1\n"));
  EXPECT_EQ(expected, Parse("/a b\r\n/c\r\n  15 \r\n\t1\r\n1\r\nanything after"));
}

TEST(SettingsFileTest, BlanksInPathsArePartOfThem) {
  EXPECT_EQ(Record("  /a  ", " /b\t", 60, false, false),
            Parse("  /a  \r\n /b\t\r\n60\r\n0\r\n0\r\n"));
}

TEST(SettingsFileTest, WrittenFileHasFiveCrLfLines) {
  test::ScopedTempDir dir;
  const std::string path = dir / "backup_config.dat";
  SaveSettings(Record("d:\\test", "D:\\Backup", 60, false, false), path);
  EXPECT_EQ("d:\\test\r\nD:\\Backup\r\n60\r\n0\r\n0\r\n", test::ReadFile(path));
  SaveSettings(Record("", "x", -12, true, true), path);
  EXPECT_EQ("\r\nx\r\n-12\r\n1\r\n1\r\n", test::ReadFile(path));
  EXPECT_EQ(std::vector<std::string>{"backup_config.dat"}, test::ListTree(dir.path()));
}

TEST(SettingsFileTest, RoundTripKeepsEveryValue) {
  test::ScopedTempDir dir;
  const std::string path = dir / "backup_config.dat";
  const AppSettings records[] = {
      Record("", "", 0, false, false),
      Record(" lead and trail ", "tab\there", 2147483647, true, false),
      Record("ends in CR\r", "/b", -2147483648, false, true),
      Record("/a", "/b", -1, true, true),
      // Cyrillic, CJK, an emoji, a combining accent beside the precomposed letter, ā beside a.
      Record("C:\\Документы\\отчёт", "D:\\中文目录\\备份", 5, true, false),
      Record("/home/😀/e\u0301 \u00e9", "/ā/a/．．＼outside", 7, false, true),
  };
  for (const AppSettings& record : records) {
    SaveSettings(record, path);
    EXPECT_EQ(record, LoadSettings(path));
  }
  // UTF-8 is stored as it is, with nothing converted on the way.
  SaveSettings(records[4], path);
  EXPECT_EQ("C:\\Документы\\отчёт\r\nD:\\中文目录\\备份\r\n5\r\n1\r\n0\r\n", test::ReadFile(path));
}

TEST(SettingsFileTest, AFileInAFolderWithAUnicodeNameIsFoundAgain) {
  // On Windows a narrow path would open "??????" instead.
  test::ScopedTempDir dir;
  const std::string path = dir / "Настройки 中文 😀/backup_config.dat";
  test::MakeDirs(dir / "Настройки 中文 😀");
  const AppSettings record = Record("Привет", "世界", 30, true, true);
  SaveSettings(record, path);
  EXPECT_EQ(record, LoadSettings(path));
  EXPECT_EQ(std::vector<std::string>{"Настройки 中文 😀/backup_config.dat"},
            test::ListTree(dir.path()));
}

TEST(SettingsFileTest, AByteOrderMarkBeforeTheSourceIsDropped) {
  // Notepad of older Windows starts a UTF-8 file with one.
  test::ScopedTempDir dir;
  test::WriteFile(dir / "backup_config.dat", "\xEF\xBB\xBF/Привет\r\n/b\r\n5\r\n0\r\n1\r\n");
  EXPECT_EQ(Record("/Привет", "/b", 5, false, true), LoadSettings(dir / "backup_config.dat"));
}

TEST(SettingsFileTest, UnwritablePlaceIsSilentAndChangesNothing) {
  test::ScopedTempDir dir;
  SaveSettings(DefaultSettings(), dir / "missing/dir/backup_config.dat");
  EXPECT_TRUE(test::ListTree(dir.path()).empty());
}

// The save writes no line of its own: the caller is told, in the system's words, and says so.
TEST(SettingsFileTest, ASaveTellsWhyItFailed) {
  test::ScopedTempDir dir;
  std::string why;
  EXPECT_FALSE(SaveSettings(DefaultSettings(), dir / "missing/backup_config.dat", &why));
  EXPECT_EQ(std::error_code(ENOENT, std::generic_category()).message(), why);
  test::MakeDirs(dir / "folder.dat");  // a folder where the file belongs
  why.clear();
  EXPECT_FALSE(SaveSettings(DefaultSettings(), dir / "folder.dat", &why));
  EXPECT_FALSE(why.empty());
  EXPECT_FALSE(test::Exists(dir / "folder.dat.new"));
  why = "untouched";
  EXPECT_TRUE(SaveSettings(DefaultSettings(), dir / "backup_config.dat", &why));
  EXPECT_EQ("untouched", why);
  EXPECT_EQ(FormatSettings(DefaultSettings()), test::ReadFile(dir / "backup_config.dat"));
}

TEST(SettingsFileTest, IntervalTextReadsLikeAtol) {
  EXPECT_EQ(0, ParseIntervalText(""));
  EXPECT_EQ(0, ParseIntervalText("abc"));
  EXPECT_EQ(15, ParseIntervalText("  15min"));
  EXPECT_EQ(-5, ParseIntervalText("-5"));
  EXPECT_EQ(999999999, ParseIntervalText("999999999"));
  EXPECT_EQ(2147483647, ParseIntervalText("99999999999999999999"));
}

}  // namespace
}  // namespace qs

namespace qs {
namespace {

TEST(SettingsFileTest, ARunFromTheFileNeedsItsFoldersNeverTheDefaults) {
  test::ScopedTempDir dir;
  AppSettings settings;
  EXPECT_FALSE(LoadSettingsWithFolders(dir / "none.dat", &settings));
  test::MakeDirs(dir / "folder.dat");
  EXPECT_FALSE(LoadSettingsWithFolders(dir / "folder.dat", &settings));
  test::WriteFile(dir / "empty.dat", "");
  EXPECT_FALSE(LoadSettingsWithFolders(dir / "empty.dat", &settings));
  test::WriteFile(dir / "full.dat", "/a\r\n/b\r\n5\r\n1\r\n0\r\n");
  ASSERT_TRUE(LoadSettingsWithFolders(dir / "full.dat", &settings));
  EXPECT_EQ((AppSettings{"/a", "/b", 5, true, false}), settings);
}

}  // namespace
}  // namespace qs
