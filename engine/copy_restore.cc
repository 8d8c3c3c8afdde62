#include "engine/copy_restore.h"

#include "engine/file_copy.h"
#include "engine/paths.h"

namespace qs {

namespace {

std::string NameOf(const std::string& path) {
  const size_t at = path.find_last_of(kPathSeparator);
  return at == std::string::npos ? path : path.substr(at + 1);
}

CopyRestoreResults Refused(std::string why) {
  CopyRestoreResults results;
  results.refused = true;
  results.why = std::move(why);
  return results;
}

}  // namespace

CopyRestoreResults RestoreCopy(FileSystem& fs, Clock& /*clock*/, const CopyRestoreRequest& request,
                               RunObserver& observer) {
  if (fs.Probe(request.dest) != PathKind::Directory)
    return Refused("DEST is not a folder: " + request.dest);
  const std::string to = WithTrailingSeparator(request.dest) + NameOf(request.relative);
  if (fs.Probe(to) != PathKind::Missing)
    return Refused("DEST already has a file named " + NameOf(request.relative) +
                   ", which a restore never writes over: " + to);
  // Kept out of the way of whatever appears at that name meanwhile.
  const CopyAttempt attempt = AttemptCopy(fs, request.copy, to, true);
  CopyRestoreResults results;
  results.restoredTo = to;
  results.restored = attempt.result == CopyAttempt::Result::kCopied;
  if (results.restored) {
    observer.OnRunEvent(
        {.kind = RunEventKind::kRestored, .path = request.relative, .other = request.folder});
  } else {
    observer.OnRunEvent(
        {.kind = RunEventKind::kNotRestored, .path = request.relative, .code = attempt.code});
  }
  return results;
}

}  // namespace qs
