// A copy that hashes the bytes it takes is checked before it is put in place; one that cannot
// say goes into a temporary file first and is read back. That file carries a name backups and
// prunes know as a leftover of a copy cut short, so a repair killed half way leaves nothing
// that looks like data.
#include "engine/copy_repair.h"

#include "engine/copy_check.h"
#include "engine/file_copy.h"
#include "engine/file_hash.h"
#include "engine/paths.h"
#include "os/copy_temp_name.h"
#include "os/error_text.h"

namespace qs {

namespace {

/// A copy from another copy of the same bytes may carry that one's time.
std::string WithRecordedTime(FileSystem& fs, const std::string& path,
                             const RecordedFile& recorded) {
  if (fs.LastWriteTime(path) == recorded.lastWrite || fs.SetLastWriteTime(path, recorded.lastWrite))
    return "";
  return "the recorded time could not be set: " + ErrorCodeText(fs.LastErrorCode());
}

/// Why `donor` cannot serve as it stands, or "".
std::string Unsuitable(FileSystem& fs, const RepairDonor& donor, const RecordedFile& recorded) {
  const PathInfo info = fs.Stat(donor.path);
  if (info.kind == PathKind::Missing) return "it is gone";
  if (info.kind != PathKind::File) return "it is no file";
  if (info.size != recorded.size ||
      (donor.mustMatchTime && !SameRecordedTime(info.lastWrite, recorded.lastWrite) &&
       !SameRecordedTime(recorded.lastWrite, info.lastWrite)))
    return "it has changed since it was backed up";
  return "";
}

/// The donor's bytes in a durable temporary file beside `damaged`, read back: "" when they
/// have the recorded hash.
std::string CopyChecked(FileSystem& fs, const std::string& donor, const std::string& temp,
                        const RecordedFile& recorded) {
  const CopyAttempt attempt = AttemptCopy(fs, donor, temp, true);
  if (attempt.result != CopyAttempt::Result::kCopied)
    return "it could not be copied: " + ErrorCodeText(attempt.code);
  ContentHash hash;
  uint64_t bytes = 0;
  uint32_t code = 0;
  if (!FileHashReader().Hash(fs, temp, &hash, &bytes, &code))
    return "its copy could not be read back: " + ErrorCodeText(code);
  if (bytes != recorded.size || hash != recorded.hash)
    return "its bytes do not have the recorded hash";
  return "";
}

std::string PutInPlace(FileSystem& fs, const std::string& temp, const std::string& damaged,
                       const RecordedFile& recorded) {
  const CopyAttempt attempt = AttemptCopy(fs, temp, damaged);
  if (attempt.result != CopyAttempt::Result::kCopied)
    return "the copy could not be replaced: " + ErrorCodeText(attempt.code);
  return WithRecordedTime(fs, damaged, recorded);
}

/// The donor's bytes put in place of `damaged` in one step, when the copy's own hash of the
/// bytes it took says they are the recorded ones. `*unknown` when the copy cannot say.
std::string CopyIfRecorded(FileSystem& fs, const std::string& donor, const std::string& damaged,
                           const RecordedFile& recorded, bool* unknown) {
  PreparedCopy prepared = PrepareCopy(fs, donor, damaged, nullptr);
  if (prepared.copy == nullptr)
    return "it could not be copied: " + ErrorCodeText(prepared.attempt.code);
  const CopiedContent content = prepared.copy->Content();
  *unknown = !content.known || !content.hashKnown;
  if (*unknown) return "";
  // Dropped unpublished, the copy leaves the damaged one as it was.
  if (content.size != recorded.size || content.hash != recorded.hash)
    return "its bytes do not have the recorded hash";
  if (!prepared.copy->Flush() || !prepared.Publish(fs))
    return "the copy could not be replaced: " + ErrorCodeText(fs.LastErrorCode());
  return WithRecordedTime(fs, damaged, recorded);
}

}  // namespace

RepairResult RepairCopy(FileSystem& fs, const std::string& damaged, const RecordedFile& recorded,
                        const std::vector<RepairDonor>& donors) {
  RepairResult result;
  result.why = "neither the source nor another copy holds the recorded bytes";
  const std::string temp = ParentPath(damaged) + kPathSeparator + NewCopyTempName();
  for (const RepairDonor& donor : donors) {
    std::string why = Unsuitable(fs, donor, recorded);
    bool unknown = false;
    if (why.empty()) why = CopyIfRecorded(fs, donor.path, damaged, recorded, &unknown);
    // A copy that does not hash what it takes is checked by reading it back first.
    if (why.empty() && unknown) {
      why = CopyChecked(fs, donor.path, temp, recorded);
      if (why.empty()) why = PutInPlace(fs, temp, damaged, recorded);
      fs.RemoveFile(temp);
    }
    if (why.empty()) return {true, donor.path, ""};
    result.why = donor.path + ": " + why;
  }
  return result;
}

}  // namespace qs
