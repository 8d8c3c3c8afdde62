// The allocated ranges of a sparse file, asked for piece by piece: the system answers a query
// with as many ranges as fit and says whether more follow (FSCTL_QUERY_ALLOCATED_RANGES with
// ERROR_MORE_DATA). Kept apart from the call so that the walk can be tested: Wine has no such
// query.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace qs::win32 {

struct ByteRange {
  uint64_t offset = 0;
  uint64_t length = 0;
  bool operator==(const ByteRange&) const = default;
};

/// One query: the allocated ranges within [offset, offset + length), as many as one answer
/// holds, and whether more follow. False when the system cannot tell.
using RangeQuery = std::function<bool(uint64_t offset, uint64_t length,
                                      std::vector<ByteRange>* ranges, bool* more)>;

/// Every allocated range of the first `size` bytes, in order and cut at `size`; false when a
/// query fails or stops making progress.
bool ListAllocatedRanges(const RangeQuery& query, uint64_t size, std::vector<ByteRange>* ranges);

}  // namespace qs::win32
