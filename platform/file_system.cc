// The composites over the seam.
#include "platform/file_system.h"

namespace qs {

bool FileSystem::CopyReplacing(const std::string& from, const std::string& to) {
  std::unique_ptr<PendingCopy> copy = PrepareCopy(from, to);
  return copy != nullptr && copy->Flush() && copy->Publish();
}

}  // namespace qs
