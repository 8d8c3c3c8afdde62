// std::system returns a wait status on POSIX.
#include <sys/wait.h>

#include <cstdlib>

#include "tests/support/command_runner.h"

namespace qs {

int RunCommandLine(const std::string& command, const std::string& working_directory) {
  std::string line = command;
  if (!working_directory.empty()) line = "cd \"" + working_directory + "\" && " + line;
  const int status = std::system(line.c_str());
  if (status == -1 || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace qs
