#include "engine/record_bytes.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace qs {
namespace {

TEST(RecordBytesTest, ValuesReadBackAsWritten) {
  ByteWriter out;
  const uint64_t unsigned_values[] = {0, 1, 127, 128, 16383, 16384, UINT64_MAX};
  const int64_t signed_values[] = {0, -1, 1, -64, 64, INT64_MIN, INT64_MAX};
  for (uint64_t value : unsigned_values) out.Varint(value);
  for (int64_t value : signed_values) out.Signed(value);
  out.Fixed64(0x0102030405060708ULL);
  out.String(std::string_view("na\0me", 5));
  ByteReader in(out.data());
  for (uint64_t value : unsigned_values) {
    uint64_t read = 0;
    ASSERT_TRUE(in.Varint(&read));
    EXPECT_EQ(read, value);
  }
  for (int64_t value : signed_values) {
    int64_t read = 0;
    ASSERT_TRUE(in.Signed(&read));
    EXPECT_EQ(read, value);
  }
  uint64_t fixed = 0;
  std::string text;
  ASSERT_TRUE(in.Fixed64(&fixed));
  EXPECT_EQ(fixed, 0x0102030405060708ULL);
  ASSERT_TRUE(in.String(&text));
  EXPECT_EQ(text, std::string("na\0me", 5));
  EXPECT_TRUE(in.AtEnd());
}

TEST(RecordBytesTest, SmallValuesTakeOneByte) {
  ByteWriter out;
  out.Varint(127);
  out.Signed(-64);
  out.Signed(63);
  EXPECT_EQ(out.data().size(), 3u);
}

TEST(RecordBytesTest, CutShortOrOverlongValuesAreRefusedAndReadNothing) {
  ByteWriter out;
  out.Varint(uint64_t{1} << 40);
  const std::string whole = out.data();
  ByteReader cut(std::string_view(whole).substr(0, whole.size() - 1));
  uint64_t value = 7;
  EXPECT_FALSE(cut.Varint(&value));
  EXPECT_EQ(value, 7u);
  EXPECT_EQ(cut.Offset(), 0u);
  // Eleven continuation bytes cannot be a 64-bit value.
  const std::string eleven = std::string(10, '\xff') + '\x01';
  ByteReader overlong(eleven);
  EXPECT_FALSE(overlong.Varint(&value));
  const std::string past_64_bits = std::string(9, '\xff') + '\x02';
  ByteReader too_big(past_64_bits);
  EXPECT_FALSE(too_big.Varint(&value));
}

TEST(RecordBytesTest, AStringLongerThanTheBytesLeftIsRefused) {
  ByteWriter out;
  out.Varint(1000);
  out.Raw("short");
  ByteReader in(out.data());
  std::string text = "kept";
  EXPECT_FALSE(in.String(&text));
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(in.Offset(), 0u);
}

TEST(RecordBytesTest, CountsAboveTheirLimitAreRefused) {
  ByteWriter out;
  out.Varint(11);
  ByteReader in(out.data());
  uint64_t count = 0;
  EXPECT_FALSE(in.Count(10, &count));
  EXPECT_TRUE(in.Count(11, &count));
  EXPECT_EQ(count, 11u);
}

}  // namespace
}  // namespace qs
