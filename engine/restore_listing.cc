#include "engine/restore_listing.h"

#include <algorithm>

#include "engine/as_of_plan.h"
#include "engine/held_copy.h"
#include "engine/record_notice.h"
#include "engine/record_store.h"
#include "engine/version_target.h"

namespace qs {

namespace {

/// Whole seconds, rounded down, as a restore's moment is typed.
FileTime SecondOf(int64_t ticks) {
  const int64_t seconds = ticks >= 0 ? ticks / 10000000 : -((-ticks + 9999999) / 10000000);
  return FileTime{seconds, 0};
}

void MomentsOfRuns(const RecordHistory& history, MomentsResults* results) {
  for (auto run = history.runs().rbegin(); run != history.runs().rend(); ++run)
    results->moments.push_back({SecondOf(run->endTicks), true, run->failed, ""});
}

void MomentsOfFolders(const VersionTarget& opened, MomentsResults* results) {
  for (auto folder = opened.versions.rbegin(); folder != opened.versions.rend(); ++folder)
    results->moments.push_back({folder->made, false, 0, folder->name});
}

/// The run a restore as of `moment` rebuilds, as RestoreTree picks it.
std::optional<size_t> RunAsOf(const RecordHistory& history, std::optional<FileTime> moment) {
  if (!moment || history.runs().empty()) return std::nullopt;
  return history.LastRunEndedBy(LastTickOfSecond(moment->seconds));
}

void PathsOfPlan(const AsOfPlan& plan, std::vector<std::string>* paths) {
  for (const AsOfFile& file : plan.files)
    if (!file.keptIn.empty()) paths->push_back(file.relative);
}

void PathsByDates(FileSystem& fs, const VersionTarget& opened, std::optional<FileTime> moment,
                  std::vector<std::string>* paths) {
  Unreadable unreadable;
  for (const auto& [relative, copies] : KeptCopies(fs, opened.folder, opened.versions, &unreadable))
    if (CopyHeldAt(fs, copies, moment).copy != nullptr) paths->push_back(relative);
}

}  // namespace

MomentsResults ListRestoreMoments(FileSystem& fs, Clock& /*clock*/, const MomentsRequest& request,
                                  RunObserver& observer) {
  MomentsResults results;
  VersionTarget opened;
  if (!OpenVersionTarget(fs, request.target, false, &opened, &results.why)) {
    results.refused = true;
    return results;
  }
  const RecordStore store = RecordStore::Open(fs, opened.folder);
  ReportRecord(store, false, observer);
  if (!store.history().runs().empty()) {
    MomentsOfRuns(store.history(), &results);
  } else {
    MomentsOfFolders(opened, &results);
  }
  return results;
}

RestorePathsResults ListRestorePaths(FileSystem& fs, Clock& /*clock*/,
                                     const RestoreRequest& request, RunObserver& /*observer*/) {
  RestorePathsResults results;
  VersionTarget opened;
  if (!OpenVersionTarget(fs, request.target, false, &opened, &results.why)) {
    results.refused = true;
    return results;
  }
  const RecordStore store = RecordStore::Open(fs, opened.folder);
  const std::optional<size_t> run = RunAsOf(store.history(), request.moment);
  if (run) {
    PathsOfPlan(PlanAsOf(store.history(), *run), &results.paths);
  } else {
    PathsByDates(fs, opened, request.moment, &results.paths);
  }
  std::sort(results.paths.begin(), results.paths.end());
  return results;
}

}  // namespace qs
