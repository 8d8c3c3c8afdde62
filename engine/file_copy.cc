// CopyOneFile and EnsureDirectory: the directory chain is made top-down, one level per call,
// and the copy itself is the file system's safe copy.
#include "engine/backup_job.h"
#include "engine/paths.h"

namespace qs {

bool BackupJob::CopyOneFile(const std::string& source_path, const std::string& target_path,
                            bool quiet) {
  FileSystem& fs = *services_.fs;
  if (HasParent(target_path)) {
    const std::string dir = ParentPath(target_path);
    if (!EnsureDirectory(dir)) {
      if (!quiet) {
        LogMessage("Failed to create directory: " + dir);
        LogFileOperation("DIRECTORY ERROR", dir, "");
      }
      return false;
    }
  }
  if (fs.CopyReplacing(source_path, target_path)) return true;
  const uint32_t code = fs.LastErrorCode();
  if (!quiet) {
    LogMessage("CopyFile failed: " + source_path + " -> " + target_path +
               " Error: " + std::to_string(code));
    LogFileOperation("COPY ERROR", source_path, "");
  }
  return false;
}

bool BackupJob::EnsureDirectory(const std::string& path) {
  if (path.empty()) return true;
  FileSystem& fs = *services_.fs;
  if (fs.Probe(path) == PathKind::Directory) return true;
  if (HasParent(path) && !EnsureDirectory(ParentPath(path))) return false;
  // An existing entry counts as made: a directory may appear between the probe and here.
  return fs.MakeDirectory(path) != MakeDirResult::Failed;
}

}  // namespace qs
