// Coarse targets (FAT keeps 2-second steps, exFAT 10 ms) would otherwise look older on every run
// and be copied, and versioned, again and again.
#include "engine/file_times.h"

namespace qs {

namespace {

// FAT 2 s; many file systems and archives 1 s; exFAT 10 ms; some network shares 1 us;
// NTFS 100 ns.
constexpr FileTime kCoarseSteps[] = {2000000000, 1000000000, 10000000, 1000, 100};

FileTime CutDown(FileTime time, FileTime step) {
  const FileTime rest = time % step;
  return rest < 0 ? time - rest - step : time - rest;
}

}  // namespace

bool SourceIsNewer(FileTime source, FileTime target) {
  if (source <= target) return false;
  for (FileTime step : kCoarseSteps)
    if (target == CutDown(source, step)) return false;
  return true;
}

}  // namespace qs
