// The real quillstone-run as a process, for the tests of its modes: its output, exit status,
// and what it left on the disk.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/support/command_runner.h"
#include "tests/support/test_support.h"

namespace qs::test {

class RunnerFixture : public ::testing::Test {
 protected:
  /// Runs the runner with `args` (already quoted); its output goes to files beside the trees.
  int Run(const std::string& args) {
    const std::string command = "\"" + std::string(QS_RUNNER_PATH) + "\" " + args + " >\"" +
                                dir_ / "out.txt" + "\" 2>\"" + dir_ / "err.txt" + "\"";
    return RunCommandLine(command);
  }
  /// Read as text: a Windows console program's "\n" is stored as CR LF.
  std::string Out() { return ReadTextFile(dir_ / "out.txt"); }
  std::string Err() { return ReadFile(dir_ / "err.txt"); }
  std::string Quoted(const std::string& relative) { return "\"" + dir_ / relative + "\""; }
  bool OutHas(const std::string& text) { return Out().find(text) != std::string::npos; }
  /// The log's lines without their stamps.
  std::vector<std::string> OutLines() { return WithoutStamps(Lines(Out())); }
  /// The lines of `text` ("\n" at their ends).
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
      lines.push_back(text.substr(at, end - at));
    if (at < text.size()) lines.push_back(text.substr(at));
    return lines;
  }
  /// The log's lines that start with `prefix` (stamps removed), in order.
  std::vector<std::string> OutLinesStarting(const std::string& prefix) {
    std::vector<std::string> found;
    for (const std::string& line : OutLines())
      if (line.rfind(prefix, 0) == 0) found.push_back(line);
    return found;
  }

 public:
  /// Every entry below `root` (folders too) with its kind, size, last-write time and content:
  /// what must not change when the runner is to write nothing.
  static std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> entries;
    AddEntries(root, "", &entries);
    return entries;
  }

 protected:
  ScopedTempDir dir_;

 private:
  static void AddEntries(const std::string& root, const std::string& relative,
                         std::map<std::string, std::string>* entries) {
    DirListing listing;
    const std::string folder = relative.empty() ? root : root + "/" + relative;
    if (!RealFs().ListDirectory(Native(folder), &listing)) return;
    for (const DirEntry& entry : listing.entries) {
      const std::string below = relative.empty() ? entry.name : relative + "/" + entry.name;
      const PathInfo info = RealFs().Stat(Native(root + "/" + below));
      std::string what =
          std::to_string(info.lastWrite.seconds) + "." + std::to_string(info.lastWrite.nanos);
      if (info.kind == PathKind::Directory) {
        (*entries)[below + "/"] = what;
        AddEntries(root, below, entries);
      } else {
        (*entries)[below] =
            what + " " + std::to_string(info.size) + " " + ReadFile(Native(root + "/" + below));
      }
    }
  }
};

}  // namespace qs::test
