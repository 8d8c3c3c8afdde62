// The process-wide real file system, for callers that are not handed one.
#include "platform/file_system.h"

namespace qs {

FileSystem& RealFileSystem() {
  static const std::unique_ptr<FileSystem> real = MakeRealFileSystem();
  return *real;
}

}  // namespace qs
