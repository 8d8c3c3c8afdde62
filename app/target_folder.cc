// The desktop may take its time to answer, so the window only checks the folder is there and
// leaves the asking to a worker.
#include <system_error>
#include <thread>

#include "app/app_state.h"
#include "app/control_table.h"
#include "app/operation_dialogs.h"
#include "schedule/run_seams.h"

namespace qs {

std::string TypedTarget() {
  return g_hTargetEdit == nullptr ? std::string() : g_hTargetEdit->GetText(kPathFieldMaxCount);
}

void OpenTargetFolder(AppContext& app) {
  const std::string target = TypedTarget();
  const RunSeams seams = app.Seams();
  if (target.empty()) return LogEntry(seams, "No target folder to open: type or choose one first.");
  if (app.fs.Stat(target).kind != PathKind::Directory)
    return LogEntry(seams, "Cannot open the target folder " + target + ": it does not exist.");
  auto open = app.openWithDesktop;
  try {
    std::thread([seams, open, target] {
      std::string why;
      if (open(target, &why)) return;
      if (!why.empty() && why.back() == '.') why.pop_back();
      LogEntry(seams, "Cannot open the target folder " + target + ": " + why + ".");
    }).detach();
  } catch (const std::system_error&) {
    LogEntry(seams, "Cannot open the target folder " + target + ": no worker could be started.");
  }
}

}  // namespace qs
