// --versions: each kept copy of one file, with when it was written and, for a version
// folder's, when the run of that folder replaced it. With a record, each distinct copy once,
// with when it was first backed up and when it was replaced.
#include <cstdio>

#include "cli/restore_command.h"
#include "cli/version_target.h"
#include "engine/distinct_copies.h"
#include "engine/record_listing.h"
#include "engine/record_notice.h"
#include "engine/record_store.h"
#include "engine/version_store.h"
#include "log/log_time.h"

namespace qs {

namespace {

std::string SecondsText(const VersionStamp& s) {
  char moment[32];
  std::snprintf(moment, sizeof moment, "%04d-%02d-%02d %02d:%02d:%02d", s.year, s.month, s.day,
                s.hour, s.minute, s.second);
  return moment;
}

/// A moment of the record, to the second, in local time.
std::string TicksText(int64_t ticks) {
  const int64_t seconds = ticks >= 0 ? ticks / 10000000 : -((-ticks + 9999999) / 10000000);
  const LocalTime t = ToLocalTime(seconds);
  return SecondsText({t.year, t.month, t.day, t.hour, t.minute, t.second});
}

/// "current", or the folder's name and the moment of its run: "backup_20261202_100000,
/// replaced 2026-12-02 10:00:00".
std::string WhereKept(const KeptCopy& copy) {
  if (!copy.replaced) return "current";
  VersionStamp s;
  if (!ParseVersionFolderName(copy.folder, &s)) return copy.folder;
  return copy.folder + ", replaced " + SecondsText(s);
}

/// "current and backup_20261202_100000, first backed up 2026-12-01 10:00:00, replaced ...".
std::string WhereKept(const DistinctCopy& copy) {
  std::string where;
  for (const std::string& folder : copy.keptIn)
    where += (where.empty() ? "" : " and ") + (folder.empty() ? std::string("current") : folder);
  if (where.empty()) where = "kept nowhere";
  where += ", first backed up " + TicksText(copy.firstBackedUp);
  if (copy.replaced) where += ", replaced " + TicksText(*copy.replaced);
  return where;
}

/// The record's account of the file; false when the record knows nothing of it.
bool ListFromRecord(const RecordHistory& history, const std::string& relative, std::ostream& out,
                    bool* any_kept) {
  const std::vector<DistinctCopy> copies = DistinctCopiesOf(history, RecordPath(relative));
  for (const DistinctCopy& copy : copies) {
    out << FileTimeText(copy.file.lastWrite) << "  " << copy.file.size << " bytes  "
        << WhereKept(copy) << "\n";
    *any_kept = *any_kept || !copy.keptIn.empty();
  }
  return !copies.empty();
}

/// What the version folders and the current tree hold of the file.
bool ListFromFolders(const RunnerContext& context, const VersionTarget& opened,
                     const std::string& relative, std::ostream& out) {
  std::vector<KeptCopy> copies = KeptCopiesOf(context.fs, opened.folder, opened.versions, relative);
  // A version folder's own README.txt is no copy of a file, as a restore has it too.
  if (relative == "README.txt") std::erase_if(copies, [](const KeptCopy& c) { return c.replaced; });
  for (const KeptCopy& copy : copies)
    out << FileTimeText(copy.lastWrite) << "  " << copy.size << " bytes  " << WhereKept(copy)
        << "\n";
  return !copies.empty();
}

}  // namespace

int RunVersionsCommand(const RunArgs& args, const RunnerContext& context) {
  VersionTarget opened;
  std::string why, relative;
  if (!ReadPathBelowRoots(args.paths[0], &relative, &why)) return UsageError(context, why);
  if (!OpenVersionTarget(context, args.target, true, &opened, &why))
    return UsageError(context, why);
  const RecordStore store = RecordStore::Open(context.fs, opened.folder);
  // The listing itself stays on standard output as it is; the word about the record beside it.
  if (const std::string notice = RecordNotice(store); !notice.empty())
    context.error << notice << "\n";
  else if (store.found() == RecordStore::Found::kNone)
    context.error << kNoRecordNotice << "\n";
  std::ostream& out = *context.log.console;
  bool any_kept = false;
  if (!ListFromRecord(store.history(), relative, out, &any_kept))
    any_kept = ListFromFolders(context, opened, relative, out);
  if (!any_kept) out << "No copy of " << relative << " is kept in " << opened.folder << "\n";
  out.flush();
  return any_kept ? 0 : 1;
}

}  // namespace qs
