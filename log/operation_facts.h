// What the events of a prune or a restore carry beyond a path and a code: why a file is left
// out, the end's counts, and how a copy differs from the record.
#pragma once

#include <cstdint>

#include "os/content_hash.h"

namespace qs {

/// Why a restore takes no copy of a file.
enum class LeftOutReason : uint8_t {
  kNone,
  /// The copy held then was written after the moment: the file was not in the backup in
  /// that form yet.
  kWrittenLater,
  /// No copy was current then: the file had been taken out of the target's tree before.
  kNoCopyThen,
  /// Without a moment: only version folders hold the file, no current copy.
  kNoCurrentCopy,
};

/// What a prune did, or in a dry run would do.
struct PruneCounts {
  int removed = 0;
  int failed = 0;
  uint64_t bytes = 0;  ///< freed, or that would be freed
  bool dryRun = false;
};

/// What a restore did.
struct RestoreCounts {
  int restored = 0;
  int leftOut = 0;
  int failed = 0;
};

/// How a kept copy differs from what the record holds for it.
struct CopyMismatch {
  bool hashRead = false;  ///< else its size or last-write time is not the recorded one
  ContentHash recorded;
  ContentHash found;
};

}  // namespace qs
