// The runner's usage text, made from its tables of modes and options.
#pragma once

#include <string>

namespace qs {

/// The forms of the command line, shown with every usage error too.
std::string RunSynopsis();

/// All of --help: the synopsis, each mode's section and the exit statuses.
std::string RunHelp();

}  // namespace qs
