// Opening a folder or file the way the desktop does: in the file manager, or with the program
// the desktop has for it.
#pragma once

#include <string>

namespace qs {

/// Asks the desktop to open `path`; false with the reason in `why` when it could not. May
/// wait for the desktop: call it off the window thread.
bool OpenWithDesktop(const std::string& path, std::string* why);

}  // namespace qs
