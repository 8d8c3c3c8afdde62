// Only the native separator separates; every other byte is part of a name.
#include "engine/paths.h"

#include "os/file_system.h"

namespace qs {

bool HasParent(const std::string& path) { return path.find(kPathSeparator) != std::string::npos; }

std::string ParentPath(const std::string& path) {
  const size_t last = path.rfind(kPathSeparator);
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

bool IsAbsolutePath(const std::string& path) {
  if (path.empty()) return false;
  if (path[0] == '/' || path[0] == kPathSeparator) return true;
  const bool drive = path.size() >= 2 && path[1] == ':' &&
                     ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
  return kPathSeparator == '\\' && drive;
}

std::string WithTrailingSeparator(const std::string& path) {
  if (path.empty() || path.back() == kPathSeparator) return path;
  return path + kPathSeparator;
}

std::string WithoutTrailingSeparator(const std::string& path) {
  if (path.size() > 1 && path.back() == kPathSeparator) return path.substr(0, path.size() - 1);
  return path;
}

}  // namespace qs
