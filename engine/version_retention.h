// Which version folders to keep: the newest N, and the newest of each recent hour, day, week
// or month, over the local times in the folders' names.
#pragma once

#include <string_view>
#include <vector>

namespace qs {

/// The local date and time a version folder was made, as its name gives it.
struct VersionStamp {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  friend auto operator<=>(const VersionStamp&, const VersionStamp&) = default;
};

/// Reads a name of the form "backup_YYYYMMDD_HHMMSS" with a valid date and time; false for
/// any other name.
bool ParseVersionFolderName(std::string_view name, VersionStamp* stamp);

/// Days since 1970-01-01 of a calendar date (any year), for counting days apart.
long DaysFromCivil(int year, int month, int day);

struct RetentionPolicy {
  int last = 0;     ///< the newest N folders
  int hourly = 0;   ///< the newest folder of each of the last N hours that have one
  int daily = 0;    ///< ... days
  int weekly = 0;   ///< ... ISO weeks
  int monthly = 0;  ///< ... months
  int within = -1;  ///< every folder less than N days older than the newest; -1: none
  /// True when any rule is given: without one nothing is removed.
  bool Any() const;
};

/// For each stamp (in any order), whether it is kept. The newest is always kept.
std::vector<bool> VersionsToKeep(const std::vector<VersionStamp>& stamps,
                                 const RetentionPolicy& policy);

}  // namespace qs
