// How the window's dialogs are made and kept. A dialog must never be destroyed inside one of
// its own events, and a worker's answer must always find its dialog. Window thread only.
#pragma once

#include <memory>
#include <string>

#include "app/app_context.h"
#include "app/window_controls.h"
#include "schedule/run_seams.h"

namespace qs {

/// Makes `dialog` the first time, with the controls `makeControls` adds; true when it is
/// there, false when the window cannot make it.
template <typename MakeControls>
bool MadeOnce(AppContext& app, std::unique_ptr<DialogWindow>& dialog, const std::string& caption,
              int width, int height, WindowEvents& events, MakeControls makeControls) {
  if (dialog != nullptr) return true;
  if (app.window == nullptr) return false;
  dialog = app.window->CreateDialog(caption, width, height, events);
  if (dialog == nullptr) return false;
  makeControls();
  return true;
}

/// Opens the dialog kept in `slot`, made at the first call and kept, hidden, once closed. One
/// that cannot be made is named in the backup log.
template <typename Dialog, typename Slot>
void OpenKept(AppContext& app, Slot& slot, const std::string& caption) {
  if (slot == nullptr) slot = std::make_shared<Dialog>(app);
  if (!static_cast<Dialog*>(slot.get())->Open())
    LogEntry(app.Seams(), "The " + caption + " dialog could not be made.");
}

/// Brings up the dialog in `slot` while it is shown; otherwise a new one, which reads what it
/// shows afresh, takes its place.
template <typename Dialog>
void ShowOrRemake(AppContext& app, std::unique_ptr<WindowEvents>& slot) {
  if (app.window == nullptr) return;
  auto* open = static_cast<Dialog*>(slot.get());
  if (open != nullptr && open->Window() != nullptr && open->Window()->Shown())
    return open->Window()->Show();
  // The old one is destroyed here, in the main window's event, never in its own.
  auto dialog = std::make_unique<Dialog>(app);
  if (dialog->Open()) slot = std::move(dialog);
}

}  // namespace qs
