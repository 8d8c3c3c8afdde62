// Exclusion patterns: names, folders, anchors and the patterns that are not.
#include "engine/exclusions.h"

#include <gtest/gtest.h>

#include "os/file_system.h"

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

/// Whether the patterns, in this order, leave `path` out.
bool ExcludedBy(const std::vector<std::string>& patterns, const std::string& path,
                bool folder = false) {
  Exclusions exclusions;
  std::string why;
  for (const std::string& pattern : patterns)
    EXPECT_TRUE(exclusions.Add(pattern, &why)) << pattern << ": " << why;
  return exclusions.Excludes(path, folder);
}

TEST(ExclusionsTest, ClassesAndEscapesWithinAWholePattern) {
  EXPECT_TRUE(Excludes("file[12].txt", "docs/file1.txt"));
  EXPECT_FALSE(Excludes("file[12].txt", "docs/file3.txt"));
  EXPECT_TRUE(Excludes("/v[0-9]/", "v1", true));
  EXPECT_FALSE(Excludes("/v[0-9]/", "a/v1", true));
  EXPECT_TRUE(Excludes("logs/[!.]*", "app/logs/today"));
  EXPECT_FALSE(Excludes("logs/[!.]*", "app/logs/.keep"));
  if (kPathSeparator == '/') {
    EXPECT_TRUE(Excludes("star\\*.txt", "star*.txt"));
    EXPECT_FALSE(Excludes("star\\*.txt", "starry.txt"));
    EXPECT_TRUE(Excludes("\\!keep.log", "!keep.log"));  // a name that starts with '!'
    EXPECT_TRUE(Excludes("\\#notes", "x/#notes"));
  }
}

TEST(ExclusionsTest, TheLastPatternThatMatchesDecides) {
  EXPECT_TRUE(ExcludedBy({"*.log"}, "a.log"));
  EXPECT_FALSE(ExcludedBy({"*.log", "!keep.log"}, "keep.log"));
  EXPECT_FALSE(ExcludedBy({"*.log", "!keep.log"}, "deep/keep.log"));
  EXPECT_TRUE(ExcludedBy({"*.log", "!keep.log"}, "other.log"));
  // Order counts: a later exclusion takes it out again.
  EXPECT_TRUE(ExcludedBy({"*.log", "!keep.log", "/keep.log"}, "keep.log"));
  EXPECT_FALSE(ExcludedBy({"*.log", "!keep.log", "/keep.log"}, "sub/keep.log"));
  // A re-inclusion alone leaves nothing out.
  EXPECT_FALSE(ExcludedBy({"!*.txt"}, "a.txt"));
  EXPECT_FALSE(ExcludedBy({"!*.txt"}, "a.log"));
  // With a trailing '/' it takes back folders only.
  EXPECT_FALSE(ExcludedBy({"/*", "!/docs/"}, "docs", true));
  EXPECT_TRUE(ExcludedBy({"/*", "!/docs/"}, "docs", false));
  EXPECT_TRUE(ExcludedBy({"/*", "!/docs/"}, "music", true));
  EXPECT_FALSE(ExcludedBy({"/*", "!/docs/"}, "docs/a.txt"));  // `/*` names the top only
  EXPECT_FALSE(ExcludedBy({"*.tmp", "![a-m]*.tmp"}, "b.tmp"));
  EXPECT_TRUE(ExcludedBy({"*.tmp", "![a-m]*.tmp"}, "x.tmp"));
}

TEST(ExclusionsTest, ReIncludingFollowsTheCaseOfTheVolume) {
  Exclusions exclusions;
  std::string why;
  ASSERT_TRUE(exclusions.Add("*.log", &why));
  ASSERT_TRUE(exclusions.Add("!KEEP.log", &why));
  EXPECT_FALSE(exclusions.Excludes("keep.log", false, true));
  EXPECT_FALSE(exclusions.Excludes("Keep.LOG", false, true));
  EXPECT_TRUE(exclusions.Excludes("other.LOG", false, true));
  // Where case counts, "!KEEP.log" takes back only that spelling.
  EXPECT_TRUE(exclusions.Excludes("keep.log", false, false));
  EXPECT_FALSE(exclusions.Excludes("KEEP.log", false, false));
}

TEST(ExclusionsTest, WhatIsNoPatternIsRefusedWithAReason) {
  for (const char* bad : {"", "/", "//", "a//b", "a**b", "**x", "./a", "a/../b", "!", "!/",
                          "file[12.txt", "[]", "x/[!]", "[b-a]", "[[:word:]]", "a/[/]b"}) {
    Exclusions exclusions;
    std::string why;
    EXPECT_FALSE(exclusions.Add(bad, &why)) << bad;
    EXPECT_FALSE(why.empty()) << bad;
    EXPECT_TRUE(exclusions.empty());
  }
  Exclusions none;
  EXPECT_FALSE(none.Excludes("anything", false));
  Exclusions one;
  std::string why;
  ASSERT_TRUE(one.Add("*.tmp", &why));
  EXPECT_FALSE(one.Add("[oops", &why));
  EXPECT_FALSE(one.Excludes("[oops", false));
  EXPECT_TRUE(one.Excludes("a.tmp", false));
  if (kPathSeparator == '/') {
    for (const char* bad : {"name\\", "a\\/b", "\\"}) {
      Exclusions exclusions;
      EXPECT_FALSE(exclusions.Add(bad, &why)) << bad;
      EXPECT_EQ("a \"\\\" at the end of a name escapes nothing", why) << bad;
    }
  }
}

TEST(ExclusionsTest, TrailingSpacesOfALineAreDroppedUnlessEscaped) {
  Exclusions exclusions;
  std::string why;
  ASSERT_TRUE(AddExclusionLines("*.tmp   \n/build/ \r\n  \n", &exclusions, &why)) << why;
  EXPECT_TRUE(exclusions.Excludes("a.tmp", false));
  EXPECT_TRUE(exclusions.Excludes("build", true));
  EXPECT_FALSE(exclusions.Excludes("a.tmp   ", false));
  // Leading spaces are part of the name.
  Exclusions leading;
  ASSERT_TRUE(AddExclusionLines("  x\n", &leading, &why)) << why;
  EXPECT_TRUE(leading.Excludes("  x", false));
  EXPECT_FALSE(leading.Excludes("x", false));
  if (kPathSeparator != '/') return;
  Exclusions escaped;
  ASSERT_TRUE(
      AddExclusionLines("ends with space\\ \nends with two \\  \ntwo\\\\ \n", &escaped, &why))
      << why;
  EXPECT_TRUE(escaped.Excludes("ends with space ", false));
  EXPECT_FALSE(escaped.Excludes("ends with space", false));
  EXPECT_TRUE(escaped.Excludes("ends with two  ", false));  // up to the escaped one
  EXPECT_TRUE(escaped.Excludes("two\\", false));            // an escaped backslash escapes no space
}

TEST(ExclusionsTest, ABadLineIsNamedWithItsNumberAndPattern) {
  Exclusions exclusions;
  std::string why;
  EXPECT_FALSE(AddExclusionLines("# fine\n*.tmp\n\nfile[12.txt   \n", &exclusions, &why));
  EXPECT_EQ(
      "line 4: bad pattern \"file[12.txt\": a \"[\" opens a class of characters that no \"]\" "
      "closes",
      why);
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
