// The words of the progress line, fitted to the width a terminal has for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace qs {

/// Where a run stands, as the progress line tells it.
struct ProgressFigures {
  uint64_t files_done = 0, files = 0;
  uint64_t bytes_done = 0, bytes = 0;
  double bytes_per_second = 0;
  double seconds_left = -1;  ///< negative: not known yet
};

/// "3/10 files  1.0 MiB of 10.0 MiB  0.5 MiB/s  time left: 0:18", or as much of it as fits in
/// `width` characters (0: no limit). Parts are left out whole, the rate first, then the files,
/// then the bytes; only what still does not fit is cut.
std::string ProgressText(const ProgressFigures& figures, size_t width);

}  // namespace qs
