// The counts of a job's runs, kept from the events the run reports: the only writer of a
// job's results.
#pragma once

#include "engine/backup_results.h"
#include "log/run_events.h"

namespace qs {

class RunCounter final : public RunObserver {
 public:
  /// Counts into `results`; a target that drops times fails a run unless `options` accept it.
  RunCounter(const BackupOptions& options, BackupResults& results)
      : options_(options), results_(results) {}

  void OnRunEvent(const RunEvent& event) override;

 private:
  const BackupOptions& options_;
  BackupResults& results_;
};

}  // namespace qs
