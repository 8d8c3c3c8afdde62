// CopyOneFile and EnsureDirectory: the directory chain is made top-down, one level per call,
// and the copy itself is the file system's safe copy.
#include "engine/backup_job.h"
#include "engine/paths.h"

namespace qs {

bool BackupJob::CopyOneFile(const std::string& source_path, const std::string& target_path,
                            bool quiet) {
  return ReportCopy(AttemptCopy(source_path, target_path, nullptr), source_path, target_path,
                    quiet);
}

PreparedCopy BackupJob::PrepareCopy(const std::string& source_path, const std::string& target_path,
                                    std::string* known_directory) {
  FileSystem& fs = *services_.fs;
  const bool has_directory = HasParent(target_path);
  const std::string dir = has_directory ? ParentPath(target_path) : std::string();
  const bool known = known_directory != nullptr && has_directory && *known_directory == dir;
  if (has_directory && !known) {
    if (!EnsureDirectory(dir))
      return {{CopyAttempt::Result::kDirectoryFailed, fs.LastErrorCode()}, nullptr};
    if (known_directory != nullptr) *known_directory = dir;
  }
  PreparedCopy prepared;
  prepared.copy = fs.PrepareCopy(source_path, target_path);
  if (prepared.copy != nullptr) return prepared;
  const uint32_t code = fs.LastErrorCode();
  // A directory known from an earlier file may have gone since; make it again and retry once.
  if (known && fs.Probe(dir) != PathKind::Directory) {
    known_directory->clear();
    return PrepareCopy(source_path, target_path, known_directory);
  }
  prepared.attempt = {CopyAttempt::Result::kCopyFailed, code};
  return prepared;
}

CopyAttempt BackupJob::AttemptCopy(const std::string& source_path, const std::string& target_path,
                                   std::string* known_directory) {
  PreparedCopy prepared = PrepareCopy(source_path, target_path, known_directory);
  if (prepared.copy == nullptr) return prepared.attempt;
  if (prepared.copy->Flush() && prepared.copy->Publish()) return {};
  return {CopyAttempt::Result::kCopyFailed, services_.fs->LastErrorCode()};
}

bool BackupJob::ReportCopy(const CopyAttempt& attempt, const std::string& source_path,
                           const std::string& target_path, bool quiet) {
  if (attempt.result == CopyAttempt::Result::kCopied) return true;
  if (quiet) return false;
  if (attempt.result == CopyAttempt::Result::kDirectoryFailed) {
    const std::string dir = ParentPath(target_path);
    LogMessage("Failed to create directory: " + dir);
    LogFileOperation("DIRECTORY ERROR", dir, "");
  } else {
    LogMessage("CopyFile failed: " + source_path + " -> " + target_path +
               " Error: " + std::to_string(attempt.code));
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
