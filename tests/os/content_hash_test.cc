#include "os/content_hash.h"

#include <gtest/gtest.h>

#include <string>

namespace qs {
namespace {

TEST(ContentHashTest, PiecesHashAsTheWhole) {
  std::string bytes;
  for (int i = 0; i < 300000; ++i) bytes.push_back(static_cast<char>(i * 7 + i / 13));
  ContentHasher hasher;
  for (size_t at = 0; at < bytes.size(); at += 4097)
    hasher.Add(bytes.data() + at, std::min<size_t>(4097, bytes.size() - at));
  EXPECT_EQ(hasher.Result(), HashOf(bytes));
  EXPECT_NE(HashOf(bytes), HashOf(bytes.substr(1)));
}

TEST(ContentHashTest, ZerosHashAsZeroBytes) {
  ContentHasher hasher;
  hasher.Add("ab", 2);
  hasher.AddZeros(200000);
  hasher.Add("c", 1);
  EXPECT_EQ(hasher.Result(), HashOf("ab" + std::string(200000, '\0') + "c"));
  hasher.Reset();
  EXPECT_EQ(hasher.Result(), HashOf(""));
}

TEST(ContentHashTest, HexIsHighHalfFirst) {
  EXPECT_EQ((ContentHash{0x0123456789abcdefULL, 0xfedcba9876543210ULL}.Hex()),
            "fedcba98765432100123456789abcdef");
  // The known XXH3-128 of no bytes, as xxhsum -H2 prints it.
  EXPECT_EQ(HashOf("").Hex(), "99aa06d3014798d86001c324468d497f");
}

}  // namespace
}  // namespace qs
