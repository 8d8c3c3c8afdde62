// The runner's modes: the paths each takes, its synopsis line and its part of --help.
#pragma once

#include <span>

#include "cli/run_args.h"

namespace qs {

/// What a path on the command line stands for, in the order given.
enum class PathRole : char { kNone, kSource, kTarget, kDest, kPath };

struct RunMode {
  RunArgs::Mode mode;
  const char* synopsis;   ///< after "quillstone-run "; "" for no arguments at all
  PathRole paths[2];      ///< the leading paths, exactly these unless morePaths
  bool morePaths;         ///< any number of further PATHs
  const char* misfit;     ///< the error when the paths, or --dry-run, do not fit
  int helpPosition;       ///< where its section stands in --help; 0 for none
  const char* helpIntro;  ///< its section of --help before the options' lines
  const char* helpOutro;  ///< ... and after them
};

/// In the order of the synopsis.
std::span<const RunMode> RunModes();

/// The row of `mode`, or nullptr for help and usage errors.
const RunMode* FindRunMode(RunArgs::Mode mode);

}  // namespace qs
