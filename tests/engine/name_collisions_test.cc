// Source names that one case-ignoring target file would take for the same.
#include "engine/name_collisions.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

FileList ListOf(std::initializer_list<const char*> paths) {
  FileList list;
  for (const char* path : paths) list.push_back({path, {}});
  return list;
}

TEST(NameCollisionsTest, EachLaterSpellingCollidesWithTheFirst) {
  const FileList list = ListOf({"/s/Notes.txt", "/s/a", "/s/notes.txt", "/s/NOTES.TXT", "/s/b"});
  const std::vector<NameCollision> found = FindNameCollisions(list, 3);
  ASSERT_EQ(2u, found.size());
  EXPECT_EQ(2u, found[0].later);
  EXPECT_EQ(0u, found[0].first);
  EXPECT_EQ(3u, found[1].later);
  EXPECT_EQ(0u, found[1].first);
}

TEST(NameCollisionsTest, FoldersAndNonAsciiNamesCountToo) {
  const FileList list = ListOf({"/s/Dir/a.txt", "/s/dir/A.TXT", "/s/dir/b.txt", "/s/Ёлка",
                                "/s/ёЛКА", "/s/a.txt", "/s/ā.txt"});
  const std::vector<NameCollision> found = FindNameCollisions(list, 3);
  ASSERT_EQ(2u, found.size());
  EXPECT_EQ(1u, found[0].later);
  EXPECT_EQ(0u, found[0].first);
  EXPECT_EQ(4u, found[1].later);
  EXPECT_EQ(3u, found[1].first);
}

TEST(NameCollisionsTest, OnlyThePartBelowTheRootCounts) {
  // Two roots that differ in case are one folder to the user: nothing collides below them.
  const FileList list = ListOf({"/S/x", "/s/y"});
  EXPECT_TRUE(FindNameCollisions(list, 3).empty());
  EXPECT_TRUE(FindNameCollisions(FileList{}, 3).empty());
}

}  // namespace
}  // namespace qs
