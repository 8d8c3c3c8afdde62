#include "engine/version_target.h"

#include "engine/paths.h"

namespace qs {

bool OpenVersionTarget(FileSystem& fs, const std::string& typed, bool need_versions,
                       VersionTarget* target, std::string* why) {
  target->folder = WithTrailingSeparator(typed);
  if (fs.Probe(target->folder) != PathKind::Directory) {
    *why = "TARGET is not a folder: " + typed;
    return false;
  }
  target->versions = ListVersionFolders(fs, target->folder);
  if (need_versions && target->versions.empty()) {
    *why = NoVersionsMessage(typed);
    return false;
  }
  return true;
}

std::string NoVersionsMessage(const std::string& typed) {
  return "TARGET holds no version folders: " + typed;
}

}  // namespace qs
