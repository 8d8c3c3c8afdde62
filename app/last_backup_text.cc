// Minutes are enough for a glance at the line; the log has the seconds.
#include "app/last_backup_text.h"

#include <cstdio>
#include <iterator>

#include "log/log_time.h"

namespace qs {

namespace {

/// Past this an estimate says nothing (and would not fit the integer it is rounded into).
constexpr double kLongestEstimate = 1e12;

std::string MinuteText(int64_t ticks) {
  return SecondsTimeText(SecondsOfTicks(ticks)).substr(0, 16);
}

/// 1234567 as "1,234,567".
std::string Grouped(uint64_t value) {
  std::string digits = std::to_string(value);
  for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

/// Both sizes in the unit of the whole: "1.2 of 4.0 GB".
std::string SizesText(uint64_t done, uint64_t whole) {
  static const char* const kUnits[] = {"KB", "MB", "GB", "TB"};
  double unit = 1024;
  size_t index = 0;
  while (index + 1 < std::size(kUnits) && static_cast<double>(whole) >= unit * 1024) {
    unit *= 1024;
    ++index;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%.1f of %.1f %s", static_cast<double>(done) / unit,
                static_cast<double>(whole) / unit, kUnits[index]);
  return text;
}

std::string TimeLeftText(double seconds) {
  if (seconds < 0 || seconds >= kLongestEstimate) return "";
  const int64_t minutes = static_cast<int64_t>(seconds / 60 + 0.5);
  if (minutes < 1) return ", less than a minute left";
  if (minutes < 60) return ", about " + std::to_string(minutes) + " min left";
  return ", about " + std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) +
         " min left";
}

}  // namespace

std::string LastBackupText(const LastBackup& last) {
  if (!last.known) return "Last backup: none yet";
  std::string outcome = "no failures";
  if (last.failed)
    outcome = last.failedFiles > 0 ? std::to_string(last.failedFiles) + " failed" : "not complete";
  return "Last backup: " + MinuteText(last.endTicks) + ", " + outcome;
}

std::string BackingUpText(const ProgressFigures& figures, bool counting) {
  if (!counting) return "Backing up: looking through the source...";
  std::string text =
      "Backing up: " + Grouped(figures.files_done) + " of " + Grouped(figures.files) + " files";
  if (figures.bytes > 0) text += ", " + SizesText(figures.bytes_done, figures.bytes);
  return text + TimeLeftText(figures.seconds_left);
}

}  // namespace qs
