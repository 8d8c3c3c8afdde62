// The status area's line of how it went: the last backup of the target field's folder and its
// outcome,
// or, while a backup runs, how far it has come. The target's record is read on the clock
// thread, when the target changes; each run of the window tells its own outcome as it ends.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "app/last_backup_text.h"
#include "app/window_controls.h"
#include "log/run_events.h"
#include "os/clock.h"
#include "os/file_system.h"

namespace qs {

/// The last run in `target_root`'s record; not known when it holds none or cannot be read.
LastBackup LastRecordedBackup(FileSystem& fs, const std::string& target_root);

class LastBackupLine {
 public:
  LastBackupLine(FileSystem& fs, Clock& clock) : fs_(fs), clock_(clock) {}

  /// Reads the record of `target` (the field's) when it is not the target read last, and
  /// shows its last backup on `label` when no run is going. The clock thread only.
  void Check(const std::string& target, Control* label);
  /// The observer of the runs of one thread: it shows their progress on `label` a few times a
  /// second at most, and the outcome of each as it ends.
  std::unique_ptr<RunObserver> WatchRuns(Control* label);

  /// Called by the runs' observers, on their threads.
  void ShowStart(Control* label, const std::string& text);
  void ShowProgress(Control* label, const std::string& text);
  void ShowEnd(Control* label, const RunSummary& summary);

 private:
  /// Shows the last backup when no run is going; under mutex_.
  void ShowLast(Control* label);
  void Show(Control* label, const std::string& text, bool alert);

  FileSystem& fs_;
  Clock& clock_;
  std::mutex mutex_;
  // Under mutex_:
  bool read_ = false;    ///< the record of read_for_ has been read
  std::string readFor_;  ///< the target whose last backup last_ is
  LastBackup last_;
  uint64_t runsEnded_ = 0;  ///< a read begun before a run ended may be out of date
  int running_ = 0;
  std::string shown_;
  bool alertShown_ = false;
};

}  // namespace qs
