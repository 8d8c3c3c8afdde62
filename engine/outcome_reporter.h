// The reporter of a file pass: it turns each outcome the copy pipeline hands on into the run's
// events, in list order, and tells the record what each copy put in place holds. A file is
// reported copied or updated only when its copy, and its old version, are in place and their
// names durable; otherwise its own failure events say why.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/file_outcome.h"
#include "engine/file_pass.h"

namespace qs {

class OutcomeReporter final : public OutcomeSink {
 public:
  explicit OutcomeReporter(FilePass& pass)
      : pass_(pass), job_(pass.job), events_(pass.job.events()) {}

  void OnOutcome(size_t index, const FileOutcome& outcome) override;
  void OnHandled(size_t files, uint64_t bytes) override;
  /// The target's volume drops the last-write times set on copies, found in `folder`.
  void ReportTimesNotKept(const std::string& folder);

 private:
  void ReportFailed(size_t index);
  void ReportCopy(size_t index, const FileOutcome& outcome);
  /// Tells the record what a copy put in place holds.
  void RecordCopy(size_t index, const FileOutcome& outcome, const std::string& target_path);
  /// The old version's events; false when it was not kept.
  bool ReportVersion(size_t index, const FileOutcome& outcome, const std::string& target_path);
  /// False, with its event, when the name of a copy put in place at `path` is not durable.
  bool ReportDurable(const PreparedCopy& prepared, const std::string& path);
  void ReportVersionFolderOnce();

  FilePass& pass_;
  BackupJob& job_;
  /// The job's events: counted, then told to the run's observer.
  RunObserver& events_;
  bool version_folder_reported_ = false;
};

}  // namespace qs
