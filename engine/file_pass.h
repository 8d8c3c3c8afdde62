// The file pass of a run, in two parts: the copy pipeline (copy_pipeline.h) decides each
// listed file and puts its copies in place, and the reporter (outcome_reporter.h) turns each
// outcome into the run's events, in list order. This is what both share.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/backup_job.h"
#include "engine/durable_names.h"
#include "engine/name_collisions.h"
#include "engine/run_record.h"
#include "engine/target_volume.h"
#include "engine/time_versioning.h"

namespace qs {

class FilePass {
 public:
  /// `record`, when given, is told each file's outcome as it is reported.
  FilePass(BackupJob& job, const FileList& list, RunRecord* record);
  FilePass(const FilePass&) = delete;
  FilePass& operator=(const FilePass&) = delete;

  const NameCollision* CollisionAt(size_t index) const;
  std::string_view RelativePart(size_t index) const;
  /// The file's path below the target root, below the version folder, and its name there.
  std::string TargetPath(size_t index) const;
  std::string VersionPath(size_t index);
  std::string VersionName(size_t index) const;

  BackupJob& job;
  const FileList& list;
  RunRecord* const record;
  FileSystem& fs;
  const bool versioning;  ///< read once: the request is never written during a run
  TargetVolumes volumes;
  VersionFolder versionFolder;
  DurableNames durableNames;  ///< of the batch being put in place
  std::vector<NameCollision> collisions;
  /// The target root, or the nearest folder above it that exists; empty when none does.
  std::string targetFolder;

 private:
  size_t RelativeStart(size_t index) const;
};

/// Decides, copies and reports every listed file.
void RunFilePass(BackupJob& job, const FileList& list, RunRecord* record = nullptr);

}  // namespace qs
