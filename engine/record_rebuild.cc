// The copies are found as a restore finds them (version folders, folders being removed and
// the record's own folder left out), then read one at a time through one buffer.
#include "engine/record_rebuild.h"

#include <cstdio>
#include <vector>

#include "engine/file_hash.h"
#include "engine/record_store.h"
#include "engine/run_record.h"
#include "engine/version_store.h"
#include "log/operation_lines.h"
#include "os/error_text.h"

namespace qs {

namespace {

/// Every current copy, hashed; the copies that could not be read are counted in `*failed`.
Listing ReadCopies(FileSystem& fs, const std::string& target_root,
                   const std::function<void(const std::string&)>& log, RunFact* fact) {
  Unreadable unreadable;
  const auto copies = KeptCopies(fs, target_root, ListVersionFolders(fs, target_root), &unreadable);
  for (const auto& [folder, code] : unreadable)
    log("Cannot list directory: " + folder + " " + ErrorCodeText(code));
  Listing listing;
  FileHashReader reader;  // one buffer for every copy
  for (const auto& [relative, kept] : copies) {
    if (kept.empty() || !kept.front().folder.empty()) continue;  // only in version folders
    const KeptCopy& copy = kept.front();
    RecordedFile file{RecordPath(relative), copy.size, copy.lastWrite, false, {}};
    uint32_t code = 0;
    uint64_t bytes = 0;
    file.hashKnown = reader.Hash(fs, copy.path, &file.hash, &bytes, &code);
    if (!file.hashKnown) {
      log("Could not read: " + copy.path + " " + ErrorCodeText(code));
      if (fact->failedPaths.size() < kFailedPathsKept) fact->failedPaths.push_back(file.path);
    }
    listing.push_back(std::move(file));
  }
  fact->failedCount = fact->failedPaths.size();
  fact->failed = static_cast<int64_t>(fact->failedCount) + static_cast<int64_t>(unreadable.size());
  Normalize(&listing);
  return listing;
}

}  // namespace

std::string ReplacedJournalName(int64_t wall_ticks) {
  const LocalTime t = ToLocalTime(wall_ticks / 10000000);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%04d%02d%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return std::string(kJournalFileName) + ".replaced-" + stamp;
}

int RebuildRecord(FileSystem& fs, Clock& clock, const std::string& target_root,
                  const std::function<void(const std::string&)>& log) {
  RunFact fact;
  fact.number = 1;
  fact.startTicks = clock.WallTicks();
  fact.rebuilt = true;
  fact.fullListing = true;
  const Listing listing = ReadCopies(fs, target_root, log, &fact);
  fact.changes = AsChanges(listing);
  fact.skipped = static_cast<int64_t>(listing.size());
  fact.exitStatus = fact.failed != 0 ? 1 : 0;
  const std::string journal = target_root + kRecordFolderName + kPathSeparator + kJournalFileName;
  if (fs.Stat(journal).kind != PathKind::Missing) {
    const std::string base =
        target_root + kRecordFolderName + kPathSeparator + ReplacedJournalName(fact.startTicks);
    std::string aside = base;
    for (int n = 2; fs.Probe(aside) != PathKind::Missing; ++n)
      aside = base + "-" + std::to_string(n);
    if (!fs.Rename(journal, aside) || !fs.SyncDirectory(target_root + kRecordFolderName)) {
      log("The record could not be set aside, so it is left as it was: " + journal + " " +
          ErrorCodeText(fs.LastErrorCode()));
      return 1;
    }
    log("The record there before is kept as: " + aside);
  }
  fact.endTicks = clock.WallTicks();
  RecordStore store = RecordStore::Open(fs, target_root);
  uint32_t code = 0;
  if (!store.Append(fs, FrameKind::kRun, EncodeRun(fact), &code)) {
    log(RecordNotKeptText(journal, code));
    return 1;
  }
  log("Record rebuilt from " + std::to_string(listing.size()) + " copies: " + journal);
  return fact.exitStatus;
}

}  // namespace qs
