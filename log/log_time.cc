// Both texts read the wall clock once and format its local time.
#include "log/log_time.h"

#include <cstdio>

namespace qs {

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerMilli = 10000;

LocalTime LocalFromTicks(int64_t ticks) { return ToLocalTime(SecondsOfTicks(ticks)); }

/// ".007": milliseconds, 0 to 999.
std::string MillisText(int millis) {
  char text[8];
  std::snprintf(text, sizeof text, ".%03d", millis);
  return text;
}

}  // namespace

std::string CurrentTimeText(Clock& clock) {
  const int64_t ticks = clock.WallTicks();
  const int64_t seconds = SecondsOfTicks(ticks);
  const int millis = static_cast<int>((ticks - seconds * kTicksPerSecond) / kTicksPerMilli);
  return SecondsTimeText(seconds) + MillisText(millis);
}

std::string SecondsTimeText(int64_t seconds) {
  const LocalTime t = ToLocalTime(seconds);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

int64_t SecondsOfTicks(int64_t ticks) {
  return ticks / kTicksPerSecond - (ticks % kTicksPerSecond < 0 ? 1 : 0);
}

std::string FileTimeText(FileTime time) {
  return SecondsTimeText(time.seconds) + MillisText(static_cast<int>(time.nanos / 1000000));
}

std::string CompactTimestamp(Clock& clock) {
  const LocalTime t = LocalFromTicks(clock.WallTicks());
  char text[64];
  std::snprintf(text, sizeof text, "%04d%02d%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

}  // namespace qs
