// The fact is appended also when the check found damage: the next check resumes after it, and
// the status shows what it found.
#include "engine/check_copies.h"

#include <vector>

#include "engine/check_rotation.h"
#include "engine/copy_check.h"
#include "engine/copy_repair.h"
#include "engine/record_notice.h"
#include "engine/record_store.h"

namespace qs {

namespace {

class Check {
 public:
  Check(FileSystem& fs, const CheckRequest& request, const RecordHistory& history,
        CheckObserver& observer, CheckResults* results)
      : fs_(fs),
        request_(request),
        history_(history),
        observer_(observer),
        results_(*results),
        copies_(history.Copies()) {}

  CheckFact Run();

 private:
  void Read(const RecordedCopy& copy);
  void Damaged(const RecordedCopy& copy, const std::string& path, const ContentHash& found);
  std::vector<RepairDonor> DonorsFor(const RecordedCopy& copy) const;
  std::string PathOf(const RecordedCopy& copy) const {
    return request_.targetRoot + (copy.folder.empty() ? "" : copy.folder + kPathSeparator) +
           NativePath(copy.file.path);
  }

  FileSystem& fs_;
  const CheckRequest& request_;
  const RecordHistory& history_;
  CheckObserver& observer_;
  CheckResults& results_;
  const std::vector<RecordedCopy> copies_;
  FileHashReader reader_;
  CheckFact fact_;
};

CheckFact Check::Run() {
  const CheckPlan plan = PlanCheck(history_, copies_, request_.percent);
  fact_.bytesInAll = plan.bytesInAll;
  fact_.cycle = plan.cycle;
  fact_.resumeAt = plan.resumeAt;
  fact_.wrapped = plan.wrapped;
  results_.copies = copies_.size();
  results_.bytesInAll = plan.bytesInAll;
  results_.wrapped = plan.wrapped;
  for (size_t index : plan.read) Read(copies_[index]);
  fact_.bytesRead = results_.bytesRead;
  return fact_;
}

void Check::Read(const RecordedCopy& copy) {
  using Kind = CopyVerdict::Kind;
  const std::string path = PathOf(copy);
  const CopyVerdict verdict = CheckCopy(fs_, reader_, path, copy.file);
  ++results_.read;
  results_.bytesRead += verdict.bytes;
  const CheckedCopy at{copy.folder, copy.file.path};
  switch (verdict.kind) {
    case Kind::kGood:
      return;
    case Kind::kLearned:
      ++results_.learned;
      fact_.learned.emplace_back(at, verdict.found);
      return;
    case Kind::kDamaged:
      return Damaged(copy, path, verdict.found);
    case Kind::kChanged:
      ++results_.changed;
      fact_.changed.push_back(at);
      return observer_.OnCheckEvent({CheckEventKind::kChanged, path});
    case Kind::kUnreadable:
      ++results_.unreadable;
      return observer_.OnCheckEvent(
          {.kind = CheckEventKind::kUnreadable, .path = path, .code = verdict.code});
  }
}

void Check::Damaged(const RecordedCopy& copy, const std::string& path, const ContentHash& found) {
  ++results_.damaged;
  observer_.OnCheckEvent(
      {.kind = CheckEventKind::kDamaged, .path = path, .recorded = copy.file.hash, .found = found});
  if (request_.repair) {
    const RepairResult repair = RepairCopy(fs_, path, copy.file, DonorsFor(copy));
    if (repair.repaired) {
      ++results_.repaired;
      return observer_.OnCheckEvent({CheckEventKind::kRepaired, path, repair.from});
    }
    observer_.OnCheckEvent({.kind = CheckEventKind::kNotRepaired, .path = path, .why = repair.why});
  }
  fact_.damaged.push_back({copy.folder, copy.file.path});
}

/// For a current copy the source first (as the run that wrote the copy, and the last run, saw
/// it), then every other copy the record gives the same bytes.
std::vector<RepairDonor> Check::DonorsFor(const RecordedCopy& copy) const {
  std::vector<RepairDonor> donors;
  if (copy.folder.empty()) {
    for (const RunFact& run : history_.runs()) {
      if (run.number != copy.firstRun && &run != &history_.runs().back()) continue;
      const std::string source = run.sourceRoot + NativePath(copy.file.path);
      if (donors.empty() || donors.back().path != source) donors.push_back({source, true});
    }
  }
  for (const RecordedCopy& other : copies_) {
    if (&other == &copy || !other.file.hashKnown || other.file.hash != copy.file.hash ||
        other.file.size != copy.file.size)
      continue;
    donors.push_back({PathOf(other), false});
  }
  return donors;
}

/// False when there is no record to check against; the observer has been told why.
bool Usable(const RecordStore& store, CheckObserver& observer, CheckResults* results) {
  using Found = RecordStore::Found;
  if (store.found() == Found::kNone) {
    results->outcome = CheckResults::Outcome::kNoRecord;
    observer.OnCheckEvent({CheckEventKind::kNoRecord});
    return false;
  }
  const std::string notice = RecordNotice(store);
  if (!notice.empty()) observer.OnCheckEvent({.kind = CheckEventKind::kNotice, .why = notice});
  if (store.found() == Found::kForeign || store.found() == Found::kUnreadable) {
    results->outcome = CheckResults::Outcome::kRecordUnusable;
    return false;
  }
  return true;
}

}  // namespace

int CheckResults::ExitStatus() const {
  const bool clean = outcome == Outcome::kChecked && damaged == repaired && changed == 0 &&
                     unreadable == 0 && recorded;
  return clean ? 0 : 1;
}

CheckResults CheckCopies(FileSystem& fs, Clock& clock, const CheckRequest& request,
                         CheckObserver& observer) {
  CheckResults results;
  RecordStore store = RecordStore::Open(fs, request.targetRoot);
  if (!Usable(store, observer, &results)) return results;
  CheckFact fact = Check(fs, request, store.history(), observer, &results).Run();
  fact.ticks = clock.WallTicks();
  uint32_t code = 0;
  results.recorded = store.Append(fs, FrameKind::kCheck, EncodeCheck(fact), &code);
  if (!results.recorded)
    observer.OnCheckEvent(
        {.kind = CheckEventKind::kNotRecorded, .path = store.journalPath(), .code = code});
  return results;
}

}  // namespace qs
