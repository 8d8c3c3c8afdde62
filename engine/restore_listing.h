// What a restore would give, known before it runs: the moments a target can be restored as of
// (the record's runs, or without them the version folders' dates), and the paths a restore as
// of one of them would write. A front end shows these to choose from.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/tree_restore.h"
#include "log/run_events.h"
#include "os/clock.h"
#include "os/file_system.h"

namespace qs {

/// One moment a restore can be made as of, newest first in a list.
struct RestoreMoment {
  FileTime moment;       ///< whole seconds: what RestoreRequest::moment takes
  bool fromRun = false;  ///< a run of the record; false: a version folder's date
  int64_t failed = 0;    ///< the run's failed files
  std::string folder;    ///< the version folder's name (not from a run)
};

struct MomentsRequest {
  std::string target;  ///< as the user gave it
};

struct MomentsResults {
  bool refused = false;  ///< the TARGET is no folder
  std::string why;
  std::vector<RestoreMoment> moments;  ///< newest first
};

/// The record's runs, newest first; without any, the version folders', newest first. The
/// observer hears the word about a record that cannot be used whole, as a restore says it.
MomentsResults ListRestoreMoments(FileSystem& fs, Clock& clock, const MomentsRequest& request,
                                  RunObserver& observer);

struct RestorePathsResults {
  bool refused = false;  ///< the TARGET is no folder
  std::string why;
  /// Every file RestoreTree would write for the same target and moment (its dest and paths
  /// aside), below the roots with native separators, in path order.
  std::vector<std::string> paths;
};

/// The files a restore of `request` would give, read as the restore reads them; nothing is
/// written and the observer hears nothing of the record.
RestorePathsResults ListRestorePaths(FileSystem& fs, Clock& clock, const RestoreRequest& request,
                                     RunObserver& observer);

}  // namespace qs
