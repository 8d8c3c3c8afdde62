// The program's command line as UTF-8 texts.
#pragma once

#include <string>
#include <vector>

namespace qs {

/// The program's arguments, its own name first. On Windows they come from the wide command
/// line: the narrow argv holds them in the ANSI code page, with "?" for every character it
/// lacks. On POSIX they are argv as it is.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace qs
