// Running a command line and reading its exit status: tests of the runner need it.
#pragma once

#include <string>

namespace qs {

/// Runs `command` through the system's shell, from `working_directory` when it is not empty;
/// returns its exit status, or -1 when it did not exit normally. Both are UTF-8; on Windows a
/// surrogate code point in its three-byte form passes as itself, as names may hold one there.
int RunCommandLine(const std::string& command, const std::string& working_directory = "");

}  // namespace qs
