// utimensat keeps nanoseconds, so tests can place times exactly.
#include <fcntl.h>
#include <sys/stat.h>

#include "platform/file_time_setter.h"

namespace qs {

bool SetLastWriteTime(const std::string& path, FileTime time) {
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_OMIT;
  times[1].tv_sec = static_cast<time_t>(time.seconds);
  times[1].tv_nsec = time.nanos;
  return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

}  // namespace qs
