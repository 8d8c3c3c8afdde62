#include "cli/typed_path.h"

#include <algorithm>

#include "engine/paths.h"
#include "os/file_system.h"

namespace qs {

bool ReadPathBelowRoots(const std::string& typed, std::string* relative, std::string* why) {
  if (IsAbsolutePath(typed)) {
    *why =
        "PATH is relative to the backed-up folder (as in notes/plan.txt), not absolute: " + typed;
    return false;
  }
  std::string path = typed;
  std::replace(path.begin(), path.end(), '/', kPathSeparator);
  while (!path.empty() && path.back() == kPathSeparator) path.pop_back();
  // "./notes" is "notes", as a shell completes it.
  while (path.size() >= 2 && path[0] == '.' && path[1] == kPathSeparator) path.erase(0, 2);
  *relative = path;
  return true;
}

}  // namespace qs
