// _wsystem hands the line to cmd.exe /c, which drops the first and the last quote of a line
// that starts with one; an extra pair around the whole line keeps the caller's quotes. The
// line goes as UTF-16, so that the program run gets every name in its wide command line.
#include <stdlib.h>

#include "platform/command_runner.h"
#include "platform/win32_text.h"

namespace qs {

namespace {

// cmd's status for "not recognized as a command". Under Wine it has come back, once in
// hundreds of runs, for a program that ran a moment before and after: try again then.
constexpr int kCommandNotFound = 9009;
constexpr int kTries = 3;

}  // namespace

int RunCommandLine(const std::string& command, const std::string& working_directory) {
  std::string line = command;
  // /d: the folder may be on another drive than the current one.
  if (!working_directory.empty()) line = "cd /d \"" + working_directory + "\" && " + line;
  std::wstring quoted;
  if (!win32::Utf8ToWide("\"" + line + "\"", &quoted)) return -1;
  int status = kCommandNotFound;
  for (int attempt = 0; attempt < kTries && status == kCommandNotFound; ++attempt)
    status = _wsystem(quoted.c_str());
  return status;
}

}  // namespace qs
