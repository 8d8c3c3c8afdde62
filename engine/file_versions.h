// The list of one file's kept copies: each with when it was written and, for a version
// folder's, when the run of that folder replaced it. With a record, each distinct copy once,
// with when it was first backed up and when it was replaced.
#pragma once

#include <string>
#include <vector>

#include "log/run_events.h"
#include "os/clock.h"
#include "os/file_system.h"

namespace qs {

struct VersionsRequest {
  std::string target;    ///< as the user gave it
  std::string relative;  ///< the file, below the roots, with native separators
};

struct VersionsResults {
  /// Refused: the TARGET is no folder or holds no version folders; nothing was listed.
  bool refused = false;
  std::string why;  ///< the refusal
  /// The listing's lines, newest copy first; when no copy is kept, the one line saying so.
  std::vector<std::string> listing;
  bool anyKept = false;

  /// 0, or 1 when no copy is kept.
  int ExitStatus() const { return anyKept ? 0 : 1; }
};

/// Lists the kept copies of the file. The observer hears only the word about the record (one that
/// cannot be used whole, or none kept): the listing is the answer.
VersionsResults ListFileVersions(FileSystem& fs, Clock& clock, const VersionsRequest& request,
                                 RunObserver& observer);

}  // namespace qs
