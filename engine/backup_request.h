// The one way a front end (the window, the scheduler, the runner) turns what it knows of a
// backup into the request of its run. A switch a front end starts passing is added here once:
// the options gain the field, the builder a setter, and every front end can pass it.
#pragma once

#include <string>

#include "engine/backup_results.h"
#include "engine/exclusions.h"

namespace qs {

class BackupRequest {
 public:
  /// A plain backup of `source` to `target`, as typed or stored: nothing left out, every
  /// write real, sizes not read, a target that drops times counted as a failure.
  BackupRequest(std::string source, std::string target, bool time_versioning);

  BackupRequest& Excluding(Exclusions exclusions);
  BackupRequest& DryRun(bool on);
  BackupRequest& MeasuringSizes(bool on);
  BackupRequest& AcceptingUnkeptTimes(bool on);
  /// How the pass works (threads, flush batches, a hook on each file thread); the defaults
  /// suit every front end but measurements and background runs.
  BackupRequest& Tuned(BackupTuning tuning);

  /// The options, each root empty or ending with one separator.
  BackupOptions Build() const&;
  BackupOptions Build() &&;

 private:
  BackupOptions options_;
};

/// `options` with each root given one trailing separator when it is not empty and lacks one.
BackupOptions WithRootSeparators(BackupOptions options);

}  // namespace qs
