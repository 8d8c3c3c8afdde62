// A coarse step is applied only for a volume that really stores coarse times: elsewhere a
// whole-second time saved again within the step is a change like any other.
#include "engine/file_times.h"

namespace qs {

namespace {

constexpr int64_t kNanosPerSecond = 1000000000;

int64_t FloorToMultiple(int64_t value, int64_t step) {
  const int64_t rest = value % step;
  return rest < 0 ? value - rest - step : value - rest;
}

}  // namespace

FileTime CutDown(FileTime time, TimeStep step) {
  if (step <= 1) return time;
  if (step < kNanosPerSecond)
    return {time.seconds, static_cast<int32_t>(time.nanos - time.nanos % step)};
  return {FloorToMultiple(time.seconds, step / kNanosPerSecond), 0};
}

bool MayBeCoarseCopyOf(FileTime target, FileTime source) {
  if (target >= source || source.seconds - target.seconds > 2) return false;
  for (TimeStep step = 10; step < kNanosPerSecond; step *= 10)
    if (CutDown(source, step) == target) return true;
  return CutDown(source, kNanosPerSecond) == target ||
         CutDown(source, 2 * kNanosPerSecond) == target;
}

bool SourceIsNewer(FileTime source, FileTime target, TimeStep step) {
  if (step == kUnknownStep) return source > target && !MayBeCoarseCopyOf(target, source);
  return source > target && target != CutDown(source, step);
}

}  // namespace qs
