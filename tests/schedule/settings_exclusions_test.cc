// The exclusions of the settings as every run reads them: the file's patterns, or a refusal
// that names the file, the line and the engine's reason.
#include "schedule/settings_exclusions.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

namespace qs {
namespace {

TEST(SettingsExclusionsTest, TheFilesPatternsAreLeftOut) {
  test::ScopedTempDir dir;
  const std::string path = dir / "backup_excludes.txt";
  Exclusions exclusions;
  std::string why;
  ASSERT_TRUE(LoadSettingsExclusions(path, &exclusions, &why)) << why;
  EXPECT_TRUE(exclusions.empty());  // no file: nothing left out
  test::WriteFile(path, "# caches\n/cache/\n*.tmp\n");
  ASSERT_TRUE(LoadSettingsExclusions(path, &exclusions, &why)) << why;
  EXPECT_TRUE(exclusions.Excludes("cache", true));
  EXPECT_TRUE(exclusions.Excludes("deep/x.tmp", false));
  EXPECT_FALSE(exclusions.Excludes("deep/cache", true));
}

TEST(SettingsExclusionsTest, ARefusedLineIsNamedWithItsNumberAndReason) {
  test::ScopedTempDir dir;
  const std::string path = dir / "backup_excludes.txt";
  test::WriteFile(path, "*.tmp\n\na//b\n");
  Exclusions exclusions;
  std::string why;
  EXPECT_FALSE(LoadSettingsExclusions(path, &exclusions, &why));
  EXPECT_EQ("The exclusions file " + path +
                " is refused at line 3: bad pattern \"a//b\": two slashes in a row leave an "
                "empty name between them.",
            why);
  EXPECT_TRUE(exclusions.empty());
  test::MakeDirs(dir / "folder");
  EXPECT_FALSE(LoadSettingsExclusions(dir / "folder", &exclusions, &why));
  EXPECT_NE(std::string::npos, why.find("cannot be read")) << why;
}

}  // namespace
}  // namespace qs
