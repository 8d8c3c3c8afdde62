#include "engine/tree_restore.h"

#include "engine/as_of_plan.h"
#include "engine/paths.h"
#include "engine/record_notice.h"
#include "engine/record_store.h"
#include "engine/restore_by_dates.h"
#include "engine/restore_dest.h"
#include "engine/restore_from_record.h"
#include "engine/version_target.h"
#include "log/log_time.h"

namespace qs {

namespace {

/// The run a restore as of `moment` rebuilds, when the record holds one that had ended by
/// then (within its second, as the log's stamps show times); says so when the moment is
/// before the first run the record holds.
std::optional<size_t> RunAsOf(const OperationLog& log, const RecordHistory& history,
                              FileTime moment) {
  if (history.runs().empty()) return std::nullopt;
  const std::optional<size_t> run = history.LastRunEndedBy(LastTickOfSecond(moment.seconds));
  if (!run)
    log("The moment is before the first run the record holds, which ended " +
        FileTimeText(TicksAsFileTime(history.runs().front().endTicks)) +
        ": the dates of the version folders decide what is restored.");
  return run;
}

RestoreResults Refused(std::string why) {
  RestoreResults results;
  results.refused = true;
  results.why = std::move(why);
  return results;
}

void Restore(FileSystem& fs, const OperationLog& log, const RestoreRequest& request,
             const VersionTarget& opened, const RecordHistory& history, RestoreTally* tally) {
  std::optional<size_t> run;
  if (request.moment) run = RunAsOf(log, history, *request.moment);
  const std::string dest = WithTrailingSeparator(request.dest);
  WantedPaths wanted{request.paths, {}, {}};
  if (!run.has_value())
    return RestoreByDates(fs, log, opened, dest, request.moment, &wanted, tally);
  log("Restoring the tree as the run that ended " +
      FileTimeText(TicksAsFileTime(history.runs()[run.value()].endTicks)) + " saw the source.");
  RestoreFromRecord(fs, log, opened.folder, dest, PlanAsOf(history, run.value()), &wanted, tally);
  ReportWanted(log, wanted, tally);
}

}  // namespace

RestoreResults RestoreTree(FileSystem& fs, Clock& /*clock*/, const RestoreRequest& request,
                           const OperationLog& log) {
  VersionTarget opened;
  std::string why;
  if (!OpenVersionTarget(fs, request.target, false, &opened, &why)) return Refused(why);
  if (why = CheckRestoreDest(fs, opened.folder, request.dest); !why.empty()) return Refused(why);
  const RecordStore store = RecordStore::Open(fs, opened.folder);
  const RecordHistory& history = store.history();
  if (request.moment && history.runs().empty() && opened.versions.empty())
    return Refused(NoVersionsMessage(request.target));
  if (const std::string notice = RecordNotice(store); !notice.empty())
    log(notice);
  else if (request.moment && store.found() == RecordStore::Found::kNone)
    log(kNoRecordNotice);
  RestoreResults results;
  Restore(fs, log, request, opened, history, &results.tally);
  EndRestore(log, results.tally);
  return results;
}

}  // namespace qs
