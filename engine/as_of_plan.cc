#include "engine/as_of_plan.h"

#include <map>

namespace qs {

namespace {

constexpr int64_t kTicksPerSecond = 10000000;

}  // namespace

bool SameRecordedBytes(const RecordedFile& listed, const RecordedFile& kept) {
  if (listed.hashKnown && kept.hashKnown) return listed.hash == kept.hash;
  return listed.size == kept.size && listed.lastWrite == kept.lastWrite;
}

AsOfPlan PlanAsOf(const RecordHistory& history, size_t run) {
  // Every copy once, the current tree first: a walk of the journal for the whole plan.
  std::map<std::string, std::vector<const RecordedCopy*>> by_path;
  const std::vector<RecordedCopy> copies = history.CopiesAndPruned();
  for (const RecordedCopy& copy : copies) by_path[copy.file.path].push_back(&copy);
  AsOfPlan plan;
  plan.run = run;
  for (const RecordedFile& listed : history.ListingAfter(run)) {
    AsOfFile file{NativePath(listed.path), listed, {}, ""};
    for (const RecordedCopy* copy : by_path[listed.path]) {
      if (!SameRecordedBytes(listed, copy->file)) continue;
      if (copy->kept) file.keptIn.push_back(copy->folder);
      if (!copy->kept && file.prunedFolder.empty()) file.prunedFolder = copy->folder;
    }
    if (!file.keptIn.empty()) file.prunedFolder.clear();
    plan.files.push_back(std::move(file));
  }
  return plan;
}

int64_t LastTickOfSecond(int64_t seconds) { return (seconds + 1) * kTicksPerSecond - 1; }

FileTime TicksAsFileTime(int64_t ticks) {
  return MakeFileTime(ticks / kTicksPerSecond, (ticks % kTicksPerSecond) * 100);
}

}  // namespace qs
