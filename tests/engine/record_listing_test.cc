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

TEST(RecordListingTest, DamagedChangesAreRefused) {
  ByteWriter out;
  EncodeChanges(AsChanges({File("a", 1, 1, 1), File("b", 2, 2, 2)}), &out);
  const std::string whole = out.data();
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    ByteReader in(std::string_view(whole).substr(0, cut));
    ListingChanges read;
    EXPECT_FALSE(DecodeChanges(&in, &read)) << "cut at " << cut;
  }
  // Paths out of order are no listing.
  ByteWriter backwards;
  EncodeChanges({{ListingChange::Kind::kRemove, File("b", 0, 0), false},
                 {ListingChange::Kind::kRemove, File("a", 0, 0), false}},
                &backwards);
  ByteReader in(backwards.data());
  ListingChanges read;
  EXPECT_FALSE(DecodeChanges(&in, &read));
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
