// Exclusion patterns: names, folders, anchors and the patterns that are not.
#include "engine/exclusions.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

bool Excludes(const std::string& pattern, const std::string& path, bool folder = false) {
  Exclusions exclusions;
  std::string why;
  EXPECT_TRUE(exclusions.Add(pattern, &why)) << pattern << ": " << why;
  return exclusions.Excludes(path, folder);
}

TEST(ExclusionsTest, StarAndQuestionMarkStayWithinOneName) {
  EXPECT_TRUE(Excludes("*.tmp", "a.tmp"));
  EXPECT_TRUE(Excludes("*.tmp", "deep/down/a.tmp"));  // unanchored: at any depth
  EXPECT_FALSE(Excludes("*.tmp", "a.tmp.keep"));
  EXPECT_FALSE(Excludes("a*", "a/b"));  // * never crosses a folder
  EXPECT_TRUE(Excludes("a?c", "abc"));
  EXPECT_FALSE(Excludes("a?c", "ac"));
  EXPECT_TRUE(Excludes("??.txt", "ёж.txt"));  // ? is one character, not one byte
  EXPECT_TRUE(Excludes("*", "anything"));
  EXPECT_TRUE(Excludes("a*b*c", "a-b-b-c"));
}

TEST(ExclusionsTest, TwoStarsCrossFolders) {
  EXPECT_TRUE(Excludes("logs/**/*.gz", "logs/a.gz"));  // none included
  EXPECT_TRUE(Excludes("logs/**/*.gz", "logs/2024/12/a.gz"));
  EXPECT_TRUE(Excludes("logs/**/*.gz", "app/logs/x/a.gz"));  // unanchored
  EXPECT_FALSE(Excludes("/logs/**/*.gz", "app/logs/x/a.gz"));
  EXPECT_TRUE(Excludes("**/cache", "a/b/cache", true));
  EXPECT_TRUE(Excludes("/**", "top"));
}

TEST(ExclusionsTest, ALeadingSlashAnchorsATrailingSlashMeansFolders) {
  EXPECT_TRUE(Excludes("/build/", "build", true));
  EXPECT_FALSE(Excludes("/build/", "src/build", true));
  EXPECT_FALSE(Excludes("/build/", "build", false));  // a file of that name stays
  EXPECT_TRUE(Excludes("build/", "src/build", true));
  EXPECT_TRUE(Excludes("/src/main.c", "src/main.c"));
  EXPECT_FALSE(Excludes("/main.c", "src/main.c"));
}

TEST(ExclusionsTest, NamesAreComparedExactly) {
  EXPECT_FALSE(Excludes("Cache/", "cache", true));
  EXPECT_FALSE(Excludes("a.txt", "aa.txt"));
  EXPECT_TRUE(Excludes("a b.txt", "x/a b.txt"));
}

TEST(ExclusionsTest, FoldedCaseComparesNamesAsAVolumeThatIgnoresCase) {
  Exclusions exclusions;
  std::string why;
  ASSERT_TRUE(exclusions.Add("*.TMP", &why));
  ASSERT_TRUE(exclusions.Add("/Папка/", &why));
  EXPECT_FALSE(exclusions.Excludes("notes.tmp", false));
  EXPECT_TRUE(exclusions.Excludes("notes.tmp", false, true));
  EXPECT_TRUE(exclusions.Excludes("a/NOTES.Tmp", false, true));
  EXPECT_TRUE(exclusions.Excludes("папка", true, true));
  EXPECT_FALSE(exclusions.Excludes("папка", true, false));
  EXPECT_FALSE(exclusions.Excludes("x/папка", true, true));  // still anchored
  EXPECT_FALSE(exclusions.Excludes("notes.tmpx", false, true));
}

TEST(ExclusionsTest, WhatIsNoPatternIsRefusedWithAReason) {
  for (const char* bad : {"", "/", "//", "a//b", "a**b", "**x", "./a", "a/../b"}) {
    Exclusions exclusions;
    std::string why;
    EXPECT_FALSE(exclusions.Add(bad, &why)) << bad;
    EXPECT_FALSE(why.empty()) << bad;
    EXPECT_TRUE(exclusions.empty());
  }
  Exclusions none;
  EXPECT_FALSE(none.Excludes("anything", false));
}

TEST(ExclusionsTest, PatternFilesSkipCommentsAndBlankLines) {
  Exclusions exclusions;
  std::string why;
  ASSERT_TRUE(AddExclusionLines("# caches\r\n*.cache\n\n   # indented comment\n/tmp/\r\n",
                                &exclusions, &why))
      << why;
  EXPECT_TRUE(exclusions.Excludes("x/y.cache", false));
  EXPECT_TRUE(exclusions.Excludes("tmp", true));
  EXPECT_FALSE(exclusions.Excludes("# caches", false));
  Exclusions more;
  EXPECT_FALSE(AddExclusionLines("ok\na//b\n", &more, &why));
  EXPECT_EQ(0u, why.find("line 2: "));
}

TEST(ExclusionsTest, APatternFileSavedWithAByteOrderMarkReadsAsWithout) {
  // Notepad starts a UTF-8 file with one; it belongs to no pattern.
  Exclusions exclusions;
  std::string why;
  ASSERT_TRUE(AddExclusionLines("\xEF\xBB\xBF*.tmp\n", &exclusions, &why)) << why;
  EXPECT_TRUE(exclusions.Excludes("a.tmp", false));
  Exclusions commented;
  ASSERT_TRUE(AddExclusionLines("\xEF\xBB\xBF# a comment\n/keep.me\n", &commented, &why)) << why;
  EXPECT_FALSE(commented.Excludes("\xEF\xBB\xBF# a comment", false));
  EXPECT_FALSE(commented.Excludes("# a comment", false));
  EXPECT_TRUE(commented.Excludes("keep.me", false));
  // Only at the very start: within a line the bytes are part of a name.
  Exclusions inner;
  ASSERT_TRUE(
      AddExclusionLines("a\n\xEF\xBB\xBF"
                        "b\n",
                        &inner, &why))
      << why;
  EXPECT_TRUE(
      inner.Excludes("\xEF\xBB\xBF"
                     "b",
                     false));
  EXPECT_FALSE(inner.Excludes("b", false));
}

}  // namespace
}  // namespace qs
