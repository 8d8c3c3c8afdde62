// The composites over the seam.
#include "os/file_system.h"

#include <algorithm>

namespace qs {

bool FileSystem::CopyReplacing(const std::string& from, const std::string& to) {
  std::unique_ptr<PendingCopy> copy = PrepareCopy(from, to);
  return copy != nullptr && copy->Flush() && copy->Publish();
}

bool FileSystem::ReadWholeFile(const std::string& path, std::string* content, uint64_t limit) {
  content->clear();
  std::unique_ptr<FileReader> reader = OpenForReading(path);
  if (reader == nullptr) return false;
  // Read straight into the string's end: no buffer of its own to fill and copy from.
  constexpr size_t kPiece = 1 << 18;
  for (;;) {
    const size_t had = content->size();
    content->resize(had + kPiece);
    const int64_t read = reader->Read(content->data() + had, kPiece);
    content->resize(had + static_cast<size_t>(std::max<int64_t>(read, 0)));
    if (read < 0) return false;
    if (read == 0) return true;
    if (content->size() > limit) {
      content->clear();
      return false;
    }
  }
}

}  // namespace qs
