// Times are local, to the second: the person compares them with the clock on the desk.
#include "engine/target_status.h"

#include "engine/check_rotation.h"
#include "log/log_time.h"

namespace qs {

namespace {

std::string Counted(size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string MomentText(int64_t ticks) { return SecondsTimeText(SecondsOfTicks(ticks)); }

std::string RunLine(const char* label, const RunFact& run) {
  return std::string(label) + MomentText(run.endTicks) +
         (run.exitStatus == 0 ? ", completed: " : ", failed: ") + std::to_string(run.copied) +
         " copied, " + std::to_string(run.updated) + " updated, " + std::to_string(run.skipped) +
         " skipped, " + std::to_string(run.failed) + " failed";
}

void DescribeRuns(const std::vector<RunFact>& runs, TargetStatus* status) {
  std::vector<std::string>& lines = status->lines;
  if (runs.empty()) return lines.push_back("Last run: none recorded yet");
  const RunFact& last = runs.back();
  lines.push_back(RunLine("Last run: ", last));
  status->troubled = last.exitStatus != 0;
  const RunFact* good = nullptr;
  for (const RunFact& run : runs)
    if (run.exitStatus == 0) good = &run;
  if (good == &last)
    lines.push_back("Last run that succeeded: the last run");
  else if (good)
    lines.push_back("Last run that succeeded: " + MomentText(good->endTicks));
  else
    lines.push_back("Last run that succeeded: none");
  if (last.failedCount == 0) return lines.push_back("Failures of the last run: none");
  lines.push_back("Failures of the last run: " + std::to_string(last.failedCount));
  for (const std::string& path : last.failedPaths) lines.push_back("  " + path);
  if (last.failedCount > last.failedPaths.size())
    lines.push_back("  ... and " + std::to_string(last.failedCount - last.failedPaths.size()) +
                    " more");
}

std::string Percent(uint64_t part, uint64_t whole) {
  return whole == 0 ? "100 %" : std::to_string(part * 100 / whole) + " %";
}

void DescribeChecks(const RecordHistory& history, TargetStatus* status) {
  std::vector<std::string>& lines = status->lines;
  const std::vector<CheckFact>& checks = history.checks();
  if (checks.empty()) return lines.push_back("Last check of the copies: none yet");
  const CheckFact& last = checks.back();
  lines.push_back("Last check of the copies: " + MomentText(last.ticks) + ", " +
                  std::to_string(last.bytesRead) + " bytes read; " +
                  std::to_string(last.damaged.size()) + " damaged, " +
                  std::to_string(last.changed.size()) + " changed outside the backup");
  status->troubled = status->troubled || !last.damaged.empty();
  const std::vector<RecordedCopy> copies = history.Copies();
  uint64_t all = 0;
  for (const RecordedCopy& copy : copies) all += copy.file.size;
  lines.push_back(
      "Checked in the current rotation: " + Percent(BytesBefore(copies, last.resumeAt), all) +
      " of " + std::to_string(all) + " bytes");
  const CheckFact* full = nullptr;
  for (const CheckFact& check : checks)
    if (check.wrapped) full = &check;
  lines.push_back(full ? "Last full rotation ended: " + MomentText(full->ticks)
                       : "Last full rotation ended: none yet");
}

}  // namespace

TargetStatus DescribeTarget(const RecordStore& store) {
  TargetStatus status;
  const RecordHistory& history = store.history();
  DescribeRuns(history.runs(), &status);
  status.lines.push_back("Record: " + std::to_string(store.bytes()) + " bytes, " +
                         Counted(history.runs().size(), "run", "runs") + ", " +
                         Counted(history.checks().size(), "check", "checks"));
  DescribeChecks(history, &status);
  return status;
}

}  // namespace qs
