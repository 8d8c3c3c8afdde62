// Each file reported either keeps its recorded entry (it is only marked seen) or becomes a
// change, sorted once at the end; the fact holds the changes from the recorded listing, or
// the whole listing when the changes since the last whole one would otherwise outgrow it.
#include "engine/run_record.h"

#include <algorithm>
#include <system_error>

#include "engine/backup_job.h"
#include "engine/file_times.h"
#include "engine/paths.h"
#include "engine/record_notice.h"

namespace qs {

namespace {

std::string RecordPathOf(std::string_view native_relative) {
  size_t start = 0;
  while (start < native_relative.size() && native_relative[start] == kPathSeparator) ++start;
  return RecordPath(std::string(native_relative.substr(start)));
}

/// The last name of a path: the version folder's name as the record keeps it.
std::string LastName(const std::string& path) {
  const std::string trimmed = WithoutTrailingSeparator(path);
  const size_t slash = trimmed.rfind(kPathSeparator);
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

/// Marks the changes of `versioned` paths (sorted) as having saved the copy they replaced;
/// a path whose entry did not change gets a put of its entry in `listing` all the same, so
/// the bit is kept.
void MarkVersioned(const std::vector<std::string>& versioned, const Listing& listing,
                   ListingChanges* changes) {
  bool added = false;
  for (const std::string& path : versioned) {
    const auto at = std::lower_bound(changes->begin(), changes->end(), path,
                                     [](const ListingChange& change, const std::string& value) {
                                       return change.file.path < value;
                                     });
    if (at != changes->end() && at->file.path == path) {
      at->versionSaved = true;
    } else if (const RecordedFile* file = Find(listing, path)) {
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

RunRecord::RunRecord(BackupJob& job) : job_(job) {
  if (job.options.dryRun) return;
  start_ticks_ = job.clock().WallTicks();
  try {
    reading_ = std::thread([this] { Read(); });
  } catch (const std::system_error&) {
    Read();  // no thread to be had: the run reads it itself
  }
}

RunRecord::~RunRecord() {
  if (reading_.joinable()) reading_.join();
}

void RunRecord::Read() {
  store_ = RecordStore::Open(job_.fs(), job_.options.targetRoot);
  before_ = store_->history().Latest();
  seen_.assign(before_.size(), 0);
}

void RunRecord::Ready() {
  if (reading_.joinable()) reading_.join();
  if (noticed_ || !active()) return;
  noticed_ = true;
  if (const std::optional<RunEvent> notice = RecordNoticeEvent(*store_)) job_.Report(*notice);
}

const RecordedFile* RunRecord::Recorded(std::string_view native_relative,
                                        const RecordedFile* near) const {
  return active() ? FindNear(before_, RecordPathOf(native_relative), near) : nullptr;
}

const RecordedFile* RunRecord::RecordedEarlier(std::string_view native_relative) const {
  if (!active()) return nullptr;
  std::call_once(earlier_read_, [this] {
    for (RecordedCopy& copy : store_->history().CopiesAndPruned())
      if (copy.folder.empty() && Find(before_, copy.file.path) == nullptr)
        earlier_.push_back(std::move(copy.file));
  });
  return Find(earlier_, RecordPathOf(native_relative));
}

const RecordedFile* RunRecord::Entry(const std::string& record_path) const {
  return Find(before_, record_path);
}

void RunRecord::Skipped(std::string_view native_relative, const RecordedFile* recorded,
                        uint64_t size, FileTime last_write, FileTime source_time) {
  if (!active()) return;
  if (recorded != nullptr && recorded->size == size && recorded->lastWrite == last_write)
    return Keep(recorded);  // the very copy recorded: its hash carries over
  // A copy dated as its source was made of it (by a run cut short, or before the record):
  // its bytes were never seen. Any other copy was changed in the target and keeps the entry
  // of what was backed up, so the record goes on telling it apart.
  const bool of_the_source =
      last_write == source_time || MayBeCoarseCopyOf(last_write, source_time);
  if (recorded != nullptr && !of_the_source) return Keep(recorded);
  // So does a copy left from before its file was deleted or renamed away, and back now.
  const RecordedFile* earlier = recorded == nullptr ? RecordedEarlier(native_relative) : nullptr;
  const bool earlier_copy =
      earlier != nullptr && earlier->size == size && earlier->lastWrite == last_write;
  if (earlier != nullptr && (earlier_copy || !of_the_source)) return Put(*earlier, nullptr);
  std::string path = recorded != nullptr ? recorded->path : RecordPathOf(native_relative);
  Put({std::move(path), size, last_write, false, {}}, recorded);
}

void RunRecord::Copied(std::string_view native_relative, const CopiedContent& content,
                       bool version_saved) {
  if (!active()) return;
  RecordedFile file{RecordPathOf(native_relative), content.size, content.lastWrite,
                    content.hashKnown, content.hash};
  const RecordedFile* recorded = Entry(file.path);
  if (version_saved) versioned_.push_back(file.path);
  Put(std::move(file), recorded);
}

void RunRecord::Failed(std::string_view native_relative) {
  if (!active()) return;
  std::string path = RecordPathOf(native_relative);
  if (const RecordedFile* recorded = Entry(path)) Keep(recorded);
  if (failed_.size() < kFailedPathsKept) failed_.push_back(std::move(path));
}

void RunRecord::Keep(const RecordedFile* recorded) { seen_[recorded - before_.data()] = 1; }

void RunRecord::Put(RecordedFile file, const RecordedFile* recorded) {
  if (recorded != nullptr) {
    Keep(recorded);
    if (*recorded == file) return;
  }
  const std::lock_guard<std::mutex> lock(changing_);
  if (recorded == nullptr) ++added_;
  changed_.push_back(std::move(file));
}

ListingChanges RunRecord::Changes() {
  Normalize(&changed_);
  std::sort(versioned_.begin(), versioned_.end());
  // Files behind a folder that could not be listed were not seen, not deleted.
  const bool keep_unseen = job_.results.unlistedDirectories != 0;
  ListingChanges changes;
  auto put = changed_.begin();
  const auto put_until = [&](const std::string* path) {
    for (; put != changed_.end() && (path == nullptr || put->path < *path); ++put)
      changes.push_back({ListingChange::Kind::kPut, *put, false});
  };
  for (size_t i = 0; i < before_.size(); ++i) {
    if (seen_[i] != 0 || keep_unseen) continue;
    put_until(&before_[i].path);
    changes.push_back(RemovalOf(before_[i].path));
  }
  put_until(nullptr);
  return changes;
}

RunFact RunRecord::Fact() {
  const RecordHistory& history = store_->history();
  const BackupResults& results = job_.results;
  RunFact fact;
  fact.number = history.runs().empty() ? 1 : history.runs().back().number + 1;
  fact.startTicks = start_ticks_;
  fact.endTicks = job_.clock().WallTicks();
  fact.sourceRoot = job_.options.sourceRoot;
  fact.copied = results.counters.copied;
  fact.updated = results.counters.updated;
  fact.skipped = results.counters.skipped;
  fact.failed = results.counters.failed;
  fact.timeVersioned = results.counters.timeVersioned;
  fact.exitStatus = results.AnyFailed() ? 1 : 0;
  if (results.versionFolderMade) fact.versionFolder = LastName(results.versionDir);
  fact.changes = Changes();
  const size_t removed = static_cast<size_t>(std::count_if(
      fact.changes.begin(), fact.changes.end(),
      [](const ListingChange& change) { return change.kind == ListingChange::Kind::kRemove; }));
  const size_t listed = before_.size() - removed + added_;
  // Rebuilding any listing then reads at most about twice its size.
  fact.fullListing =
      history.runs().empty() || history.ChangesSinceFullListing() + fact.changes.size() > listed;
  if (fact.fullListing) {
    Listing after = before_;
    Apply(std::move(fact.changes), &after);
    fact.changes = AsChanges(after);
    MarkVersioned(versioned_, after, &fact.changes);
  } else {
    // A path not among the changes kept its recorded entry.
    MarkVersioned(versioned_, before_, &fact.changes);
  }
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
    job_.Report(
        {.kind = RunEventKind::kRecordNotKept, .path = store_->journalPath(), .code = code});
}

}  // namespace qs
