// The claim is taken before the thread starts, so that a refusal is known to the caller at
// once and two clicks cannot both get through; it is let go before `finished`, so that what
// `finished` enables can start the next operation on the target.
#include "schedule/operation_worker.h"

#include <system_error>
#include <thread>

#include "engine/check_lines.h"
#include "log/file_log.h"
#include "log/window_lines.h"

namespace qs {

namespace {

bool IsAboutOneFile(RunEventKind kind) {
  switch (kind) {
    case RunEventKind::kRestored:
    case RunEventKind::kNotRestored:
    case RunEventKind::kLeftOut:
    case RunEventKind::kCopyDiffers:
    case RunEventKind::kNoLongerKept:
    case RunEventKind::kKeptCopyMissing:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string NotStartedLine(const std::string& holder, const std::string& target) {
  const char* doing = holder == kRestoreClaim ? " is reading from " : " is writing to ";
  std::string shown = target;  // a run's target ends with a separator, which reads badly here
  while (shown.size() > 1 && (shown.back() == '/' || shown.back() == '\\')) shown.pop_back();
  return "Not started: " + holder + doing + shown + ".";
}

std::shared_ptr<const void> ClaimOrSay(const RunSeams& seams, const std::string& target,
                                       const std::string& what) {
  static const auto unclaimed = std::make_shared<int>(0);
  if (seams.claims == nullptr) return unclaimed;
  std::string holder;
  std::shared_ptr<const void> claim = seams.claims->Claim(target, what, &holder);
  if (!claim) LogEntry(seams, NotStartedLine(holder, target));
  return claim;
}

void OperationLog::OnRunEvent(const RunEvent& event) {
  const bool one_file = IsAboutOneFile(event.kind);
  WindowOperationLinesOf(event, [&](const std::string& line) {
    Write(line);
    if (one_file) AppendFileLogLine(seams_.fileLog, line);
  });
}

void OperationLog::OnCheckEvent(const CheckEvent& event) { Write(CheckEventLine(event)); }

void OperationLog::Write(const std::string& line) const { LogEntry(seams_, line); }

namespace {

void OperationWorker(RunSeams seams, std::shared_ptr<const void> claim, OperationWork work,
                     std::function<void()> finished) {
  {
    OperationLog log(seams);
    work(log, seams.services);
  }
  claim.reset();
  if (finished) finished();
}

}  // namespace

bool StartOperation(const RunSeams& seams, const OperationStart& start, OperationWork work,
                    std::function<void()> finished) {
  std::shared_ptr<const void> claim;
  if (!start.claimFor.empty()) {
    claim = ClaimOrSay(seams, start.target, start.claimFor);
    if (!claim) return false;
  }
  try {
    std::thread(OperationWorker, seams, std::move(claim), std::move(work), std::move(finished))
        .detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace qs
