// Which kept copy of a file a restore takes: the one the backup held at a moment. A version
// folder holds the copies its run replaced, each current until then; so the copy held at T
// is the one of the oldest folder replaced after T that has the file, else the current one.
#pragma once

#include <optional>
#include <vector>

#include "engine/version_store.h"
#include "log/operation_facts.h"
#include "os/file_system.h"

namespace qs {

struct HeldCopy {
  const KeptCopy* copy = nullptr;  ///< the copy to restore; null when the file is left out
  LeftOutReason reason = LeftOutReason::kNone;
  /// The copy the backup had at the moment, even when it was left out for its time.
  const KeptCopy* candidate = nullptr;
};

/// The copy of `copies` (one file's, in any order) the backup held at `moment`; without a
/// moment the current copy. A copy written after the moment is left out, unless its clock was
/// plainly ahead: written after its folder's run replaced it, or after it was put in place
/// by the moment (read through `fs`), it was in the backup all the same.
HeldCopy CopyHeldAt(FileSystem& fs, const std::vector<KeptCopy>& copies,
                    std::optional<FileTime> moment);

}  // namespace qs
