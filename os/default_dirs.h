// Where the settings point before the user has typed anything.
#pragma once

#include <string>

namespace qs {

std::string DefaultSourceDir();
std::string DefaultTargetDir();

}  // namespace qs
