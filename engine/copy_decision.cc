#include "engine/copy_decision.h"

namespace qs {

CopyDecision DecideByTimes(const CopyFacts& facts, TimeStepOfTarget& step) {
  switch (facts.target.kind) {
    case PathKind::Missing:
    case PathKind::Unreadable:  // the copy will say why
      return CopyDecision::kNew;
    case PathKind::Directory:
    case PathKind::Other:
      return CopyDecision::kNotAFile;
    case PathKind::File:
      break;
  }
  const FileTime copy = facts.target.lastWrite;
  if (facts.source <= copy) return CopyDecision::kSkip;
  if (!MayBeCoarseCopyOf(copy, facts.source)) return CopyDecision::kUpdate;
  // Only here does it matter how finely the target's volume keeps times.
  return SourceIsNewer(facts.source, copy, step.Step()) ? CopyDecision::kUpdate
                                                        : CopyDecision::kSkip;
}

bool ReplacedSinceRecorded(const CopyFacts& facts, const RecordedFile* entry,
                           TimeStepOfTarget& step) {
  // A copy that is no longer the one recorded was changed in the target: it stays. So does
  // one the record only found in place (no hash): nothing says the source made it.
  const PathInfo& target = facts.target;
  if (entry == nullptr || !entry->hashKnown || entry->size != target.size ||
      entry->lastWrite != target.lastWrite)
    return false;
  if (facts.listedSize != 0 && facts.listedSize != entry->size) return true;
  if (facts.source == entry->lastWrite) return false;
  // The recorded time is the copy's, as its volume keeps it: a source it is a cut-down copy
  // of is the same file.
  if (!MayBeCoarseCopyOf(entry->lastWrite, facts.source)) return true;
  return SourceIsNewer(facts.source, entry->lastWrite, step.Step());
}

}  // namespace qs
