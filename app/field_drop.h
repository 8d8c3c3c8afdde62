// Folders dropped from the file manager onto the source or target field.
#pragma once

#include <string>
#include <vector>

#include "app/app_context.h"

namespace qs {

/// On the source or target field: one folder dropped fills it (nothing is saved, as with
/// typing); anything else (a file, several paths, nothing) leaves it as it was and says why
/// in the backup log. A drop on any other control is ignored. Window thread.
void OnFieldDrop(AppContext& app, Control& control, const std::vector<std::string>& paths);

}  // namespace qs
