// Tests set times through the file system's own call, which keeps every unit the system
// stores (nanoseconds on POSIX, 100 ns on Windows) on paths of any length.
#include "tests/support/file_time_setter.h"

namespace qs {

bool SetLastWriteTime(const std::string& path, FileTime time) {
  static const std::unique_ptr<FileSystem> real = MakeRealFileSystem();
  return real->SetLastWriteTime(path, time);
}

}  // namespace qs
