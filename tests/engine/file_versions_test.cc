// The list of a file's kept copies: by the folders, the current copy first and then the
// latest replaced; with a record, each distinct copy once with where it is kept.
#include "engine/file_versions.h"

#include <gtest/gtest.h>

#include "engine/record_notice.h"
#include "engine/record_store.h"
#include "log/log_time.h"
#include "os/error_text.h"
#include "tests/engine/target_fixture.h"

namespace qs {
namespace {

using test::Seconds;

constexpr char kV1[] = "backup_20261201_100000";
constexpr char kV2[] = "backup_20261202_100000";

class FileVersionsTest : public test::TargetFixture {
 protected:
  VersionsResults List(const std::string& relative) {
    return ListFileVersions(test::RealFs(), clock_, {dir_ / "tgt", relative}, log_);
  }
  static std::string Line(FileTime written, int size, const std::string& where) {
    return FileTimeText(written) + "  " + std::to_string(size) + " bytes  " + where;
  }
  /// A moment of the record as the listing gives it: to the second.
  static std::string Moment(int64_t seconds) {
    return FileTimeText(Seconds(seconds)).substr(0, 19);
  }
};

TEST_F(FileVersionsTest, ByTheFoldersTheCurrentCopyComesFirstThenTheLatestReplaced) {
  MakeVersion(kV1);
  MakeVersion(kV2);
  Put(std::string("tgt/") + kV1 + "/notes/a.txt", "1", Seconds(100));
  Put(std::string("tgt/") + kV2 + "/notes/a.txt", "22", Seconds(200));
  Put("tgt/notes/a.txt", "333", Seconds(300));
  const VersionsResults results = List("notes" + std::string(1, kPathSeparator) + "a.txt");
  EXPECT_TRUE(results.anyKept);
  EXPECT_EQ(results.ExitStatus(), 0);
  EXPECT_EQ(results.listing,
            (std::vector<std::string>{
                Line(Seconds(300), 3, "current"),
                Line(Seconds(200), 2, std::string(kV2) + ", replaced 2026-12-02 10:00:00"),
                Line(Seconds(100), 1, std::string(kV1) + ", replaced 2026-12-01 10:00:00")}));
  EXPECT_EQ(lines_, std::vector<std::string>{kNoRecordNotice});
}

TEST_F(FileVersionsTest, AFolderReadmeIsNoCopyAndAFileKeptNowhereIsSaid) {
  MakeVersion(kV1);
  for (const char* relative : {"README.txt", "missing.txt"}) {
    const VersionsResults results = List(relative);
    EXPECT_FALSE(results.anyKept);
    EXPECT_EQ(results.ExitStatus(), 1);
    EXPECT_EQ(results.listing, std::vector<std::string>{"No copy of " + std::string(relative) +
                                                        " is kept in " + Target()});
  }
}

TEST_F(FileVersionsTest, WithARecordEachDistinctCopyIsListedOnceWithWhereItIsKept) {
  MakeVersion(kV2);
  Put(std::string("tgt/") + kV2 + "/a.txt", "a1", Seconds(100));
  Put("tgt/a.txt", "a2", Seconds(200));
  Put("tgt/b.txt", "b", Seconds(100));
  const Listing one = {Entry("a.txt", "a1", Seconds(100)), Entry("b.txt", "b", Seconds(100))};
  const Listing two = {Entry("a.txt", "a2", Seconds(200)), Entry("b.txt", "b", Seconds(100))};
  AppendRun(1, {}, one, "", int64_t{1000} * 10000000);
  AppendRun(2, one, two, kV2, int64_t{2000} * 10000000);
  const VersionsResults results = List("a.txt");
  EXPECT_TRUE(results.anyKept);
  EXPECT_EQ(results.listing, (std::vector<std::string>{
                                 Line(Seconds(200), 2, "current, first backed up " + Moment(2000)),
                                 Line(Seconds(100), 2,
                                      std::string(kV2) + ", first backed up " + Moment(1000) +
                                          ", replaced " + Moment(2000))}));
  EXPECT_TRUE(lines_.empty());
  // A file the record knows, kept unchanged in the current tree only: listed once.
  EXPECT_EQ(
      List("b.txt").listing,
      std::vector<std::string>{Line(Seconds(100), 1, "current, first backed up " + Moment(1000))});
}

TEST_F(FileVersionsTest, ATargetWithoutVersionFoldersIsRefused) {
  test::MakeDirs(dir_ / "tgt");
  const VersionsResults results = List("a.txt");
  EXPECT_TRUE(results.refused);
  EXPECT_EQ(results.why, "TARGET holds no version folders: " + dir_ / "tgt");
  EXPECT_TRUE(results.listing.empty());
}

/// Refuses to open the record's journal, as a volume that denies reading it would.
class UnreadableJournalFs : public test::FaultyFileSystem {
 public:
  std::unique_ptr<FileReader> OpenForReading(const std::string& path) override {
    if (path.ends_with(kJournalFileName)) return failed_ = true, nullptr;
    return real_.OpenForReading(path);
  }
  uint32_t LastErrorCode() override { return failed_ ? 13 : FaultyFileSystem::LastErrorCode(); }

 private:
  bool failed_ = false;
};

TEST_F(FileVersionsTest, AnUnreadableRecordIsSaidWithItsJournalAndCodeAndTheFoldersAnswer) {
  MakeVersion(kV1);
  Put("tgt/a.txt", "1", Seconds(100));
  AppendRun(1, {}, {Entry("a.txt", "1", Seconds(100))}, "", 77);
  UnreadableJournalFs fs;
  const VersionsResults results = ListFileVersions(fs, clock_, {dir_ / "tgt", "a.txt"}, log_);
  EXPECT_EQ(results.listing, std::vector<std::string>{Line(Seconds(100), 1, "current")});
  ASSERT_EQ(log_.events.size(), 1u);
  EXPECT_EQ(log_.events[0].kind, RunEventKind::kRecordUnreadable);
  EXPECT_EQ(log_.events[0].code, 13u);
  const std::string journal =
      std::string(Target()) + kRecordFolderName + kPathSeparator + kJournalFileName;
  EXPECT_EQ(log_.events[0].path, journal);
  EXPECT_EQ(lines_, std::vector<std::string>{
                        "The record of the runs cannot be read, so this operation goes without "
                        "it: " +
                        journal + ". " + ErrorCodeText(13)});
}

}  // namespace
}  // namespace qs
