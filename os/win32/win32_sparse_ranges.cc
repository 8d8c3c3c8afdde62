#include "os/win32/win32_sparse_ranges.h"

#include <algorithm>

namespace qs::win32 {

bool ListAllocatedRanges(const RangeQuery& query, uint64_t size, std::vector<ByteRange>* ranges) {
  ranges->clear();
  std::vector<ByteRange> answer;
  for (uint64_t offset = 0; offset < size;) {
    bool more = false;
    answer.clear();
    if (!query(offset, size - offset, &answer, &more)) return false;
    for (const ByteRange& range : answer) {
      if (range.offset >= size || range.length == 0) continue;
      ranges->push_back({range.offset, std::min(range.length, size - range.offset)});
    }
    if (!more) return true;
    if (answer.empty()) return false;
    const uint64_t next = answer.back().offset + answer.back().length;
    if (next <= offset) return false;
    offset = next;
  }
  return true;
}

}  // namespace qs::win32
