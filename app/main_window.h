// Creation and close of the main window: the start-up and shut-down order of the program.
#pragma once

#include <functional>

#include "app/app_context.h"
#include "app/control_table.h"
#include "app/window_controls.h"

namespace qs {

/// Loads the settings and preferences, makes the twenty controls and the three added ones and
/// keeps their handles, ticks the check boxes, then calls `start_clock` and, when automatic backup
/// was saved as on, starts the scheduler. Window thread.
void OnCreate(AppContext& app, MainWindow& window, const std::function<void()>& start_clock);

/// Stores the five settings from the controls and saves them, stops the scheduler and
/// destroys the window. Window thread.
void OnClose(AppContext& app, MainWindow& window);

}  // namespace qs
