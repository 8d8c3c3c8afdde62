// Only the native separator separates; every other byte is part of a name.
#include "engine/paths.h"

#include "platform/file_system.h"

namespace qs {

bool HasParent(const std::string& path) { return path.find(kPathSeparator) != std::string::npos; }

std::string ParentPath(const std::string& path) {
  const size_t last = path.rfind(kPathSeparator);
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

}  // namespace qs
