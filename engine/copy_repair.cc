// The temporary file carries a name that backups and prunes already know as a leftover of a
// copy cut short, so a repair killed half way leaves nothing that looks like data.
#include "engine/copy_repair.h"

#include "engine/copy_check.h"
#include "engine/file_copy.h"
#include "engine/file_hash.h"
#include "engine/paths.h"
#include "platform/copy_temp_name.h"
#include "platform/error_text.h"

namespace qs {

namespace {

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

/// The donor's bytes in a durable temporary file beside `damaged`, when they have the hash.
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
  if (fs.LastWriteTime(damaged) != recorded.lastWrite &&
      !fs.SetLastWriteTime(damaged, recorded.lastWrite))
    return "the recorded time could not be set: " + ErrorCodeText(fs.LastErrorCode());
  return "";
}

}  // namespace

RepairResult RepairCopy(FileSystem& fs, const std::string& damaged, const RecordedFile& recorded,
                        const std::vector<RepairDonor>& donors) {
  RepairResult result;
  result.why = "neither the source nor another copy holds the recorded bytes";
  const std::string temp = ParentPath(damaged) + kPathSeparator + NewCopyTempName();
  for (const RepairDonor& donor : donors) {
    std::string why = Unsuitable(fs, donor, recorded);
    if (why.empty()) why = CopyChecked(fs, donor.path, temp, recorded);
    if (why.empty()) why = PutInPlace(fs, temp, damaged, recorded);
    fs.RemoveFile(temp);
    if (why.empty()) return {true, donor.path, ""};
    result.why = donor.path + ": " + why;
  }
  return result;
}

}  // namespace qs
