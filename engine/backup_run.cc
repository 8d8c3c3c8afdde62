// The run's four phases. The results are reset after the scan, so a job reused by the
// scheduler starts each run's counts from zero.
#include "engine/backup_run.h"

#include "engine/backup_job.h"
#include "engine/file_pass.h"
#include "engine/run_record.h"
#include "engine/source_scan.h"

namespace qs {

void RunBackup(BackupJob& job) {
  job.Report({.kind = RunEventKind::kStarted, .job = job});
  RunRecord record(job);
  FileList list;
  job.results.unlistedDirectories = 0;
  // The record is read while the source is scanned; its notice still comes first.
  SourceScan(job, [&record] { record.Ready(); }).Scan(job.options.sourceRoot, list);
  record.Ready();
  uint64_t bytes = 0;
  for (const ListedFile& file : list) bytes += file.size;
  job.Report({.kind = RunEventKind::kScanned, .job = job, .count = list.size(), .bytes = bytes});
  const int32_t unlisted = job.results.unlistedDirectories;
  job.results = BackupResults();
  job.results.unlistedDirectories = unlisted;
  FilePass(job, list, &record).Run();
  // On the disk before the run's last line says it completed.
  record.Finish();
  job.Report({.kind = RunEventKind::kEnded, .job = job});
}

void BackupJob::RunBackup() { qs::RunBackup(*this); }

}  // namespace qs
