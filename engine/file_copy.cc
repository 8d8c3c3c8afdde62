// CopyOneFile and EnsureDirectory: the directory chain is made top-down, one level per call,
// and the copy itself is the file system's safe copy.
#include "engine/file_copy.h"

#include "engine/backup_job.h"
#include "engine/name_collisions.h"
#include "engine/paths.h"

namespace qs {

bool EnsureDirectory(FileSystem& fs, const std::string& path, bool* made) {
  if (made != nullptr) *made = false;
  if (path.empty()) return true;
  if (fs.Probe(path) == PathKind::Directory) return true;
  if (HasParent(path) && !EnsureDirectory(fs, ParentPath(path))) return false;
  // An existing entry counts as there: a directory may appear between the probe and here.
  const MakeDirResult result = fs.MakeDirectory(path);
  if (made != nullptr) *made = result == MakeDirResult::Created;
  return result != MakeDirResult::Failed;
}

PreparedCopy PrepareCopy(FileSystem& fs, const std::string& source_path,
                         const std::string& target_path, KnownDirectory* known_directory) {
  const bool has_directory = HasParent(target_path);
  const std::string dir = has_directory ? ParentPath(target_path) : std::string();
  const bool known = known_directory != nullptr && has_directory && known_directory->path == dir;
  if (has_directory && !known) {
    bool made = false;
    if (!EnsureDirectory(fs, dir, &made)) {
      PreparedCopy failed;
      failed.attempt = {CopyAttempt::Result::kDirectoryFailed, fs.LastErrorCode()};
      return failed;
    }
    if (known_directory != nullptr) *known_directory = {dir, made};
  }
  PreparedCopy prepared;
  uint32_t code = 0;
  // A file rewritten while it was read is read again, each time into a fresh temporary file.
  for (int attempt = 1; attempt <= kCopyAttempts; ++attempt) {
    prepared.copy = fs.PrepareCopy(source_path, target_path);
    if (prepared.copy != nullptr) return prepared;
    code = fs.LastErrorCode();
    if (code != kErrorSourceChanged) break;
  }
  // A directory known from an earlier file may have gone since; make it again and retry once.
  if (known && fs.Probe(dir) != PathKind::Directory) {
    *known_directory = {};
    return PrepareCopy(fs, source_path, target_path, known_directory);
  }
  prepared.attempt = {CopyAttempt::Result::kCopyFailed, code};
  return prepared;
}

bool PreparedCopy::Publish(FileSystem& fs) {
  if (copy == nullptr) return false;
  published = keepsExisting ? copy->PublishNew() : copy->Publish();
  if (published) {
    volume = copy->Volume();
    withVolume = copy->FlushedWithVolume();
    attributesNotKept = copy->AttributesNotKept();
    content = std::make_unique<CopiedContent>(copy->Content());
    // Closed here, on whichever thread put it in place: over FUSE or a network each close
    // waits for the target.
    copy.reset();
    return true;
  }
  attempt = {CopyAttempt::Result::kCopyFailed, fs.LastErrorCode()};
  copy.reset();
  return false;
}

CopyAttempt AttemptCopy(FileSystem& fs, const std::string& source_path,
                        const std::string& target_path, bool keep_existing) {
  PreparedCopy prepared = PrepareCopy(fs, source_path, target_path, nullptr);
  if (prepared.copy == nullptr) return prepared.attempt;
  prepared.keepsExisting = keep_existing;
  if (!prepared.copy->Flush()) return {CopyAttempt::Result::kCopyFailed, fs.LastErrorCode()};
  prepared.Publish(fs);
  return prepared.attempt;
}

bool ReportCopyAttempt(BackupJob& job, const CopyAttempt& attempt, const std::string& source_path,
                       const std::string& target_path) {
  switch (attempt.result) {
    case CopyAttempt::Result::kCopied:
      return true;
    case CopyAttempt::Result::kDirectoryFailed:
      job.Report({.kind = RunEventKind::kDirectoryFailed,
                  .path = ParentPath(target_path),
                  .code = attempt.code});
      return false;
    case CopyAttempt::Result::kCopyFailed:
      if (attempt.code == kErrorSourceChanged) {
        job.Report({.kind = RunEventKind::kSourceChanged, .path = source_path});
        return false;
      }
      if (attempt.code == kErrorStoredUnderOtherName) {
        const std::string other = CollidingEntry(job.fs(), source_path, target_path);
        job.Report({.kind = RunEventKind::kNameCollision, .path = source_path, .other = other});
        return false;
      }
      job.Report({.kind = RunEventKind::kCopyFailed,
                  .path = source_path,
                  .other = target_path,
                  .code = attempt.code});
      return false;
  }
  return false;
}

bool BackupJob::CopyOneFile(const std::string& source_path, const std::string& target_path,
                            bool quiet) {
  const CopyAttempt attempt = AttemptCopy(fs(), source_path, target_path);
  if (quiet) return attempt.result == CopyAttempt::Result::kCopied;
  return ReportCopyAttempt(*this, attempt, source_path, target_path);
}

bool BackupJob::EnsureDirectory(const std::string& path) { return qs::EnsureDirectory(fs(), path); }

}  // namespace qs
