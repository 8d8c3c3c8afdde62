// Running another program and reading what it says: the background schedule is registered
// through the system's own tools (systemctl, schtasks).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace qs {

struct ProgramOutput {
  /// The program's exit status; -1 when it could not be started, ended by a signal, or ran
  /// out of time (then `output` says which).
  int status = -1;
  std::string output;  ///< what it wrote to standard output and standard error, as UTF-8
};

class ProgramRunner {
 public:
  virtual ~ProgramRunner() = default;
  /// Runs `args[0]`, looked up on the PATH, with the rest as its arguments and no shell in
  /// between; stops it after 60 seconds.
  virtual ProgramOutput Run(const std::vector<std::string>& args) = 0;
};

std::unique_ptr<ProgramRunner> MakeProgramRunner();

}  // namespace qs
