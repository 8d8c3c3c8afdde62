// qs_volume_probe DIR...: what a run would learn about each directory's volume, and what the
// learning costs. One line per directory:
//   DIR step_ns=N folds_case=yes|no step_probe_us=T case_probe_us=T
// Exit status 1 when a directory is not one (nothing is probed there).
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "engine/target_volume.h"
#include "os/clock.h"
#include "os/file_system.h"

namespace {

int64_t MicrosSince(int64_t start_nanos) {
  return (qs::RealClock().MonotonicNanos() - start_nanos) / 1000;
}

bool ProbeOne(qs::FileSystem& fs, const std::string& directory) {
  if (fs.Probe(directory) != qs::PathKind::Directory) {
    std::fprintf(stderr, "qs_volume_probe: not a directory: %s\n", directory.c_str());
    return false;
  }
  qs::Clock& clock = qs::RealClock();
  int64_t start = clock.MonotonicNanos();
  const qs::TimeStep step = qs::ProbeTimeStep(fs, directory);
  const int64_t step_micros = MicrosSince(start);
  start = clock.MonotonicNanos();
  const bool folds = qs::ProbeCaseFolding(fs, directory);
  const int64_t case_micros = MicrosSince(start);
  std::printf("%s step_ns=%lld folds_case=%s step_probe_us=%lld case_probe_us=%lld\n",
              directory.c_str(), static_cast<long long>(step), folds ? "yes" : "no",
              static_cast<long long>(step_micros), static_cast<long long>(case_micros));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: qs_volume_probe DIR...\n");
    return 2;
  }
  std::unique_ptr<qs::FileSystem> fs = qs::MakeRealFileSystem();
  bool all = true;
  for (int i = 1; i < argc; ++i) all = ProbeOne(*fs, argv[i]) && all;
  return all ? 0 : 1;
}
