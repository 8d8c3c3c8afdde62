// The composites over the seam.
#include "platform/file_system.h"

namespace qs {

bool FileSystem::CopyReplacing(const std::string& from, const std::string& to) {
  std::unique_ptr<PendingCopy> copy = PrepareCopy(from, to);
  return copy != nullptr && copy->Flush() && copy->Publish();
}

bool FileSystem::ReadWholeFile(const std::string& path, std::string* content, uint64_t limit) {
  content->clear();
  std::unique_ptr<FileReader> reader = OpenForReading(path);
  if (reader == nullptr) return false;
  constexpr size_t kPiece = 1 << 20;
  std::string piece(kPiece, '\0');
  for (;;) {
    const int64_t read = reader->Read(piece.data(), piece.size());
    if (read < 0) return false;
    if (read == 0) return true;
    if (content->size() + static_cast<uint64_t>(read) > limit) {
      content->clear();
      return false;
    }
    content->append(piece, 0, static_cast<size_t>(read));
  }
}

}  // namespace qs
