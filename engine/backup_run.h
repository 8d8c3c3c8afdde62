// One backup run of a job: start, scan, one decision per file, end.
#pragma once

namespace qs {

class BackupJob;

/// Runs one backup of the job's source into its target, reporting every step through the
/// job. No outcome stops the pass; the results are in the job when it returns.
void RunBackup(BackupJob& job);

}  // namespace qs
