// A restore reads the target and writes only below DEST, which must hold nothing yet: a
// restore never mixes old copies into a tree that is in use. Every file it leaves out is
// named with the reason, so that a missing file is never a silent one.
#include "cli/restore_command.h"

#include <cstdio>
#include <optional>

#include "cli/restore_by_dates.h"
#include "cli/restore_from_record.h"
#include "cli/restore_report.h"
#include "cli/version_target.h"
#include "engine/as_of_plan.h"
#include "engine/paths.h"
#include "engine/record_notice.h"
#include "engine/record_store.h"
#include "log/log_time.h"

namespace qs {

namespace {

/// True when `dest` (or, when it does not exist yet, the folder it would be made in) lies
/// inside the target: a restore must never write there.
bool InsideTarget(FileSystem& fs, const std::string& target, std::string dest) {
  DirectoryId target_id, id;
  if (!fs.IdentifyDirectory(WithoutTrailingSeparator(target), &target_id)) return false;
  for (dest = WithoutTrailingSeparator(dest); !dest.empty(); dest = ParentPath(dest)) {
    if (fs.IdentifyDirectory(dest, &id) && id == target_id) return true;
    if (!HasParent(dest)) break;
  }
  return false;
}

/// The reason DEST cannot take a restore, or "" when it can.
std::string CheckDest(FileSystem& fs, const std::string& target, const std::string& dest) {
  const PathKind kind = fs.Probe(dest);
  if (kind != PathKind::Missing && kind != PathKind::Directory)
    return "DEST is not a folder: " + dest;
  DirListing listing;
  if (kind == PathKind::Directory &&
      (!fs.ListDirectory(dest, &listing) || !listing.entries.empty()))
    return "DEST is not empty: " + dest;
  if (InsideTarget(fs, target, dest))
    return "DEST lies inside TARGET, which a restore never writes";
  return "";
}

/// The moment of --as-of; false with the reason when it names none.
bool ReadMoment(const RunArgs& args, std::optional<FileTime>* moment, std::string* why) {
  if (!args.hasAsOf) return true;
  int64_t seconds = 0;
  if (!FromLocalTime(args.asOf, &seconds)) {
    const LocalTime& t = args.asOf;
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    *why = "the --as-of time " + std::string(text) +
           " does not exist in local time (the clocks skipped it)";
    return false;
  }
  *moment = FileTime{seconds, 0};
  return true;
}

/// The PATHs below the roots; false with the usage message when one is no such path.
bool ReadWanted(const RunArgs& args, std::vector<std::string>* wanted, std::string* why) {
  for (const std::string& typed : args.paths) {
    std::string relative;
    if (!ReadPathBelowRoots(typed, &relative, why)) return false;
    wanted->push_back(relative);
  }
  return true;
}

/// The run a restore as of `moment` rebuilds, when the record holds one that had ended by
/// then (within its second, as the log's stamps show times); says so when the moment is
/// before the first run the record holds.
std::optional<size_t> RunAsOf(const RunnerContext& context, const RecordHistory& history,
                              FileTime moment) {
  if (history.runs().empty()) return std::nullopt;
  const std::optional<size_t> run = history.LastRunEndedBy(LastTickOfSecond(moment.seconds));
  if (!run)
    context.Log("The moment is before the first run the record holds, which ended " +
                FileTimeText(TicksAsFileTime(history.runs().front().endTicks)) +
                ": the dates of the version folders decide what is restored.");
  return run;
}

}  // namespace

int RunRestoreCommand(const RunArgs& args, const RunnerContext& context) {
  VersionTarget opened;
  std::string why;
  WantedPaths wanted;
  std::optional<FileTime> moment;
  if (!ReadWanted(args, &wanted.paths, &why) || !ReadMoment(args, &moment, &why) ||
      !OpenVersionTarget(context, args.target, false, &opened, &why))
    return UsageError(context, why);
  if (why = CheckDest(context.fs, opened.folder, args.dest); !why.empty())
    return UsageError(context, why);
  const RecordStore store = RecordStore::Open(context.fs, opened.folder);
  const RecordHistory& history = store.history();
  if (args.hasAsOf && history.runs().empty() && opened.versions.empty())
    return UsageError(context, NoVersionsMessage(args.target));
  if (const std::string notice = RecordNotice(store); !notice.empty())
    context.Log(notice);
  else if (args.hasAsOf && store.found() == RecordStore::Found::kNone)
    context.Log(kNoRecordNotice);
  std::optional<size_t> run;
  if (moment) run = RunAsOf(context, history, *moment);
  const std::string dest = WithTrailingSeparator(args.dest);
  RestoreTally tally;
  if (!run.has_value()) {
    RestoreByDates(context, opened, dest, moment, &wanted, &tally);
    return EndRestore(context, tally);
  }
  context.Log("Restoring the tree as the run that ended " +
              FileTimeText(TicksAsFileTime(history.runs()[run.value()].endTicks)) +
              " saw the source.");
  RestoreFromRecord(context, opened.folder, dest, PlanAsOf(history, run.value()), &wanted, &tally);
  ReportWanted(context, wanted, &tally);
  return EndRestore(context, tally);
}

}  // namespace qs
