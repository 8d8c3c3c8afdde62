// The run's four phases. The results are reset after the scan, so a job reused by the
// scheduler starts each run's counts from zero.
#include "engine/backup_run.h"

#include "engine/backup_job.h"
#include "engine/file_pass.h"
#include "engine/run_record.h"
#include "engine/source_scan.h"

namespace qs {

namespace {

RunSummary SummaryOf(const BackupJob& job) {
  return {job.options.sourceRoot, job.options.targetRoot, job.options.timeVersioningOn,
          job.options.dryRun, job.results};
}

}  // namespace

void RunBackup(BackupJob& job) {
  const RunSummary start = SummaryOf(job);
  job.Report({.kind = RunEventKind::kStarted, .summary = &start});
  RunRecord record(job);
  FileList list;
  job.results.unlistedDirectories = 0;
  // The record is read while the source is scanned; its notice still comes first.
  SourceScan(job, [&record] { record.Ready(); }).Scan(job.options.sourceRoot, list);
  record.Ready();
  uint64_t bytes = 0;
  for (const ListedFile& file : list) bytes += file.size;
  job.Report({.kind = RunEventKind::kScanned, .count = list.size(), .bytes = bytes});
  const int32_t unlisted = job.results.unlistedDirectories;
  job.results = BackupResults();
  job.results.unlistedDirectories = unlisted;
  FilePass(job, list, &record).Run();
  // On the disk before the run's last line says it completed.
  record.Finish();
  const RunSummary end = SummaryOf(job);
  job.Report({.kind = RunEventKind::kEnded, .summary = &end});
}

void BackupJob::RunBackup() { qs::RunBackup(*this); }

}  // namespace qs
