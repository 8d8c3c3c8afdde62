// std::system hands the line to cmd.exe /c, which drops the first and the last quote of a
// line that starts with one; an extra pair around the whole line keeps the caller's quotes.
#include <cstdlib>

#include "platform/command_runner.h"

namespace qs {

int RunCommandLine(const std::string& command, const std::string& working_directory) {
  std::string line = command;
  // /d: the folder may be on another drive than the current one.
  if (!working_directory.empty()) line = "cd /d \"" + working_directory + "\" && " + line;
  return std::system(("\"" + line + "\"").c_str());
}

}  // namespace qs
