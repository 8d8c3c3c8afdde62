// The walk over a sparse file's allocated ranges, against a system that answers a few ranges
// at a time: Wine has no such query, real volumes answer in pieces.
#include <gtest/gtest.h>

#include "os/win32/win32_sparse_ranges.h"

namespace qs::win32 {
namespace {

/// Answers like FSCTL_QUERY_ALLOCATED_RANGES with room for `per_answer` ranges.
class FakeVolume {
 public:
  FakeVolume(std::vector<ByteRange> ranges, size_t per_answer)
      : ranges_(std::move(ranges)), per_answer_(per_answer) {}

  RangeQuery Query() {
    return [this](uint64_t offset, uint64_t length, std::vector<ByteRange>* found, bool* more) {
      ++queries;
      if (fail) return false;
      *more = false;
      for (const ByteRange& range : ranges_) {
        const uint64_t end = range.offset + range.length;
        if (end <= offset || range.offset >= offset + length) continue;
        if (found->size() == per_answer_) {
          *more = true;
          break;
        }
        // The answer starts where the query does; its last range may run past the query.
        const uint64_t from = std::max(range.offset, offset);
        found->push_back({from, end - from});
      }
      return true;
    };
  }

  int queries = 0;
  bool fail = false;

 private:
  std::vector<ByteRange> ranges_;
  size_t per_answer_;
};

TEST(Win32SparseRangesTest, RangesAnsweredInPiecesAreAllFound) {
  const std::vector<ByteRange> data = {{0, 10}, {100, 5}, {200, 1}, {300, 50}, {1000, 24}};
  FakeVolume volume(data, 2);
  std::vector<ByteRange> ranges;
  ASSERT_TRUE(ListAllocatedRanges(volume.Query(), 1024, &ranges));
  EXPECT_EQ(data, ranges);
  EXPECT_EQ(3, volume.queries);
}

TEST(Win32SparseRangesTest, RangesEndAtTheSize) {
  FakeVolume volume({{0, 10}, {4090, 100}, {5000, 10}}, 64);
  std::vector<ByteRange> ranges;
  ASSERT_TRUE(ListAllocatedRanges(volume.Query(), 4096, &ranges));
  EXPECT_EQ((std::vector<ByteRange>{{0, 10}, {4090, 6}}), ranges);
}

TEST(Win32SparseRangesTest, AFileOfHolesOnlyHasNoRanges) {
  FakeVolume volume({}, 4);
  std::vector<ByteRange> ranges{{1, 1}};
  ASSERT_TRUE(ListAllocatedRanges(volume.Query(), 1 << 20, &ranges));
  EXPECT_TRUE(ranges.empty());
}

TEST(Win32SparseRangesTest, AFailedQueryOrOneWithoutProgressFails) {
  FakeVolume failing({{0, 10}}, 4);
  failing.fail = true;
  std::vector<ByteRange> ranges;
  EXPECT_FALSE(ListAllocatedRanges(failing.Query(), 100, &ranges));
  // "More to come" with nothing in the answer would ask the same question for ever.
  const RangeQuery stuck = [](uint64_t, uint64_t, std::vector<ByteRange>*, bool* more) {
    *more = true;
    return true;
  };
  EXPECT_FALSE(ListAllocatedRanges(stuck, 100, &ranges));
}

}  // namespace
}  // namespace qs::win32
