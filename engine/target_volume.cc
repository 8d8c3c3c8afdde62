// A probe costs four calls (create, set the time, read it back, remove) once per volume and
// run, so a volume that is remounted or replaced between runs is never judged from memory.
#include "engine/target_volume.h"

#include <algorithm>
#include <cstdlib>

#include "os/copy_temp_name.h"

namespace qs {

namespace {

// 2009-02-13 23:31:31.123456789 UTC: within FAT's years, odd in every place a step can cut.
constexpr FileTime kProbeTime{1234567891, 123456789};
constexpr int64_t kSecondsPerDay = 24 * 60 * 60;
constexpr TimeStep kCandidateSteps[] = {2000000000, 1000000000, 100000000, 10000000, 1000000,
                                        100000,     10000,      1000,      100,      10};

int64_t NanosBetween(FileTime a, FileTime b) {
  return (a.seconds - b.seconds) * 1000000000 + (a.nanos - b.nanos);
}

/// The coarsest step that `read` is a multiple of, and within one step of `written`.
TimeStep StepFrom(FileTime written, FileTime read) {
  if (read == written) return kExactTimes;
  if (read.seconds < written.seconds - 4 || read.seconds > written.seconds + 4) return kExactTimes;
  const int64_t distance = std::abs(NanosBetween(read, written));
  for (TimeStep step : kCandidateSteps)
    if (CutDown(read, step) == read && distance < step) return step;
  return kExactTimes;
}

std::string InDirectory(const std::string& directory, const std::string& name) {
  return directory.empty() ? name : directory + kPathSeparator + name;
}

std::string SwapCase(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 32);
    else if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c + 32);
  }
  return text;
}

/// Looks an existing entry up in the other case, without writing. False when the directory
/// holds no entry fit for it (no letters, or both cases present).
bool FoldingSeenInListing(FileSystem& fs, const std::string& directory, bool* folds) {
  DirListing listing;
  if (!fs.ListDirectory(directory.empty() ? "." : directory, &listing)) return false;
  for (const DirEntry& entry : listing.entries) {
    const std::string swapped = SwapCase(entry.name);
    if (swapped == entry.name) continue;
    bool both = false;
    for (const DirEntry& other : listing.entries) both = both || other.name == swapped;
    if (both) continue;
    const PathKind kind = fs.Probe(InDirectory(directory, swapped));
    if (kind == PathKind::Unreadable) continue;
    *folds = kind != PathKind::Missing;
    return true;
  }
  return false;
}

}  // namespace

TimeKeeping ProbeTimeKeeping(FileSystem& fs, const std::string& directory) {
  const std::string probe = InDirectory(directory, NewCopyTempName());
  if (!fs.CreateEmptyFile(probe)) return {};
  TimeKeeping keeping;
  if (fs.SetLastWriteTime(probe, kProbeTime)) {
    const PathInfo info = fs.Stat(probe);
    if (info.kind == PathKind::File) {
      keeping.step = StepFrom(kProbeTime, info.lastWrite);
      // A day covers every coarse step and a volume that stores local time in another zone.
      keeping.kept = std::abs(info.lastWrite.seconds - kProbeTime.seconds) <= kSecondsPerDay;
    }
  }
  fs.RemoveFile(probe);
  return keeping;
}

TimeStep ProbeTimeStep(FileSystem& fs, const std::string& directory) {
  return ProbeTimeKeeping(fs, directory).step;
}

bool ProbeCaseFolding(FileSystem& fs, const std::string& directory, bool may_write) {
  bool folds = false;
  if (FoldingSeenInListing(fs, directory, &folds)) return folds;
  if (!may_write) return fs.DescribeVolume(directory.empty() ? "." : directory).foldsCase == 1;
  const std::string name = NewCopyTempName();
  const std::string probe = InDirectory(directory, name);
  if (!fs.CreateEmptyFile(probe)) return false;
  folds = fs.Probe(InDirectory(directory, SwapCase(name))) == PathKind::File;
  fs.RemoveFile(probe);
  return folds;
}

TimeStep TimeStepWithoutWriting(FileSystem& fs, const std::string& directory) {
  const VolumeHint hint = fs.DescribeVolume(directory.empty() ? "." : directory);
  return hint.timeStepNanos > 0 ? hint.timeStepNanos : kUnknownStep;
}

TimeKeeping TargetVolumes::KeepingOf(uint64_t volume, const std::string& directory) {
  // Held while probing, so that a volume is probed once even when many threads meet it.
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& [known, keeping] : volumes_)
    if (known == volume) return keeping;
  const TimeKeeping keeping = may_write_ ? ProbeTimeKeeping(fs_, directory)
                                         : TimeKeeping{TimeStepWithoutWriting(fs_, directory)};
  volumes_.emplace_back(volume, keeping);
  return keeping;
}

}  // namespace qs
