// Source names that one case-ignoring target file would take for the same.
#include "engine/name_collisions.h"

#include <gtest/gtest.h>

#include "tests/support/test_support.h"

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

// What a copy refused by the target ran into: the source file of the target entry's spelling
// when the source has one, else that entry, else (no table here folds the two alike) the
// target path itself.
TEST(NameCollisionsTest, ACollisionFoundOnTheTargetNamesWhatItRanInto) {
  test::ScopedTempDir dir;
  FileSystem& fs = test::RealFs();
  test::WriteFile(dir / "dst/Notes.txt", "old");
  test::WriteFile(dir / "src/notes.txt", "new");
  EXPECT_EQ(dir / "dst/Notes.txt",
            CollidingEntry(fs, dir / "src/notes.txt", dir / "dst/notes.txt"));
  test::WriteFile(dir / "src/Notes.txt", "other");
  if (test::ListTree(dir / "src").size() == 2) {  // a source that keeps both spellings
    EXPECT_EQ(dir / "src/Notes.txt",
              CollidingEntry(fs, dir / "src/notes.txt", dir / "dst/notes.txt"));
  }
  EXPECT_EQ(dir / "dst/ǆ.txt", CollidingEntry(fs, dir / "src/ǆ.txt", dir / "dst/ǆ.txt"));
}

}  // namespace
}  // namespace qs
