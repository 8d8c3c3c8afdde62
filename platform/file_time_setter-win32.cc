// The real file system sets times in 100-nanosecond units on "\\?\" paths of any length.
#include "platform/file_time_setter.h"

namespace qs {

bool SetLastWriteTime(const std::string& path, FileTime time) {
  return RealFileSystem().SetLastWriteTime(path, time);
}

}  // namespace qs
