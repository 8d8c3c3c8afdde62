#include "engine/record_history.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <set>
#include <utility>

namespace qs {

namespace {

/// Whether two files of a listing stand for the same bytes. A hash only one of them knows
/// does not tell them apart: the record learnt it later.
bool SameBytes(const RecordedFile& a, const RecordedFile& b) {
  if (a.size != b.size || a.lastWrite != b.lastWrite) return false;
  return !a.hashKnown || !b.hashKnown || a.hash == b.hash;
}

/// A whole listing as changes from `before`, with the saved versions the listing marks.
ListingChanges WholeAsChanges(const Listing& before, const ListingChanges& whole) {
  Listing after;
  for (const ListingChange& change : whole)
    if (change.kind == ListingChange::Kind::kPut) after.push_back(change.file);
  ListingChanges changes = Diff(before, after);
  auto marked = whole.begin();
  for (ListingChange& change : changes) {
    while (marked != whole.end() && marked->file.path < change.file.path) ++marked;
    if (marked != whole.end() && marked->file.path == change.file.path)
      change.versionSaved = marked->versionSaved;
  }
  return changes;
}

}  // namespace

RecordHistory RecordHistory::From(JournalContents journal) {
  RecordHistory history;
  history.damaged_ = journal.torn || journal.foreign;
  for (Frame& frame : journal.frames) {
    bool read = true;
    if (frame.kind == FrameKind::kRun) {
      RunFact run;
      uint64_t changes = 0;
      read = DecodeRunWithoutChanges(frame.payload, &run, &changes);
      if (read) {
        history.runs_.push_back(std::move(run));
        history.runPayloads_.push_back(std::move(frame.payload));
        history.runChangeCounts_.push_back(changes);
      }
    } else if (frame.kind == FrameKind::kPrune) {
      PruneFact prune;
      read = DecodePrune(frame.payload, &prune);
      if (read) history.prunes_.push_back(std::move(prune));
    } else if (frame.kind == FrameKind::kCheck) {
      CheckFact check;
      read = DecodeCheck(frame.payload, &check);
      if (read) history.checks_.push_back(std::move(check));
      if (read) history.checkAfterRuns_.push_back(history.runs_.size());
    }
    if (!read) {
      history.damaged_ = true;
      break;
    }
  }
  return history;
}

uint64_t RecordHistory::LastRunBeforeCheck(size_t index) const {
  const size_t runs = checkAfterRuns_[index];
  return runs == 0 ? 0 : runs_[runs - 1].number;
}

RunFact RecordHistory::Decoded(size_t index) const {
  RunFact run;
  DecodeRun(runPayloads_[index], &run);
  return run;
}

void RecordHistory::Replay(
    const std::function<void(const RunFact&, const ListingChanges&)>& visit) const {
  Listing listing;
  for (size_t i = 0; i < runs_.size(); ++i) {
    const RunFact run = Decoded(i);
    const ListingChanges changes =
        run.fullListing ? WholeAsChanges(listing, run.changes) : run.changes;
    Apply(changes, &listing);
    visit(run, changes);
  }
}

Listing RecordHistory::ListingAfter(size_t index) const {
  size_t start = index;
  while (start > 0 && !runs_[start].fullListing) --start;
  // The runs' changes after the whole listing are applied together: one pass over the
  // listing, not one for each run.
  Listing listing;
  ListingChanges later;
  for (size_t i = start; i <= index && i < runs_.size(); ++i) {
    RunFact run = Decoded(i);
    if (run.fullListing) {
      listing.clear();
      later.clear();
      Apply(std::move(run.changes), &listing);
      continue;
    }
    later.insert(later.end(), std::make_move_iterator(run.changes.begin()),
                 std::make_move_iterator(run.changes.end()));
  }
  Apply(LastOfEachPath(std::move(later)), &listing);
  return listing;
}

Listing RecordHistory::Latest() const {
  if (runs_.empty()) return {};
  Listing listing = ListingAfter(runs_.size() - 1);
  for (size_t i = 0; i < checks_.size(); ++i) {
    if (checkAfterRuns_[i] != runs_.size()) continue;
    for (const auto& [copy, hash] : checks_[i].learned) {
      if (!copy.folder.empty()) continue;
      auto at = std::lower_bound(
          listing.begin(), listing.end(), copy.path,
          [](const RecordedFile& file, const std::string& path) { return file.path < path; });
      if (at == listing.end() || at->path != copy.path || at->hashKnown) continue;
      at->hash = hash;
      at->hashKnown = true;
    }
  }
  return listing;
}

std::optional<size_t> RecordHistory::LastRunEndedBy(int64_t ticks) const {
  std::optional<size_t> found;
  for (size_t i = 0; i < runs_.size(); ++i)
    if (runs_[i].endTicks <= ticks) found = i;
  return found;
}

std::vector<RecordedCopy> RecordHistory::HistoryOf(const std::string& path) const {
  std::vector<RecordedCopy> states;
  Replay([&](const RunFact& run, const ListingChanges& changes) {
    const auto change = std::find_if(changes.begin(), changes.end(), [&](const ListingChange& c) {
      return c.file.path == path && c.kind == ListingChange::Kind::kPut;
    });
    if (change == changes.end()) return;
    if (!states.empty() && states.back().replacedBy == 0) {
      RecordedCopy& old = states.back();
      if (SameBytes(old.file, change->file)) {
        if (!old.file.hashKnown) old.file = change->file;
        return;
      }
      old.replacedBy = run.number;
      old.kept = change->versionSaved;
      old.folder = change->versionSaved ? run.versionFolder : "";
    }
    states.push_back({"", change->file, run.number, 0, true});
  });
  std::vector<RecordedCopy> all = states;
  Learn(&all);
  return all;
}

std::vector<RecordedCopy> RecordHistory::Copies() const {
  std::vector<RecordedCopy> copies = CopiesAndPruned();
  std::erase_if(copies, [](const RecordedCopy& copy) { return !copy.kept; });
  return copies;
}

std::vector<RecordedCopy> RecordHistory::CopiesAndPruned() const {
  std::map<std::string, RecordedCopy> current;
  std::vector<RecordedCopy> versions;
  Replay([&](const RunFact& run, const ListingChanges& changes) {
    for (const ListingChange& change : changes) {
      if (change.kind != ListingChange::Kind::kPut) continue;  // the copy stays in the target
      auto at = current.find(change.file.path);
      if (at != current.end() && SameBytes(at->second.file, change.file)) {
        if (!at->second.file.hashKnown) at->second.file = change.file;
        continue;
      }
      if (at != current.end() && change.versionSaved) {
        RecordedCopy old = at->second;
        old.folder = run.versionFolder;
        old.replacedBy = run.number;
        versions.push_back(std::move(old));
      }
      current[change.file.path] = {"", change.file, run.number, 0, true};
    }
  });
  std::vector<RecordedCopy> copies;
  for (auto& [path, copy] : current) copies.push_back(std::move(copy));
  std::sort(versions.begin(), versions.end(), [](const RecordedCopy& a, const RecordedCopy& b) {
    return a.folder != b.folder ? a.folder < b.folder : a.file.path < b.file.path;
  });
  for (RecordedCopy& copy : versions) copies.push_back(std::move(copy));
  Learn(&copies);
  return copies;
}

void RecordHistory::Learn(std::vector<RecordedCopy>* copies) const {
  std::set<std::string> removed;
  for (const PruneFact& prune : prunes_)
    removed.insert(prune.removedFolders.begin(), prune.removedFolders.end());
  std::map<std::pair<std::string, std::string>, ContentHash> learned;
  for (const CheckFact& check : checks_)
    for (const auto& [at, hash] : check.learned)
      learned.emplace(std::pair(at.folder, at.path), hash);
  for (RecordedCopy& copy : *copies) {
    if (!copy.folder.empty() && removed.count(copy.folder) > 0) copy.kept = false;
    // A check reads what is there now: never a state replaced since.
    if (copy.file.hashKnown || (copy.folder.empty() && copy.replacedBy != 0)) continue;
    const auto hash = learned.find({copy.folder, copy.file.path});
    if (hash == learned.end()) continue;
    copy.file.hash = hash->second;
    copy.file.hashKnown = true;
  }
}

uint64_t RecordHistory::ChangesSinceFullListing() const {
  uint64_t changes = 0;
  for (size_t i = runs_.size(); i > 0 && !runs_[i - 1].fullListing; --i)
    changes += runChangeCounts_[i - 1];
  return changes;
}

}  // namespace qs
