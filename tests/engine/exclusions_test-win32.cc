// Exclusion patterns typed with Windows' own separator.
#include <gtest/gtest.h>

#include "engine/exclusions.h"

namespace qs {
namespace {

TEST(ExclusionsWin32Test, ABackslashSeparatesNamesAsASlashDoes) {
  Exclusions exclusions;
  std::string why;
  ASSERT_TRUE(exclusions.Add("\\build\\", &why)) << why;
  ASSERT_TRUE(exclusions.Add("Папка\\глубже\\*.txt", &why)) << why;
  EXPECT_TRUE(exclusions.Excludes("build", true));
  EXPECT_FALSE(exclusions.Excludes("sub/build", true));  // anchored by its leading backslash
  EXPECT_TRUE(exclusions.Excludes("x/Папка/глубже/a.txt", false));
  EXPECT_FALSE(exclusions.Excludes("x/Папка/a.txt", false));
}

TEST(ExclusionsWin32Test, ClassesAndReInclusionsWorkAsOnEverySystem) {
  Exclusions exclusions;
  std::string why;
  ASSERT_TRUE(exclusions.Add("logs\\file[12].log", &why)) << why;
  ASSERT_TRUE(exclusions.Add("!logs\\file2.log", &why)) << why;
  EXPECT_TRUE(exclusions.Excludes("a/logs/file1.log", false));
  EXPECT_FALSE(exclusions.Excludes("a/logs/file2.log", false));
  EXPECT_FALSE(exclusions.Excludes("a/logs/file3.log", false));
  // On a volume that ignores case, as Windows' own do, a class takes either case.
  ASSERT_TRUE(exclusions.Add("[a-c]*.tmp", &why)) << why;
  EXPECT_TRUE(exclusions.Excludes("B.TMP", false, true));
  EXPECT_FALSE(exclusions.Excludes("D.TMP", false, true));
  EXPECT_FALSE(exclusions.Add("file[12.txt", &why));
}

TEST(ExclusionsWin32Test, ABackslashEscapesNothingHere) {
  // "\!x" is "/!x": anchored, and the '!' that is no longer first is part of the name.
  Exclusions exclusions;
  std::string why;
  ASSERT_TRUE(exclusions.Add("\\!x", &why)) << why;
  EXPECT_TRUE(exclusions.Excludes("!x", false));
  EXPECT_FALSE(exclusions.Excludes("sub/!x", false));
  // A line's trailing spaces go even after a backslash, which separates names here (and
  // Windows keeps no name that ends with a space).
  Exclusions lines;
  ASSERT_TRUE(AddExclusionLines("build\\ \r\n", &lines, &why)) << why;
  EXPECT_TRUE(lines.Excludes("build", true));
  EXPECT_FALSE(lines.Excludes("build", false));  // "build\": folders only
}

}  // namespace
}  // namespace qs
