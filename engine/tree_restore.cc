#include "engine/tree_restore.h"

#include "engine/as_of_plan.h"
#include "engine/paths.h"
#include "engine/record_notice.h"
#include "engine/record_store.h"
#include "engine/restore_by_dates.h"
#include "engine/restore_dest.h"
#include "engine/restore_from_record.h"
#include "engine/version_target.h"

namespace qs {

namespace {

/// The run a restore as of `moment` rebuilds, when the record holds one that had ended by
/// then (within its second, as the log's stamps show times); says so when the moment is
/// before the first run the record holds.
std::optional<size_t> RunAsOf(RunObserver& observer, const RecordHistory& history,
                              FileTime moment) {
  if (history.runs().empty()) return std::nullopt;
  const std::optional<size_t> run = history.LastRunEndedBy(LastTickOfSecond(moment.seconds));
  if (!run)
    observer.OnRunEvent({.kind = RunEventKind::kMomentBeforeFirstRun,
                         .moment = TicksAsFileTime(history.runs().front().endTicks)});
  return run;
}

RestoreResults Refused(std::string why) {
  RestoreResults results;
  results.refused = true;
  results.why = std::move(why);
  return results;
}

void Restore(FileSystem& fs, RunObserver& observer, const RestoreRequest& request,
             const VersionTarget& opened, const RecordHistory& history, RestoreTally* tally) {
  std::optional<size_t> run;
  if (request.moment) run = RunAsOf(observer, history, *request.moment);
  const std::string dest = WithTrailingSeparator(request.dest);
  WantedPaths wanted{request.paths, {}, {}};
  if (!run.has_value())
    return RestoreByDates(fs, observer, opened, dest, request.moment, &wanted, tally);
  observer.OnRunEvent({.kind = RunEventKind::kRestoringAsOfRun,
                       .moment = TicksAsFileTime(history.runs()[run.value()].endTicks)});
  RestoreFromRecord(fs, observer, opened.folder, dest, PlanAsOf(history, run.value()), &wanted,
                    tally);
  ReportWanted(observer, wanted, tally);
}

}  // namespace

RestoreResults RestoreTree(FileSystem& fs, Clock& /*clock*/, const RestoreRequest& request,
                           RunObserver& observer) {
  VersionTarget opened;
  std::string why;
  if (!OpenVersionTarget(fs, request.target, false, &opened, &why)) return Refused(why);
  if (why = CheckRestoreDest(fs, opened.folder, request.dest); !why.empty()) return Refused(why);
  const RecordStore store = RecordStore::Open(fs, opened.folder);
  const RecordHistory& history = store.history();
  if (request.moment && history.runs().empty() && opened.versions.empty())
    return Refused(NoVersionsMessage(request.target));
  ReportRecord(store, request.moment.has_value(), observer);
  RestoreResults results;
  Restore(fs, observer, request, opened, history, &results.tally);
  EndRestore(observer, results.tally);
  return results;
}

}  // namespace qs
