// The composites over the seam, and the process-wide real file system for callers that are
// not handed one.
#include "platform/file_system.h"

namespace qs {

bool FileSystem::CopyReplacing(const std::string& from, const std::string& to) {
  std::unique_ptr<PendingCopy> copy = PrepareCopy(from, to);
  return copy != nullptr && copy->Flush() && copy->Publish();
}

FileSystem& RealFileSystem() {
  static const std::unique_ptr<FileSystem> real = MakeRealFileSystem();
  return *real;
}

}  // namespace qs
