// A program runner that runs nothing: it keeps the command lines it was given and answers
// each with what the test set for its program and first argument.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "os/program_runner.h"

namespace qs::test {

class RecordingProgramRunner : public ProgramRunner {
 public:
  ProgramOutput Run(const std::vector<std::string>& args) override {
    calls.push_back(Joined(args));
    if (onRun) onRun(args);
    for (const auto& [prefix, output] : answers)
      if (Joined(args).rfind(prefix, 0) == 0) return output;
    return fallback;
  }

  static std::string Joined(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args) line += (line.empty() ? "" : " ") + arg;
    return line;
  }

  std::vector<std::string> calls;  ///< each command line, its words joined by blanks
  /// The answer to a command line that starts with the key (the longest key is not looked
  /// for: keys should not start one another).
  std::map<std::string, ProgramOutput> answers;
  ProgramOutput fallback{0, ""};
  /// Called with each command line as it runs (to look at files it names, say).
  std::function<void(const std::vector<std::string>&)> onRun;
};

}  // namespace qs::test
