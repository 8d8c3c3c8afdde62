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

}  // namespace
}  // namespace qs
