// A program run on a console of its own, whose screen can be read back: for Windows tests of
// what a person at a console sees.
#pragma once

#include <string>
#include <vector>

namespace qs {

/// Runs `command_line` (UTF-8, the program first) from `working_directory` with its standard
/// output and error on a fresh console screen `columns` wide. Returns its exit status, or -1
/// when it could not be run; `screen` gets the rows shown, without trailing blanks or empty
/// last rows.
int RunOnConsole(const std::string& command_line, const std::string& working_directory,
                 std::vector<std::string>* screen, int columns = 400);

/// Shows `text` (UTF-8) on a fresh console screen as StandardOutput and StandardError do on
/// a console, and gives back the lines shown, as RunOnConsole does.
std::vector<std::string> ShowOnConsole(const std::string& text);

}  // namespace qs
