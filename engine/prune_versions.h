// Pruning a target: the version folders no rule keeps are removed, safely against a kill, and
// the leftovers of a removal cut short are finished.
#pragma once

#include <cstdint>
#include <string>

#include "engine/version_retention.h"
#include "log/run_events.h"
#include "os/clock.h"
#include "os/file_system.h"

namespace qs {

struct PruneRequest {
  std::string target;  ///< as the user gave it
  RetentionPolicy keep;
  bool dryRun = false;  ///< remove nothing: name and measure what would go
};

struct PruneResults {
  /// Refused: the TARGET is no folder or holds no version folders; nothing was done.
  bool refused = false;
  std::string why;  ///< the refusal
  int removed = 0;
  int failed = 0;
  uint64_t bytes = 0;  ///< freed, or that would be freed in a dry run

  /// 0, or 1 when a folder could not be removed completely.
  int ExitStatus() const { return failed > 0 ? 1 : 0; }
};

PruneResults PruneVersions(FileSystem& fs, Clock& clock, const PruneRequest& request,
                           RunObserver& observer);

}  // namespace qs
