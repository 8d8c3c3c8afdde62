// A restore reads the target and writes only below DEST, which must hold nothing yet. As of
// a moment the record holds a run for, the tree is rebuilt as that run saw the source;
// otherwise the dates of the version folders choose each file's copy. Every file it leaves
// out is named with the reason, so that a missing file is never a silent one.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "engine/restore_tally.h"
#include "log/run_events.h"
#include "os/clock.h"
#include "os/file_system.h"

namespace qs {

struct RestoreRequest {
  std::string target;              ///< as the user gave it
  std::string dest;                ///< as the user gave it
  std::vector<std::string> paths;  ///< below the roots, native separators; none: everything
  std::optional<FileTime> moment;  ///< as of when; none: the current copies
};

struct RestoreResults {
  /// Refused: TARGET or DEST cannot take this restore; nothing was written.
  bool refused = false;
  std::string why;  ///< the refusal
  RestoreTally tally;

  /// 0, or 1 when a file failed or nothing came back of a PATH.
  int ExitStatus() const { return tally.failed > 0 || tally.anyLost ? 1 : 0; }
};

RestoreResults RestoreTree(FileSystem& fs, Clock& clock, const RestoreRequest& request,
                           RunObserver& observer);

}  // namespace qs
