// Folders are visited newest first. Each "each of the last N" rule keeps a folder whenever
// its hour, day, week or month differs from that of the last folder the rule kept, until it
// has kept N; a period without folders is not counted, so sparse backups keep older folders.
#include "engine/version_retention.h"

#include <algorithm>
#include <cstdlib>
#include <numeric>

namespace qs {

namespace {

bool Digits(std::string_view text, size_t at, size_t count, int* value) {
  *value = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    *value = *value * 10 + (text[i] - '0');
  }
  return true;
}

int DaysInMonth(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

bool Valid(const VersionStamp& s) {
  return s.month >= 1 && s.month <= 12 && s.day >= 1 && s.day <= DaysInMonth(s.year, s.month) &&
         s.hour <= 23 && s.minute <= 59 && s.second <= 60;
}

/// The ISO 8601 week of a date: the year it belongs to, times 100, plus its number.
long IsoWeek(const VersionStamp& s) {
  const long days = DaysFromCivil(s.year, s.month, s.day);
  const long weekday = ((days % 7) + 7 + 3) % 7;  // Monday 0: 1970-01-01 was a Thursday
  const long thursday = days - weekday + 3;       // the week belongs to its Thursday's year
  int year = s.year;
  if (thursday < DaysFromCivil(year, 1, 1)) --year;
  if (thursday >= DaysFromCivil(year + 1, 1, 1)) ++year;
  return year * 100L + (thursday - DaysFromCivil(year, 1, 1)) / 7 + 1;
}

long long Seconds(const VersionStamp& s) {
  return DaysFromCivil(s.year, s.month, s.day) * 86400LL + s.hour * 3600 + s.minute * 60 + s.second;
}

/// Keeps the newest folder of each of the first `count` periods `period` tells apart.
template <typename Period>
void KeepEach(const std::vector<VersionStamp>& stamps, const std::vector<size_t>& newest_first,
              int count, Period period, std::vector<bool>* keep) {
  long long last = -1;
  bool any = false;
  for (size_t index : newest_first) {
    if (count <= 0) return;
    const long long current = period(stamps[index]);
    if (any && current == last) continue;
    (*keep)[index] = true;
    last = current;
    any = true;
    --count;
  }
}

}  // namespace

long DaysFromCivil(int year, int month, int day) {
  // Howard Hinnant's days_from_civil: exact for the proleptic Gregorian calendar.
  const long y = year - (month <= 2);
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

bool ParseVersionFolderName(std::string_view name, VersionStamp* stamp) {
  constexpr std::string_view kPrefix = "backup_";
  if (name.size() != kPrefix.size() + 15 || name.substr(0, kPrefix.size()) != kPrefix) return false;
  const std::string_view rest = name.substr(kPrefix.size());
  VersionStamp s;
  if (rest[8] != '_' || !Digits(rest, 0, 4, &s.year) || !Digits(rest, 4, 2, &s.month) ||
      !Digits(rest, 6, 2, &s.day) || !Digits(rest, 9, 2, &s.hour) ||
      !Digits(rest, 11, 2, &s.minute) || !Digits(rest, 13, 2, &s.second) || !Valid(s))
    return false;
  *stamp = s;
  return true;
}

bool RetentionPolicy::Any() const {
  return last > 0 || hourly > 0 || daily > 0 || weekly > 0 || monthly > 0 || within >= 0;
}

std::vector<bool> VersionsToKeep(const std::vector<VersionStamp>& stamps,
                                 const RetentionPolicy& policy) {
  std::vector<bool> keep(stamps.size(), !policy.Any());
  if (stamps.empty() || !policy.Any()) return keep;
  std::vector<size_t> order(stamps.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return stamps[b] < stamps[a]; });
  keep[order.front()] = true;
  for (size_t i = 0; i < order.size() && i < static_cast<size_t>(std::max(policy.last, 0)); ++i)
    keep[order[i]] = true;
  const auto hour = [](const VersionStamp& s) {
    return DaysFromCivil(s.year, s.month, s.day) * 24LL + s.hour;
  };
  const auto day = [](const VersionStamp& s) { return DaysFromCivil(s.year, s.month, s.day); };
  const auto month = [](const VersionStamp& s) { return s.year * 12LL + s.month; };
  KeepEach(stamps, order, policy.hourly, hour, &keep);
  KeepEach(stamps, order, policy.daily, day, &keep);
  KeepEach(stamps, order, policy.weekly, IsoWeek, &keep);
  KeepEach(stamps, order, policy.monthly, month, &keep);
  if (policy.within >= 0) {
    const long long newest = Seconds(stamps[order.front()]);
    for (size_t i = 0; i < stamps.size(); ++i)
      if (newest - Seconds(stamps[i]) < policy.within * 86400LL) keep[i] = true;
  }
  return keep;
}

}  // namespace qs
