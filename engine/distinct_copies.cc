#include "engine/distinct_copies.h"

#include <algorithm>

#include "engine/as_of_plan.h"

namespace qs {

namespace {

int64_t EndOf(const RecordHistory& history, uint64_t number) {
  for (const RunFact& run : history.runs())
    if (run.number == number) return run.endTicks;
  return 0;
}

/// One distinct copy while the states are gathered.
struct Gathered {
  DistinctCopy copy;
  bool current = false;
  int64_t lastReplaced = 0;
};

/// Adds one state to its copy: the earliest backup, the latest replacement, each place kept.
void Merge(const RecordHistory& history, const RecordedCopy& state, Gathered* gathered) {
  DistinctCopy& copy = gathered->copy;
  copy.firstBackedUp = std::min(copy.firstBackedUp, EndOf(history, state.firstRun));
  // The latest state shows the file as it stands now (its hash, once known, kept).
  if (state.file.hashKnown || !copy.file.hashKnown) copy.file = state.file;
  if (state.replacedBy == 0) gathered->current = true;
  if (state.replacedBy != 0)
    gathered->lastReplaced = std::max(gathered->lastReplaced, EndOf(history, state.replacedBy));
  if (!state.kept) return;
  const std::string place = state.replacedBy == 0 ? "" : state.folder;
  if (std::find(copy.keptIn.begin(), copy.keptIn.end(), place) == copy.keptIn.end())
    copy.keptIn.push_back(place);
}

}  // namespace

std::vector<DistinctCopy> DistinctCopiesOf(const RecordHistory& history,
                                           const std::string& record_path) {
  std::vector<Gathered> gathered;
  for (const RecordedCopy& state : history.HistoryOf(record_path)) {
    auto same = std::find_if(gathered.begin(), gathered.end(), [&](const Gathered& g) {
      return SameRecordedBytes(g.copy.file, state.file);
    });
    if (same == gathered.end()) {
      Gathered fresh;
      fresh.copy.file = state.file;
      fresh.copy.firstBackedUp = EndOf(history, state.firstRun);
      same = gathered.insert(gathered.end(), std::move(fresh));
    }
    Merge(history, state, &*same);
  }
  std::vector<DistinctCopy> copies;
  for (Gathered& g : gathered) {
    if (!g.current) g.copy.replaced = g.lastReplaced;
    std::sort(g.copy.keptIn.begin(), g.copy.keptIn.end());  // the current tree ("") first
    copies.push_back(std::move(g.copy));
  }
  std::stable_sort(copies.begin(), copies.end(), [](const DistinctCopy& a, const DistinctCopy& b) {
    if (!a.replaced || !b.replaced) return !a.replaced && b.replaced;
    return *b.replaced < *a.replaced;
  });
  return copies;
}

}  // namespace qs
