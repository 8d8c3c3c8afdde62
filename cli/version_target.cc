#include "cli/version_target.h"

#include <algorithm>

#include "engine/paths.h"

namespace qs {

bool OpenVersionTarget(const RunnerContext& context, const std::string& typed, bool need_versions,
                       VersionTarget* target, std::string* why) {
  target->folder = WithTrailingSeparator(typed);
  if (context.fs.Probe(target->folder) != PathKind::Directory) {
    *why = "TARGET is not a folder: " + typed;
    return false;
  }
  target->versions = ListVersionFolders(context.fs, target->folder);
  if (need_versions && target->versions.empty()) {
    *why = NoVersionsMessage(typed);
    return false;
  }
  return true;
}

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

std::string NoVersionsMessage(const std::string& typed) {
  return "TARGET holds no version folders: " + typed;
}

}  // namespace qs
