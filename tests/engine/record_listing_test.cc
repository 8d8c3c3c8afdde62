#include "engine/record_listing.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

RecordedFile File(std::string path, uint64_t size, int64_t seconds, uint64_t hash = 0) {
  RecordedFile file{std::move(path), size, {seconds, 5}, hash != 0, {}};
  if (hash != 0) file.hash = {hash, ~hash};
  return file;
}

TEST(RecordListingTest, DiffThenApplyGivesTheNewListing) {
  const Listing before = {File("a", 1, 10, 1), File("b/c", 2, 20, 2), File("b/d", 3, 30, 3)};
  const Listing after = {File("a", 1, 10, 1), File("b/d", 4, 31, 9), File("e", 5, 50)};
  const ListingChanges changes = Diff(before, after);
  ASSERT_EQ(changes.size(), 3u);  // b/c removed, b/d changed, e added; a unchanged
  EXPECT_EQ(changes[0].kind, ListingChange::Kind::kRemove);
  EXPECT_EQ(changes[0].file.path, "b/c");
  Listing applied = before;
  Apply(changes, &applied);
  EXPECT_EQ(applied, after);
  EXPECT_TRUE(Diff(after, after).empty());
}

TEST(RecordListingTest, ChangesEncodeAndDecodeWithSharedPrefixes) {
  ListingChanges changes =
      Diff({File("docs/old.txt", 1, 1)}, {File("docs/report-2026.txt", 70000, -5, 42),
                                          File("docs/report-2027.txt", 0, 1767225600),
                                          File("\xc8\x98"
                                               "coala.txt",
                                               9, 9, 7)});
  changes[1].versionSaved = true;
  ByteWriter out;
  EncodeChanges(changes, &out);
  ByteReader in(out.data());
  ListingChanges read;
  ASSERT_TRUE(DecodeChanges(&in, &read));
  EXPECT_EQ(read, changes);
  EXPECT_TRUE(in.AtEnd());
}

TEST(RecordListingTest, ADeepTreeCostsLittleMoreThanItsNames) {
  Listing listing;
  for (int i = 0; i < 1000; ++i)
    listing.push_back(File("home/user/projects/quill/src/file" + std::to_string(10000 + i) + ".cc",
                           1000 + i, 1767225600 + i, 1 + i));
  Normalize(&listing);
  ByteWriter out;
  EncodeChanges(AsChanges(listing), &out);
  // Each name differs in its last digits: the shared 39 bytes are not repeated.
  EXPECT_LT(out.data().size(), listing.size() * 45);
}

TEST(RecordListingTest, ChangesAreSkippedAndCountedWithoutBeingKept) {
  ListingChanges changes = AsChanges({File("a", 1, 1, 1), File("a/b", 2, 2), File("ab", 3, 3, 3)});
  changes.push_back({ListingChange::Kind::kRemove, File("b", 0, 0), false});
  ByteWriter out;
  EncodeChanges(changes, &out);
  out.Byte(7);  // what follows the changes is left to be read
  ByteReader in(out.data());
  uint64_t count = 0;
  ASSERT_TRUE(SkipChanges(&in, &count));
  EXPECT_EQ(count, 4u);
  uint8_t next = 0;
  ASSERT_TRUE(in.Byte(&next));
  EXPECT_EQ(next, 7);
}

TEST(RecordListingTest, DamagedChangesAreRefusedDecodedOrSkipped) {
  ByteWriter out;
  EncodeChanges(AsChanges({File("a", 1, 1, 1), File("b", 2, 2, 2)}), &out);
  const std::string whole = out.data();
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    ByteReader in(std::string_view(whole).substr(0, cut));
    ListingChanges read;
    EXPECT_FALSE(DecodeChanges(&in, &read)) << "cut at " << cut;
    ByteReader skipped(std::string_view(whole).substr(0, cut));
    uint64_t count = 0;
    EXPECT_FALSE(SkipChanges(&skipped, &count)) << "cut at " << cut;
  }
  // Paths out of order, or twice, are no listing.
  for (const char* second : {"a", "b"}) {
    ByteWriter backwards;
    EncodeChanges({{ListingChange::Kind::kRemove, File("b", 0, 0), false},
                   {ListingChange::Kind::kRemove, File(second, 0, 0), false}},
                  &backwards);
    ByteReader in(backwards.data());
    ListingChanges read;
    EXPECT_FALSE(DecodeChanges(&in, &read)) << second;
    ByteReader skipped(backwards.data());
    uint64_t count = 0;
    EXPECT_FALSE(SkipChanges(&skipped, &count)) << second;
  }
}

TEST(RecordListingTest, ASearchFromAnyFileFindsWhatASearchFromNothingFinds) {
  // Folders and names that sort around '/', as a real tree's do.
  Listing listing;
  for (const char* path : {"a", "a b", "a-b/c", "a.txt", "a/b", "a/b/c", "a/b/d", "a/c", "a0", "b",
                           "b/a", "c/d/e/f", "z"})
    listing.push_back(File(path, 1, 1));
  std::vector<std::string> asked;
  for (const RecordedFile& file : listing) {
    asked.push_back(file.path);
    asked.push_back(file.path + "!");                            // just after it: absent
    asked.push_back(file.path.substr(0, file.path.size() - 1));  // before it, often absent
  }
  asked.push_back("zz");
  std::vector<const RecordedFile*> starts = {nullptr};
  for (const RecordedFile& file : listing) starts.push_back(&file);
  for (const std::string& path : asked)
    for (const RecordedFile* near : starts)
      EXPECT_EQ(FindNear(listing, path, near), Find(listing, path))
          << path << " from " << (near ? near->path : "nothing");
}

TEST(RecordListingTest, TheChangesOfManyRunsAtOnceLeaveWhatEachInTurnLeaves) {
  const Listing start = {File("a", 1, 1), File("b", 1, 1), File("c", 1, 1)};
  const std::vector<Listing> runs = {
      {File("a", 2, 2), File("b", 1, 1), File("c", 1, 1), File("d", 1, 1)},  // a changed, d new
      {File("a", 2, 2), File("c", 1, 1), File("d", 3, 3)},                   // b gone
      {File("a", 2, 2), File("b", 4, 4), File("d", 3, 3)},                   // b back, c gone
      {File("b", 4, 4), File("c", 5, 5), File("d", 3, 3)},                   // a gone, c back
  };
  Listing one_by_one = start;
  Listing before = start;
  ListingChanges all;
  for (const Listing& after : runs) {
    const ListingChanges changes = Diff(before, after);
    Apply(changes, &one_by_one);
    all.insert(all.end(), changes.begin(), changes.end());
    before = after;
  }
  Listing at_once = start;
  Apply(LastOfEachPath(all), &at_once);
  EXPECT_EQ(at_once, runs.back());
  EXPECT_EQ(one_by_one, runs.back());
}

TEST(RecordListingTest, NormalizeSortsAndKeepsTheLastOfEachPath) {
  Listing listing = {File("b", 1, 1), File("a", 1, 1), File("b", 2, 2)};
  Normalize(&listing);
  ASSERT_EQ(listing.size(), 2u);
  EXPECT_EQ(listing[1].size, 2u);
  EXPECT_NE(Find(listing, "a"), nullptr);
  EXPECT_EQ(Find(listing, "c"), nullptr);
}

}  // namespace
}  // namespace qs
