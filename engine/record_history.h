// The record read back: the runs in order, the listing as of each, and every copy the target
// holds by the record's account (the current tree's and the version folders').
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "engine/record_facts.h"
#include "engine/record_journal.h"

namespace qs {

/// One state of a file's bytes that the backup held, and where that copy is kept now: in the
/// current tree (folder empty) or in a version folder.
struct RecordedCopy {
  std::string folder;
  RecordedFile file;  ///< file.path is the record path below the roots
  /// The run whose listing first held these bytes, and the run that replaced them (0: the
  /// copy is still the current one).
  uint64_t firstRun = 0;
  uint64_t replacedBy = 0;
  /// False when no copy of these bytes is kept any more: replaced without a version saved,
  /// or in a version folder a prune removed.
  bool kept = true;
};

class RecordHistory {
 public:
  /// Reads every fact of the journal. Facts that cannot be decoded end the history there, as
  /// a torn end does: what follows cannot be trusted to follow on from it.
  static RecordHistory From(JournalContents journal);

  const std::vector<RunFact>& runs() const { return runs_; }
  const std::vector<PruneFact>& prunes() const { return prunes_; }
  const std::vector<CheckFact>& checks() const { return checks_; }
  bool damaged() const { return damaged_; }
  /// The number of the last run recorded before the check at `index` (into checks()); 0 when
  /// none was.
  uint64_t LastRunBeforeCheck(size_t index) const;

  /// The listing after the run at `index` (into runs()).
  Listing ListingAfter(size_t index) const;
  /// The listing after the last run, with the hashes checks learnt since; empty without runs.
  Listing Latest() const;
  /// The last run that ended at or before `ticks`.
  std::optional<size_t> LastRunEndedBy(int64_t ticks) const;
  /// Every copy the target holds by the record, version folders removed by a prune left
  /// out, in (folder, path) order with the current tree first.
  std::vector<RecordedCopy> Copies() const;
  /// Copies(), with the copies of version folders a prune removed among them (not kept).
  std::vector<RecordedCopy> CopiesAndPruned() const;
  /// Every state of `path` the backup held, oldest first, kept or not.
  std::vector<RecordedCopy> HistoryOf(const std::string& path) const;
  /// Listed files changed since the last run with a whole listing: what a replay of the
  /// latest listing costs beyond that listing.
  uint64_t ChangesSinceFullListing() const;

 private:
  /// Calls `visit` for each run in order with its changes from the listing before it (a
  /// whole listing turned into changes, its saved versions kept).
  void Replay(const std::function<void(const RunFact&, const ListingChanges&)>& visit) const;
  RunFact Decoded(size_t index) const;
  void Learn(std::vector<RecordedCopy>* copies) const;

  /// The runs without their changes (kept as payloads, decoded on demand: a listing of a
  /// million files takes far less room as bytes).
  std::vector<RunFact> runs_;
  std::vector<std::string> runPayloads_;
  std::vector<uint64_t> runChangeCounts_;
  std::vector<PruneFact> prunes_;
  std::vector<CheckFact> checks_;
  /// For each check, how many runs came before it.
  std::vector<size_t> checkAfterRuns_;
  bool damaged_ = false;
};

}  // namespace qs
