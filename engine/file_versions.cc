#include "engine/file_versions.h"

#include <cstdio>

#include "engine/distinct_copies.h"
#include "engine/record_listing.h"
#include "engine/record_notice.h"
#include "engine/record_store.h"
#include "engine/version_target.h"
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
std::string TicksText(int64_t ticks) { return SecondsTimeText(SecondsOfTicks(ticks)); }

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

std::string CopyLine(FileTime last_write, uint64_t size, const std::string& where) {
  return FileTimeText(last_write) + "  " + std::to_string(size) + " bytes  " + where;
}

/// The record's account of the file; false when the record knows nothing of it.
bool ListFromRecord(const RecordHistory& history, const std::string& target,
                    const std::string& relative, VersionsResults* results) {
  const std::vector<DistinctCopy> copies = DistinctCopiesOf(history, RecordPath(relative));
  for (const DistinctCopy& copy : copies) {
    results->listing.push_back(CopyLine(copy.file.lastWrite, copy.file.size, WhereKept(copy)));
    const std::string folder = copy.keptIn.empty() ? "" : copy.keptIn.front();
    const std::string in = folder.empty() ? target : target + folder + kPathSeparator;
    results->keptAt.push_back({copy.keptIn.empty() ? "" : in + relative, folder});
    results->anyKept = results->anyKept || !copy.keptIn.empty();
  }
  return !copies.empty();
}

/// What the version folders and the current tree hold of the file.
void ListFromFolders(FileSystem& fs, const VersionTarget& opened, const std::string& relative,
                     VersionsResults* results) {
  std::vector<KeptCopy> copies = KeptCopiesOf(fs, opened.folder, opened.versions, relative);
  // A version folder's own README.txt is no copy of a file, as a restore has it too.
  if (relative == "README.txt") std::erase_if(copies, [](const KeptCopy& c) { return c.replaced; });
  for (const KeptCopy& copy : copies) {
    results->listing.push_back(CopyLine(copy.lastWrite, copy.size, WhereKept(copy)));
    results->keptAt.push_back({copy.path, copy.folder});
  }
  results->anyKept = !copies.empty();
}

}  // namespace

VersionsResults ListFileVersions(FileSystem& fs, Clock& /*clock*/, const VersionsRequest& request,
                                 RunObserver& observer) {
  VersionsResults results;
  VersionTarget opened;
  if (!OpenVersionTarget(fs, request.target, true, &opened, &results.why)) {
    results.refused = true;
    return results;
  }
  const RecordStore store = RecordStore::Open(fs, opened.folder);
  ReportRecord(store, true, observer);
  if (!ListFromRecord(store.history(), opened.folder, request.relative, &results))
    ListFromFolders(fs, opened, request.relative, &results);
  if (!results.anyKept)
    results.listing.push_back("No copy of " + request.relative + " is kept in " + opened.folder);
  return results;
}

}  // namespace qs
