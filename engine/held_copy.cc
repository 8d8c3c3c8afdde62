#include "engine/held_copy.h"

namespace qs {

namespace {

const KeptCopy* CurrentCopy(const std::vector<KeptCopy>& copies) {
  for (const KeptCopy& copy : copies)
    if (!copy.replaced) return &copy;
  return nullptr;
}

/// The copy of the oldest version folder replaced after `moment`, else the current copy.
const KeptCopy* CandidateAt(const std::vector<KeptCopy>& copies, FileTime moment) {
  const KeptCopy* oldest = nullptr;
  for (const KeptCopy& copy : copies)
    if (copy.replaced && *copy.replaced > moment && (!oldest || *copy.replaced < *oldest->replaced))
      oldest = &copy;
  return oldest != nullptr ? oldest : CurrentCopy(copies);
}

/// True when a copy written after `moment` was in the backup at `moment` all the same: its
/// last-write time is later than a moment it surely stood in the backup by, so its clock ran
/// ahead and its time tells nothing of when it came in.
bool ClockRanAhead(FileSystem& fs, const KeptCopy& copy, FileTime moment) {
  if (copy.replaced) return copy.lastWrite > *copy.replaced;
  const FileTime in_place_by = fs.Stat(copy.path).inPlaceBy;
  return !in_place_by.IsZero() && copy.lastWrite > in_place_by && in_place_by <= moment;
}

}  // namespace

HeldCopy CopyHeldAt(FileSystem& fs, const std::vector<KeptCopy>& copies,
                    std::optional<FileTime> moment) {
  if (!moment) {
    const KeptCopy* current = CurrentCopy(copies);
    if (current == nullptr) return {nullptr, LeftOutReason::kNoCurrentCopy, nullptr};
    return {current, LeftOutReason::kNone, current};
  }
  const KeptCopy* candidate = CandidateAt(copies, *moment);
  if (candidate == nullptr) return {nullptr, LeftOutReason::kNoCopyThen, nullptr};
  if (candidate->lastWrite > *moment && !ClockRanAhead(fs, *candidate, *moment))
    return {nullptr, LeftOutReason::kWrittenLater, candidate};
  return {candidate, LeftOutReason::kNone, candidate};
}

}  // namespace qs
