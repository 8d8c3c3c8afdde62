#include "engine/copy_check.h"

#include "engine/file_hash.h"
#include "engine/file_times.h"

namespace qs {

bool SameRecordedTime(FileTime found, FileTime recorded) {
  return found == recorded || MayBeCoarseCopyOf(found, recorded);
}

CopyVerdict CheckCopy(FileSystem& fs, FileHashReader& reader, const std::string& path,
                      const RecordedFile& recorded) {
  using Kind = CopyVerdict::Kind;
  CopyVerdict verdict;
  const PathInfo info = fs.Stat(path);
  if (info.kind == PathKind::Unreadable) {
    verdict.kind = Kind::kUnreadable;
    verdict.code = fs.LastErrorCode();
    return verdict;
  }
  if (info.kind != PathKind::File || info.size != recorded.size ||
      !SameRecordedTime(info.lastWrite, recorded.lastWrite)) {
    verdict.kind = Kind::kChanged;
    return verdict;
  }
  if (!reader.Hash(fs, path, &verdict.found, &verdict.bytes, &verdict.code)) {
    verdict.kind = Kind::kUnreadable;
    return verdict;
  }
  // Written to between the look and the read: not the copy the record describes.
  if (verdict.bytes != recorded.size)
    verdict.kind = Kind::kChanged;
  else if (!recorded.hashKnown)
    verdict.kind = Kind::kLearned;
  else
    verdict.kind = verdict.found == recorded.hash ? Kind::kGood : Kind::kDamaged;
  return verdict;
}

}  // namespace qs
