// Where the running program's file is: the background schedule starts this very runner.
#pragma once

#include <string>

namespace qs {

/// The absolute path of the running program's file (UTF-8); empty when the system cannot say.
std::string ThisProgramPath();

}  // namespace qs
