// A copy is owed a read when it has been there for a whole rotation's worth of checks and none
// of them read it. The checks' ranges of the rotation order are known from their facts (each
// starts where the one before stopped), and when a copy came into the target from the run
// that first held it: that is all a check needs to keep the promise.
#include "engine/check_rotation.h"

#include <algorithm>
#include <numeric>

namespace qs {

namespace {

CheckedCopy KeyOf(const RecordedCopy& copy) { return {copy.folder, copy.file.path}; }

/// The run that put the copy where it is: a current copy's first run, a saved version's run.
uint64_t ArrivedWith(const RecordedCopy& copy) {
  return copy.folder.empty() ? copy.firstRun : copy.replacedBy;
}

/// The part of the rotation order one check read: from `start` up to `end`, round the end of
/// the order when it wrapped.
struct ReadRange {
  CheckedCopy start;
  CheckedCopy end;
  bool wrapped = false;
  bool Covers(const CheckedCopy& key) const {
    const bool from_start = !ComesBefore(key, start);
    const bool before_end = ComesBefore(key, end);
    return wrapped ? from_start || before_end : from_start && before_end;
  }
};

ReadRange RangeOf(const std::vector<CheckFact>& checks, size_t index) {
  const CheckFact& check = checks[index];
  return {index == 0 ? CheckedCopy{} : checks[index - 1].resumeAt, check.resumeAt, check.wrapped};
}

/// Which copies the next check must read, whatever its budget.
std::vector<bool> OwedReads(const RecordHistory& history, const std::vector<RecordedCopy>& copies,
                            int percent) {
  std::vector<bool> owed(copies.size(), false);
  const std::vector<CheckFact>& checks = history.checks();
  const size_t length = static_cast<size_t>(RotationLength(percent));
  if (checks.size() + 1 < length) return owed;
  const size_t first = checks.size() + 1 - length;
  const uint64_t there_by = first < checks.size()    ? history.LastRunBeforeCheck(first)
                            : history.runs().empty() ? 0
                                                     : history.runs().back().number;
  std::vector<ReadRange> ranges;
  for (size_t i = first; i < checks.size(); ++i) ranges.push_back(RangeOf(checks, i));
  for (size_t i = 0; i < copies.size(); ++i) {
    if (ArrivedWith(copies[i]) > there_by) continue;
    const CheckedCopy key = KeyOf(copies[i]);
    owed[i] = std::none_of(ranges.begin(), ranges.end(),
                           [&](const ReadRange& range) { return range.Covers(key); });
  }
  return owed;
}

/// The copies' indices in rotation order.
std::vector<size_t> RotationOrder(const std::vector<RecordedCopy>& copies) {
  std::vector<size_t> ring(copies.size());
  std::iota(ring.begin(), ring.end(), size_t{0});
  std::sort(ring.begin(), ring.end(),
            [&](size_t a, size_t b) { return ComesBefore(KeyOf(copies[a]), KeyOf(copies[b])); });
  return ring;
}

/// Where in the ring the copy at or after `resume` stands; the ring's size when none does.
size_t PositionOf(const std::vector<size_t>& ring, const std::vector<RecordedCopy>& copies,
                  const CheckedCopy& resume) {
  return static_cast<size_t>(
      std::partition_point(ring.begin(), ring.end(),
                           [&](size_t i) { return ComesBefore(KeyOf(copies[i]), resume); }) -
      ring.begin());
}

/// ceil(bytes * percent / 100) without overflow.
uint64_t ShareOf(uint64_t bytes, int percent) {
  const uint64_t p = static_cast<uint64_t>(percent);
  return bytes / 100 * p + (bytes % 100 * p + 99) / 100;
}

}  // namespace

int RotationLength(int percent) { return (100 + percent - 1) / percent; }

bool ComesBefore(const CheckedCopy& a, const CheckedCopy& b) {
  return a.folder != b.folder ? a.folder < b.folder : a.path < b.path;
}

CheckPlan PlanCheck(const RecordHistory& history, const std::vector<RecordedCopy>& copies,
                    int percent) {
  CheckPlan plan;
  const std::vector<CheckFact>& checks = history.checks();
  if (!checks.empty()) plan.cycle = checks.back().cycle + (checks.back().wrapped ? 1 : 0);
  const std::vector<size_t> ring = RotationOrder(copies);
  for (const RecordedCopy& copy : copies) plan.bytesInAll += copy.file.size;
  if (ring.empty()) return plan;
  size_t start = PositionOf(ring, copies, checks.empty() ? CheckedCopy{} : checks.back().resumeAt);
  // Nothing is left after the resume point: the rotation under way ends here.
  if (start == ring.size()) {
    start = 0;
    plan.wrapped = true;
  }
  const std::vector<bool> owed = OwedReads(history, copies, percent);
  size_t last_owed = 0;
  bool any_owed = false;
  for (size_t offset = 0; offset < ring.size(); ++offset)
    if (owed[ring[(start + offset) % ring.size()]]) last_owed = offset, any_owed = true;
  const uint64_t budget = ShareOf(plan.bytesInAll, percent);
  size_t offset = 0;
  while (offset < ring.size() &&
         (offset == 0 || plan.bytesToRead < budget || (any_owed && offset <= last_owed))) {
    const size_t index = ring[(start + offset) % ring.size()];
    plan.read.push_back(index);
    plan.bytesToRead += copies[index].file.size;
    ++offset;
  }
  // A check that reads every copy reads them from the start: the next rotation starts afresh.
  if (offset == ring.size()) start = 0, plan.read = ring;
  plan.wrapped = plan.wrapped || start + offset >= ring.size();
  plan.resumeAt = KeyOf(copies[ring[(start + offset) % ring.size()]]);
  return plan;
}

uint64_t BytesBefore(const std::vector<RecordedCopy>& copies, const CheckedCopy& resume_at) {
  uint64_t bytes = 0;
  for (const RecordedCopy& copy : copies)
    if (ComesBefore(KeyOf(copy), resume_at)) bytes += copy.file.size;
  return bytes;
}

}  // namespace qs
