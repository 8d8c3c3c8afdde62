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

/// Where one listed copy is kept now.
struct ListedCopyAt {
  std::string path;    ///< the copy's file; "" when no copy of it is kept
  std::string folder;  ///< its version folder's name; "" for the current tree
};

struct VersionsResults {
  /// Refused: the TARGET is no folder or holds no version folders; nothing was listed.
  bool refused = false;
  std::string why;  ///< the refusal
  /// The listing's lines, newest copy first; when no copy is kept, the one line saying so.
  std::vector<std::string> listing;
  /// For each copy's line, in the same order: where a copy of it is kept now (the current
  /// tree's, when it has one). The line saying none is kept has no entry here.
  std::vector<ListedCopyAt> keptAt;
  bool anyKept = false;

  /// 0, or 1 when no copy is kept.
  int ExitStatus() const { return anyKept ? 0 : 1; }
};

/// Lists the kept copies of the file. The observer hears only the word about the record (one that
/// cannot be used whole, or none kept): the listing is the answer.
VersionsResults ListFileVersions(FileSystem& fs, Clock& clock, const VersionsRequest& request,
                                 RunObserver& observer);

}  // namespace qs
