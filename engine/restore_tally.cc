#include "engine/restore_tally.h"

#include <algorithm>

#include "engine/paths.h"
#include "os/file_system.h"

namespace qs {

namespace {

bool Inside(const std::string& relative, const std::string& wanted) {
  return relative == wanted ||
         (relative.size() > wanted.size() && relative.compare(0, wanted.size(), wanted) == 0 &&
          relative[wanted.size()] == kPathSeparator);
}

}  // namespace

size_t WantedPaths::Under(const std::string& relative) const {
  const auto hit = std::find_if(paths.begin(), paths.end(),
                                [&](const std::string& w) { return Inside(relative, w); });
  return static_cast<size_t>(hit - paths.begin());
}

bool WantedPaths::Wants(const std::string& relative) const {
  return paths.empty() || Under(relative) < paths.size();
}

void ReportWanted(RunObserver& observer, const WantedPaths& wanted, RestoreTally* tally) {
  for (size_t i = 0; i < wanted.paths.size(); ++i) {
    if (wanted.found[i] == 0) {
      ++tally->failed;
      observer.OnRunEvent({.kind = RunEventKind::kNothingKeptUnder, .path = wanted.paths[i]});
    } else if (wanted.restored[i] == 0) {
      tally->anyLost = true;
      observer.OnRunEvent({.kind = RunEventKind::kNothingRestoredOf, .path = wanted.paths[i]});
    }
  }
}

void EndRestore(RunObserver& observer, const RestoreTally& tally) {
  const RestoreCounts counts{tally.restored, tally.leftOut, tally.failed};
  observer.OnRunEvent({.kind = RunEventKind::kRestoreCompleted, .restore = &counts});
}

}  // namespace qs
