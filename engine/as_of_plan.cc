#include "engine/as_of_plan.h"

#include <map>

namespace qs {

namespace {

constexpr int64_t kTicksPerSecond = 10000000;

/// The folder a prune removed with the state of `path` that had `bytes`, or "".
std::string PrunedFolderOf(const RecordHistory& history, const RecordedFile& bytes) {
  for (const RecordedCopy& state : history.HistoryOf(bytes.path))
    if (SameRecordedBytes(bytes, state.file) && !state.folder.empty()) return state.folder;
  return "";
}

}  // namespace

bool SameRecordedBytes(const RecordedFile& listed, const RecordedFile& kept) {
  if (listed.hashKnown && kept.hashKnown) return listed.hash == kept.hash;
  return listed.size == kept.size && listed.lastWrite == kept.lastWrite;
}

AsOfPlan PlanAsOf(const RecordHistory& history, size_t run) {
  std::map<std::string, std::vector<const RecordedCopy*>> by_path;
  const std::vector<RecordedCopy> copies = history.Copies();  // the current tree first
  for (const RecordedCopy& copy : copies) by_path[copy.file.path].push_back(&copy);
  AsOfPlan plan;
  plan.run = run;
  for (const RecordedFile& listed : history.ListingAfter(run)) {
    AsOfFile file{NativePath(listed.path), listed, {}, ""};
    for (const RecordedCopy* copy : by_path[listed.path])
      if (SameRecordedBytes(listed, copy->file)) file.keptIn.push_back(copy->folder);
    if (file.keptIn.empty()) file.prunedFolder = PrunedFolderOf(history, listed);
    plan.files.push_back(std::move(file));
  }
  return plan;
}

int64_t LastTickOfSecond(int64_t seconds) { return (seconds + 1) * kTicksPerSecond - 1; }

FileTime TicksAsFileTime(int64_t ticks) {
  return MakeFileTime(ticks / kTicksPerSecond, (ticks % kTicksPerSecond) * 100);
}

}  // namespace qs
