#include "engine/restore_dest.h"

#include "engine/paths.h"

namespace qs {

namespace {

/// True when `dest` (or, when it does not exist yet, the folder it would be made in) is
/// `folder` or lies inside it.
bool InsideFolder(FileSystem& fs, const std::string& folder, std::string dest) {
  DirectoryId folder_id, id;
  if (!fs.IdentifyDirectory(WithoutTrailingSeparator(folder), &folder_id)) return false;
  for (dest = WithoutTrailingSeparator(dest); !dest.empty(); dest = ParentPath(dest)) {
    if (fs.IdentifyDirectory(dest, &id) && id == folder_id) return true;
    if (!HasParent(dest)) break;
  }
  return false;
}

}  // namespace

std::string CheckRestoreDest(FileSystem& fs, const std::string& target, const std::string& dest) {
  const PathKind kind = fs.Probe(dest);
  if (kind != PathKind::Missing && kind != PathKind::Directory)
    return "DEST is not a folder: " + dest;
  DirListing listing;
  if (kind == PathKind::Directory &&
      (!fs.ListDirectory(dest, &listing) || !listing.entries.empty()))
    return "DEST is not empty: " + dest;
  if (InsideFolder(fs, target, dest))
    return "DEST lies inside TARGET, which a restore never writes";
  return "";
}

std::string CheckDestOutsideSource(FileSystem& fs, const std::string& source,
                                   const std::string& dest) {
  if (source.empty() || !InsideFolder(fs, source, dest)) return "";
  return "DEST lies inside the source folder, which a restore never writes over";
}

}  // namespace qs
