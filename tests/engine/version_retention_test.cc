// The retention rules over version folder names: the newest N and the newest of each period.
#include "engine/version_retention.h"

#include <gtest/gtest.h>

namespace qs {
namespace {

VersionStamp Stamp(const std::string& name) {
  VersionStamp stamp;
  EXPECT_TRUE(ParseVersionFolderName(name, &stamp)) << name;
  return stamp;
}

/// The names kept, from `names` in the order given.
std::vector<std::string> Kept(const std::vector<std::string>& names, const RetentionPolicy& p) {
  std::vector<VersionStamp> stamps;
  for (const std::string& name : names) stamps.push_back(Stamp(name));
  const std::vector<bool> keep = VersionsToKeep(stamps, p);
  std::vector<std::string> kept;
  for (size_t i = 0; i < names.size(); ++i)
    if (keep[i]) kept.push_back(names[i]);
  return kept;
}

TEST(VersionRetentionTest, OnlyWellFormedNamesAreVersionFolders) {
  const VersionStamp s = Stamp("backup_20250131_080509");
  EXPECT_EQ((VersionStamp{2025, 1, 31, 8, 5, 9}), s);
  VersionStamp ignored;
  for (const char* other :
       {"backup_20250132_080509", "backup_20250229_080509", "backup_2025013_080509",
        "Backup_20250131_080509", "backup_20250131-080509", "backup_20250131_250000",
        "backup_20250131_0805090", "notes"})
    EXPECT_FALSE(ParseVersionFolderName(other, &ignored)) << other;
  EXPECT_TRUE(ParseVersionFolderName("backup_20240229_235959", &ignored));  // a leap day
}

TEST(VersionRetentionTest, WithoutARuleEverythingIsKept) {
  const std::vector<std::string> all = {"backup_20250101_000000", "backup_20250102_000000"};
  EXPECT_EQ(all, Kept(all, {}));
  EXPECT_FALSE(RetentionPolicy{}.Any());
}

TEST(VersionRetentionTest, KeepLastAndTheNewestIsAlwaysKept) {
  const std::vector<std::string> all = {"backup_20250103_000000", "backup_20250101_000000",
                                        "backup_20250104_000000", "backup_20250102_000000"};
  RetentionPolicy last;
  last.last = 2;
  EXPECT_EQ((std::vector<std::string>{"backup_20250103_000000", "backup_20250104_000000"}),
            Kept(all, last));
  RetentionPolicy daily;
  daily.daily = 0;
  daily.monthly = 0;
  daily.within = 0;  // a rule that keeps nothing still keeps the newest
  EXPECT_EQ((std::vector<std::string>{"backup_20250104_000000"}), Kept(all, daily));
}

TEST(VersionRetentionTest, EachRuleKeepsTheNewestOfEachPeriodThatHasOne) {
  const std::vector<std::string> all = {"backup_20250105_230000",
                                        "backup_20250105_080000",   // Sunday: two the same day
                                        "backup_20250106_090000",   // Monday: a new ISO week
                                        "backup_20250103_100000",   // Friday of the week before
                                        "backup_20241231_120000",   // last year, ISO week 1 of 2025
                                        "backup_20241130_120000"};  // a third month
  RetentionPolicy daily;
  daily.daily = 3;  // the last three days with a folder, not the last three calendar days
  EXPECT_EQ((std::vector<std::string>{"backup_20250105_230000", "backup_20250106_090000",
                                      "backup_20250103_100000"}),
            Kept(all, daily));
  RetentionPolicy weekly;
  weekly.weekly = 2;
  EXPECT_EQ((std::vector<std::string>{"backup_20250105_230000", "backup_20250106_090000"}),
            Kept(all, weekly));
  RetentionPolicy monthly;
  monthly.monthly = 3;
  EXPECT_EQ((std::vector<std::string>{"backup_20250106_090000", "backup_20241231_120000",
                                      "backup_20241130_120000"}),
            Kept(all, monthly));
  RetentionPolicy hourly;
  hourly.hourly = 2;
  EXPECT_EQ((std::vector<std::string>{"backup_20250105_230000", "backup_20250106_090000"}),
            Kept(all, hourly));
}

TEST(VersionRetentionTest, KeepWithinCountsDaysBackFromTheNewest) {
  const std::vector<std::string> all = {"backup_20250110_120000", "backup_20250103_120001",
                                        "backup_20250103_120000", "backup_20241231_000000"};
  RetentionPolicy within;
  within.within = 7;  // strictly less than seven days older than the newest
  EXPECT_EQ((std::vector<std::string>{"backup_20250110_120000", "backup_20250103_120001"}),
            Kept(all, within));
}

TEST(VersionRetentionTest, DaysAreCountedAcrossYearsAndCenturies) {
  EXPECT_EQ(0, DaysFromCivil(1970, 1, 1));
  EXPECT_EQ(-1, DaysFromCivil(1969, 12, 31));
  EXPECT_EQ(11016, DaysFromCivil(2000, 2, 29));
  EXPECT_EQ(DaysFromCivil(2100, 3, 1) - 1, DaysFromCivil(2100, 2, 28));  // 2100 is no leap year
}

}  // namespace
}  // namespace qs
