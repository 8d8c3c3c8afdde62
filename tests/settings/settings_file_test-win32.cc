// Settings files of older builds, written in the ANSI code page (1252 on the Western Windows
// the tests run as under Wine), are read in it; UTF-8 files are never read twice.
#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

TEST(Win32SettingsFileTest, AFileInTheAnsiCodePageIsReadInIt) {
  test::ScopedTempDir dir;
  const std::string path = dir / "backup_config.dat";
  // "Dökumente" and "Sicherung €" in Windows-1252, as an older build saved them.
  test::WriteFile(path, "C:\\D\xF6kumente\r\nD:\\Sicherung \x80\r\n15\r\n1\r\n0\r\n");
  EXPECT_EQ((AppSettings{"C:\\Dökumente", "D:\\Sicherung €", 15, true, false}), LoadSettings(path));
  // Saved again, the file is UTF-8 and reads the same.
  SaveSettings(LoadSettings(path), path);
  EXPECT_EQ("C:\\Dökumente\r\nD:\\Sicherung €\r\n15\r\n1\r\n0\r\n", test::ReadFile(path));
  EXPECT_EQ((AppSettings{"C:\\Dökumente", "D:\\Sicherung €", 15, true, false}), LoadSettings(path));
}

TEST(Win32SettingsFileTest, AUtf8FileIsNotTakenForTheAnsiCodePage) {
  test::ScopedTempDir dir;
  const std::string path = dir / "backup_config.dat";
  // In 1252 these bytes would read "Ã¶" and "Ð”".
  test::WriteFile(path, "C:\\\xC3\xB6\r\nD:\\\xD0\x94\r\n60\r\n0\r\n0\r\n");
  EXPECT_EQ((AppSettings{"C:\\ö", "D:\\Д", 60, false, false}), LoadSettings(path));
}

}  // namespace
}  // namespace qs
