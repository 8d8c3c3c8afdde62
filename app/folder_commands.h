// Choosing the source and target folders with the system's chooser instead of typing them.
#pragma once

#include "app/app_context.h"

namespace qs {

/// Opens the folder chooser at the field's text and puts the chosen folder into the field; a
/// cancel leaves it as it was. Nothing is saved: the field counts as typed. Window thread.
void OnChooseSourceFolder(AppContext& app);
void OnChooseTargetFolder(AppContext& app);

}  // namespace qs
