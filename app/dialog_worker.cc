// The worker holds a ticket of the thread count until its last answer is given, so that a
// wait for the window's threads also waits for what the answer writes.
#include "app/dialog_worker.h"

#include <system_error>
#include <thread>

namespace qs {

bool StartDialogWorker(AppContext& app, std::function<void()> work) {
  try {
    std::thread([ticket = app.threads.Ticket(), work = std::move(work)] { work(); }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void OnWindowThread(AppContext& app, const std::function<void()>& work) {
  if (app.window == nullptr) return work();
  app.window->RunOnWindowThread(work);
}

}  // namespace qs
