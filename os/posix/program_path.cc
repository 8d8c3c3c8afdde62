// /proc/self/exe names the file the kernel started, links resolved.
#include "os/program_path.h"

#include <unistd.h>

namespace qs {

std::string ThisProgramPath() {
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
  if (length <= 0 || static_cast<size_t>(length) >= path.size()) return "";
  path.resize(static_cast<size_t>(length));
  return path;
}

}  // namespace qs
