// Path texts: only the native separator separates.
#include "engine/paths.h"

#include <gtest/gtest.h>

#include "os/file_system.h"

namespace qs {
namespace {

TEST(PathsTest, TrailingSeparatorsAreAddedWhereMissingAndRemovedOnce) {
  const std::string sep(1, kPathSeparator);
  EXPECT_EQ("data" + sep, WithTrailingSeparator("data"));
  EXPECT_EQ("copy" + sep, WithTrailingSeparator("copy" + sep));
  EXPECT_EQ("", WithTrailingSeparator(""));
  EXPECT_EQ("data", WithoutTrailingSeparator("data" + sep));
  EXPECT_EQ(sep, WithoutTrailingSeparator(sep));
}

TEST(PathsTest, TheParentIsTheTextBeforeTheLastSeparator) {
  const std::string sep(1, kPathSeparator);
  EXPECT_EQ("a" + sep + "b", ParentPath("a" + sep + "b" + sep + "c"));
  EXPECT_EQ("", ParentPath(sep + "root"));
  EXPECT_FALSE(HasParent("bare"));
  EXPECT_EQ("", ParentPath("bare"));
}

}  // namespace
}  // namespace qs
