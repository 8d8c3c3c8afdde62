// The listing is gathered in the order files are reported and sorted once at the end; the
// fact holds the changes from the recorded listing, or the whole listing when the changes
// since the last whole one would otherwise outgrow it.
#include "engine/run_record.h"

#include <algorithm>

#include "engine/backup_job.h"
#include "engine/paths.h"
#include "engine/record_notice.h"
#include "platform/error_text.h"

namespace qs {

namespace {

std::string RecordPathOf(const std::string& native_relative) {
  size_t start = 0;
  while (start < native_relative.size() && native_relative[start] == kPathSeparator) ++start;
  return RecordPath(native_relative.substr(start));
}

/// The last name of a path: the version folder's name as the record keeps it.
std::string LastName(const std::string& path) {
  const std::string trimmed = WithoutTrailingSeparator(path);
  const size_t slash = trimmed.rfind(kPathSeparator);
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

/// Marks the changes of `versioned` paths (sorted) as having saved the copy they replaced;
/// a path whose entry did not change gets a put of it all the same, so the bit is kept.
void MarkVersioned(const std::vector<std::string>& versioned, const Listing& after,
                   ListingChanges* changes) {
  bool added = false;
  for (const std::string& path : versioned) {
    const auto at = std::lower_bound(changes->begin(), changes->end(), path,
                                     [](const ListingChange& change, const std::string& value) {
                                       return change.file.path < value;
                                     });
    if (at != changes->end() && at->file.path == path) {
      at->versionSaved = true;
    } else if (const RecordedFile* file = Find(after, path)) {
      changes->push_back({ListingChange::Kind::kPut, *file, true});
      added = true;
    }
  }
  if (added) {
    std::sort(changes->begin(), changes->end(), [](const ListingChange& a, const ListingChange& b) {
      return a.file.path < b.file.path;
    });
  }
}

}  // namespace

std::string RecordNotKeptText(const std::string& journal_path, uint32_t code) {
  return "The record of the runs could not be written: " + journal_path + " " + ErrorCodeText(code);
}

RunRecord::RunRecord(BackupJob& job) : job_(job) {
  if (job.options.dryRun) return;
  start_ticks_ = job.services().log.clock->WallTicks();
  store_ = RecordStore::Open(job.fs(), job.options.targetRoot);
  const std::string notice = RecordNotice(*store_);
  if (!notice.empty()) job.LogMessage(notice);
  before_ = store_->history().Latest();
}

const RecordedFile* RunRecord::Recorded(const std::string& native_relative) const {
  if (!active()) return nullptr;
  return Find(before_, RecordPathOf(native_relative));
}

void RunRecord::Skipped(const std::string& native_relative, uint64_t size, FileTime last_write) {
  if (!active()) return;
  RecordedFile file{RecordPathOf(native_relative), size, last_write, false, {}};
  const RecordedFile* recorded = Find(before_, file.path);
  if (recorded != nullptr && recorded->size == size && recorded->lastWrite == last_write) {
    file.hashKnown = recorded->hashKnown;
    file.hash = recorded->hash;
  }
  after_.push_back(std::move(file));
}

void RunRecord::Copied(const std::string& native_relative, const CopiedContent& content,
                       bool version_saved) {
  if (!active()) return;
  RecordedFile file{RecordPathOf(native_relative), content.size, content.lastWrite,
                    content.hashKnown, content.hash};
  if (version_saved) versioned_.push_back(file.path);
  after_.push_back(std::move(file));
}

void RunRecord::Failed(const std::string& native_relative) {
  if (!active()) return;
  std::string path = RecordPathOf(native_relative);
  if (const RecordedFile* recorded = Find(before_, path)) after_.push_back(*recorded);
  if (failed_.size() < kFailedPathsKept) failed_.push_back(std::move(path));
}

void RunRecord::CloseListing() {
  Normalize(&after_);
  std::sort(versioned_.begin(), versioned_.end());
  if (job_.results.unlistedDirectories == 0) return;
  // Files behind a folder that could not be listed were not seen, not deleted.
  Listing unseen;
  for (const RecordedFile& file : before_)
    if (Find(after_, file.path) == nullptr) unseen.push_back(file);
  if (unseen.empty()) return;
  after_.insert(after_.end(), unseen.begin(), unseen.end());
  Normalize(&after_);
}

ListingChanges RunRecord::ChangesToWrite(bool whole) const {
  ListingChanges changes = whole ? AsChanges(after_) : Diff(before_, after_);
  MarkVersioned(versioned_, after_, &changes);
  return changes;
}

RunFact RunRecord::Fact() {
  CloseListing();
  const RecordHistory& history = store_->history();
  const BackupResults& results = job_.results;
  RunFact fact;
  fact.number = history.runs().empty() ? 1 : history.runs().back().number + 1;
  fact.startTicks = start_ticks_;
  fact.endTicks = job_.services().log.clock->WallTicks();
  fact.sourceRoot = job_.options.sourceRoot;
  fact.copied = results.counters.copied;
  fact.updated = results.counters.updated;
  fact.skipped = results.counters.skipped;
  fact.failed = results.counters.failed;
  fact.timeVersioned = results.counters.timeVersioned;
  fact.exitStatus = results.AnyFailed() ? 1 : 0;
  if (results.versionFolderMade) fact.versionFolder = LastName(results.versionDir);
  fact.changes = ChangesToWrite(false);
  // Rebuilding any listing then reads at most about twice its size.
  fact.fullListing = history.runs().empty() ||
                     history.ChangesSinceFullListing() + fact.changes.size() > after_.size();
  if (fact.fullListing) fact.changes = ChangesToWrite(true);
  fact.failedCount = static_cast<uint64_t>(results.counters.failed);
  fact.failedPaths = failed_;
  return fact;
}

void RunRecord::Finish() {
  if (!active()) return;
  const RecordStore::Found found = store_->found();
  // A journal that is not ours, or cannot be read, is left alone: the notice said so.
  if (found == RecordStore::Found::kForeign || found == RecordStore::Found::kUnreadable) return;
  // A run that put nothing anywhere (an empty source into a target not made yet) makes no
  // target just for its record.
  const std::string target = WithoutTrailingSeparator(job_.options.targetRoot);
  if (found == RecordStore::Found::kNone && !target.empty() &&
      job_.fs().Probe(target) != PathKind::Directory)
    return;
  uint32_t code = 0;
  if (!store_->Append(job_.fs(), FrameKind::kRun, EncodeRun(Fact()), &code))
    job_.LogMessage(RecordNotKeptText(store_->journalPath(), code));
}

}  // namespace qs
