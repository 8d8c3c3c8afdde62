// The exclusions every backup of the settings takes: the window's runs, the scheduler's and
// the runner's without arguments read them here, so that all three refuse alike.
#pragma once

#include <string>

#include "engine/exclusions.h"

namespace qs {

/// The patterns of the exclusions file at `path` (a missing file: none). False, with one
/// sentence naming the file, and for a refused pattern its line and the reason, when the file
/// cannot be read or a line is not a pattern: a run must not start without them then.
bool LoadSettingsExclusions(const std::string& path, Exclusions* exclusions, std::string* why);

}  // namespace qs
