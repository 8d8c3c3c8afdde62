// What the dialogs' operations run on: a thread of their own, counted among the window's
// threads; their lines go to the panes through the operation worker's log.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/app_context.h"
#include "schedule/operation_worker.h"

namespace qs {

/// Runs `work` on a thread of its own, counted in app.threads until it has ended. False when
/// no thread could be started (`work` is then never called).
bool StartDialogWorker(AppContext& app, std::function<void()> work);

/// Runs `work` on the window thread (or as if on it), when the window exists. For a worker's
/// answer to its dialog.
void OnWindowThread(AppContext& app, const std::function<void()>& work);

}  // namespace qs
