// What a run does with one listed file, decided from facts alone: no file system, no threads.
// The file pass gathers the facts and acts on the decision.
#pragma once

#include <cstdint>

#include "engine/file_times.h"
#include "engine/record_listing.h"
#include "os/file_system.h"

namespace qs {

enum class CopyDecision : uint8_t {
  kSkip,       ///< the copy is as new as its source
  kNew,        ///< no copy yet
  kUpdate,     ///< the copy is older: replaced, its old version saved first with versioning
  kNotAFile,   ///< a folder or another item holds the copy's name
  kCollision,  ///< another listed file has the same name on a volume that ignores case
};

/// One listed file and what the target holds under its name.
struct CopyFacts {
  FileTime source;          ///< the source's last-write time
  uint64_t listedSize = 0;  ///< 0 when the scan neither listed nor measured it
  PathInfo target;          ///< the target copy, as the file system reports it
};

/// The target volume's rule that some decisions turn on: how finely it keeps times. Asked
/// only when needed, since learning it may take a probe.
class TimeStepOfTarget {
 public:
  virtual TimeStep Step() = 0;

 protected:
  ~TimeStepOfTarget() = default;
};

/// The decision by the copy's kind and the two times alone.
CopyDecision DecideByTimes(const CopyFacts& facts, TimeStepOfTarget& step);

/// For a file the times would skip: whether the record shows that the source was replaced by
/// another file, older than the copy, since `entry` (the record's, or null) was made.
bool ReplacedSinceRecorded(const CopyFacts& facts, const RecordedFile* entry,
                           TimeStepOfTarget& step);

}  // namespace qs
