// What a restore counts and says at its end, whichever rule chose its copies: the files
// restored, left out and failed, and what became of each PATH asked for.
#pragma once

#include <string>
#include <vector>

#include "log/run_events.h"

namespace qs {

struct RestoreTally {
  int restored = 0, leftOut = 0, failed = 0;
  bool anyLost = false;  ///< a PATH of which nothing came back
};

/// The PATHs asked for (below the roots), and how many files each found and restored.
struct WantedPaths {
  std::vector<std::string> paths;
  std::vector<int> found, restored;

  /// The PATH `relative` lies under, or paths.size() when none; with no PATHs, every file
  /// is wanted and this gives paths.size() too.
  size_t Under(const std::string& relative) const;
  bool Wants(const std::string& relative) const;
};

/// Names every PATH of which nothing was kept (a failure), or nothing restored.
void ReportWanted(RunObserver& observer, const WantedPaths& wanted, RestoreTally* tally);

/// The end and its counts.
void EndRestore(RunObserver& observer, const RestoreTally& tally);

}  // namespace qs
