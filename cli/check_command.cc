// With --background a check gives way to the person at the desk and tells of damage in a
// notification, as a background backup tells of its failures.
#include "cli/check_command.h"

#include <memory>

#include "engine/check_copies.h"
#include "engine/check_lines.h"
#include "engine/check_notification.h"
#include "engine/record_notice.h"
#include "engine/target_status.h"
#include "engine/version_target.h"
#include "os/background_priority.h"
#include "os/notifier.h"

namespace qs {

namespace {

class LogLines : public CheckObserver {
 public:
  explicit LogLines(const RunnerContext& context) : context_(context) {}
  void OnCheckEvent(const CheckEvent& event) override { context_.Log(CheckEventLine(event)); }

 private:
  const RunnerContext& context_;
};

void Notify(const RunnerContext& context, const CheckResults& results, const std::string& target) {
  Notification notification;
  if (!CheckDamageNotification(results, target, &notification)) return;
  std::string why;
  if (MakeDesktopNotifier()->Notify(notification, &why) != NotifyResult::kShown)
    context.Log("Notification not shown: " + why);
}

}  // namespace

int RunCheckCommand(const RunArgs& args, const RunnerContext& context) {
  VersionTarget opened;
  std::string why;
  if (!OpenVersionTarget(context.fs, args.target, false, &opened, &why))
    return UsageError(context, why);
  if (args.background && !EnterBackgroundProcess(&why))
    context.Log("Background priority not set: " + why);
  LogLines lines(context);
  const CheckRequest request{opened.folder, args.budget, args.repair};
  const CheckResults results = CheckCopies(context.fs, *context.log.clock, request, lines);
  for (const std::string& line : CheckSummaryLines(results)) context.Log(line);
  if (args.background) Notify(context, results, opened.folder);
  return results.ExitStatus();
}

int RunStatusCommand(const RunArgs& args, const RunnerContext& context) {
  VersionTarget opened;
  std::string why;
  if (!OpenVersionTarget(context.fs, args.target, false, &opened, &why))
    return UsageError(context, why);
  const RecordStore store = RecordStore::Open(context.fs, opened.folder);
  std::ostream& out = *context.log.console;
  const std::string notice = RecordNotice(store);
  if (!notice.empty()) out << notice << "\n";
  if (store.found() == RecordStore::Found::kNone) out << kNoStatusNotice << "\n";
  if (store.found() != RecordStore::Found::kWhole && store.found() != RecordStore::Found::kTornEnd)
    return out.flush(), 1;
  const TargetStatus status = DescribeTarget(store);
  for (const std::string& line : status.lines) out << line << "\n";
  out.flush();
  return status.troubled ? 1 : 0;
}

}  // namespace qs
