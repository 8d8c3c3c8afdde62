// The run's four phases, and the file pass's two parts put together.
#include "engine/backup_run.h"

#include "engine/backup_job.h"
#include "engine/copy_pipeline.h"
#include "engine/file_pass.h"
#include "engine/outcome_reporter.h"
#include "engine/run_record.h"
#include "engine/source_scan.h"

namespace qs {

namespace {

RunSummary SummaryOf(const BackupJob& job) {
  return {job.options.sourceRoot, job.options.targetRoot, job.options.timeVersioningOn,
          job.options.dryRun, job.results};
}

}  // namespace

BackupResults RunBackup(FileSystem& fs, Clock& clock, const BackupOptions& request,
                        RunObserver& observer) {
  BackupJob job(fs, clock, request, observer);
  const RunSummary start = SummaryOf(job);
  job.Report({.kind = RunEventKind::kStarted, .summary = &start});
  RunRecord record(job);
  FileList list;
  // The record is read while the source is scanned; its notice still comes first.
  SourceScan(job, [&record] { record.Ready(); }).Scan(job.options.sourceRoot, list);
  record.Ready();
  uint64_t bytes = 0;
  for (const ListedFile& file : list) bytes += file.size;
  job.Report({.kind = RunEventKind::kScanned, .count = list.size(), .bytes = bytes});
  RunFilePass(job, list, &record);
  // On the disk before the run's last line says it completed.
  record.Finish();
  const RunSummary end = SummaryOf(job);
  job.Report({.kind = RunEventKind::kEnded, .summary = &end});
  return job.results;
}

void RunFilePass(BackupJob& job, const FileList& list, RunRecord* record) {
  FilePass pass(job, list, record);
  OutcomeReporter reporter(pass);
  CopyPipeline pipeline(pass, reporter);
  pipeline.Run();
  if (pipeline.TimesDropped()) reporter.ReportTimesNotKept(pipeline.TimeProbeFolder());
}

}  // namespace qs
