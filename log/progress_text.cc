// The time left matters most to a person waiting, so it is the part kept longest.
#include "log/progress_text.h"

#include <cstdio>
#include <vector>

namespace qs {

namespace {

std::string Bytes(uint64_t bytes) {
  char text[32];
  const double mib = static_cast<double>(bytes) / (1024.0 * 1024.0);
  if (mib >= 1024 * 10)
    std::snprintf(text, sizeof text, "%.1f GiB", mib / 1024);
  else
    std::snprintf(text, sizeof text, "%.1f MiB", mib);
  return text;
}

/// Past this an estimate says nothing (and would not fit the integer it is rounded into).
constexpr double kLongestEstimate = 1e12;

/// Two digits, with a leading zero.
std::string TwoDigits(int64_t value) { return (value < 10 ? "0" : "") + std::to_string(value); }

/// 64 bits on every system: Windows' long has 32, which a large tree's first estimate exceeds.
std::string Duration(double seconds) {
  const int64_t total = static_cast<int64_t>(seconds + 0.5);
  if (total >= 3600)
    return std::to_string(total / 3600) + ":" + TwoDigits(total / 60 % 60) + ":" +
           TwoDigits(total % 60);
  return std::to_string(total / 60) + ":" + TwoDigits(total % 60);
}

std::string TimeLeft(double seconds) {
  const bool known = seconds >= 0 && seconds < kLongestEstimate;
  return known ? "time left: " + Duration(seconds) : "time left: ...";
}

std::string Joined(const std::vector<std::string>& parts) {
  std::string text;
  for (const std::string& part : parts) text += (text.empty() ? "" : "  ") + part;
  return text;
}

}  // namespace

std::string ProgressText(const ProgressFigures& figures, size_t width) {
  std::vector<std::string> parts = {
      std::to_string(figures.files_done) + "/" + std::to_string(figures.files) + " files",
      Bytes(figures.bytes_done) + " of " + Bytes(figures.bytes),
      Bytes(static_cast<uint64_t>(figures.bytes_per_second)) + "/s",
      TimeLeft(figures.seconds_left)};
  std::string text = Joined(parts);
  // The rate, then the files, then the bytes (the text is ASCII: a character a column).
  for (const size_t drop : {2, 0, 0}) {
    if (width == 0 || text.size() <= width) return text;
    parts.erase(parts.begin() + static_cast<std::ptrdiff_t>(drop));
    text = Joined(parts);
  }
  return text.size() <= width ? text : text.substr(0, width);
}

}  // namespace qs
