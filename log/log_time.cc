// Both texts read the wall clock once and format its local time.
#include "log/log_time.h"

#include <cstdio>

namespace qs {

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
constexpr int64_t kTicksPerMilli = 10000;

LocalTime LocalFromTicks(int64_t ticks) { return ToLocalTime(ticks / kTicksPerSecond); }

}  // namespace

std::string CurrentTimeText(Clock& clock) {
  const int64_t ticks = clock.WallTicks();
  const LocalTime t = LocalFromTicks(ticks);
  const int millis = static_cast<int>((ticks / kTicksPerMilli) % 1000);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                t.hour, t.minute, t.second, millis);
  return text;
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
  const LocalTime t = ToLocalTime(time.seconds);
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.year, t.month, t.day,
                t.hour, t.minute, t.second, time.nanos / 1000000);
  return text;
}

std::string CompactTimestamp(Clock& clock) {
  const LocalTime t = LocalFromTicks(clock.WallTicks());
  char text[64];
  std::snprintf(text, sizeof text, "%04d%02d%02d_%02d%02d%02d", t.year, t.month, t.day, t.hour,
                t.minute, t.second);
  return text;
}

}  // namespace qs
