// The scan on real trees: depth-first order, exclusions, link cycles, the target inside.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "engine/backup_job.h"
#include "os/error_text.h"
#include "tests/support/backup_logs.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;

class SourceScanTest : public ::testing::Test {
 protected:
  std::vector<std::string> Scan(const std::string& source, const std::string& target = "") {
    console_.str("");
    test::BackupLogs logs(nullptr, nullptr, clock_, &console_);
    BackupJob job(fs_, clock_, BackupOptions::Of(source, target, false), logs);
    FileList list;
    job.ScanSource(job.options.sourceRoot, list);
    unlisted_ = job.results.unlistedDirectories;
    std::vector<std::string> paths;
    for (const ListedFile& file : list) paths.push_back(file.path);
    return paths;
  }

  std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  }

  test::ScopedTempDir dir_;
  test::FaultyFileSystem fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  int unlisted_ = 0;
};

TEST_F(SourceScanTest, ListsFullPathsOfFilesOnly) {
  test::WriteFile(dir_ / "src/a.txt", "a");
  test::WriteFile(dir_ / "src/sub/b.txt", "b");
  test::MakeDirs(dir_ / "src/empty");
  const std::string root = dir_ / "src/";
  EXPECT_EQ(Sorted({root + "a.txt", root + Native("sub/b.txt")}), Sorted(Scan(dir_ / "src")));
}

TEST_F(SourceScanTest, SubdirectoryContentStandsWhereTheSubdirectoryWasMet) {
  for (const char* name : {"d1/x", "d1/y", "f1", "d2/z", "f2", "d1/deep/w"})
    test::WriteFile(dir_ / ("src/" + std::string(name)), "");
  const std::vector<std::string> paths = Scan(dir_ / "src");
  ASSERT_EQ(6u, paths.size());
  // Every directory's files form one contiguous block (pre-order).
  for (const char* prefix : {"d1/", "d2/", "d1/deep/"}) {
    const std::string p = dir_ / ("src/" + std::string(prefix));
    std::vector<size_t> at;
    for (size_t i = 0; i < paths.size(); ++i)
      if (paths[i].rfind(p, 0) == 0) at.push_back(i);
    ASSERT_FALSE(at.empty());
    EXPECT_EQ(at.back() - at.front() + 1, at.size()) << prefix;
  }
}

TEST_F(SourceScanTest, OhModulesDirectoriesAreLeftOutAtAnyDepth) {
  test::WriteFile(dir_ / "src/oh_modules/a", "");
  test::WriteFile(dir_ / "src/sub/oh_modules/deep/b", "");
  test::WriteFile(dir_ / "src/sub/oh_modules_old/c", "");
  // In a folder of its own: a file system that ignores case would merge it with oh_modules.
  test::WriteFile(dir_ / "src/y/OH_MODULES/d", "");
  test::WriteFile(dir_ / "src/x/oh_modules", "a file of that name");
  const std::string root = dir_ / "src/";
  EXPECT_EQ(Sorted({root + Native("y/OH_MODULES/d"), root + Native("sub/oh_modules_old/c"),
                    root + Native("x/oh_modules")}),
            Sorted(Scan(dir_ / "src")));
}

TEST_F(SourceScanTest, EmptyRootGivesNothingQuietly) {
  test::MakeDirs(dir_ / "empty");
  EXPECT_TRUE(Scan(dir_ / "empty").empty());
  EXPECT_EQ("", console_.str());
  EXPECT_EQ(0, unlisted_);
}

TEST_F(SourceScanTest, MissingRootGivesNothingButSaysSo) {
  EXPECT_TRUE(Scan(dir_ / "nowhere").empty());
  EXPECT_NE(std::string::npos,
            console_.str().find("] Cannot list directory: " + dir_ / "nowhere/" + " Error: "));
  EXPECT_EQ(1, unlisted_);
  test::WriteFile(dir_ / "plain", "");
  EXPECT_TRUE(Scan(dir_ / "plain").empty());
  EXPECT_EQ(1, unlisted_);
}

TEST_F(SourceScanTest, AnUnlistableSubdirectoryIsReportedAndTheScanGoesOn) {
  test::WriteFile(dir_ / "src/a/f", "");
  test::WriteFile(dir_ / "src/locked/g", "");
  test::WriteFile(dir_ / "src/z/h", "");
  fs_.failListDirectory = [this](const std::string& p) { return p == dir_ / "src/locked/"; };
  fs_.code = 13;
  EXPECT_EQ(Sorted({dir_ / "src/a/f", dir_ / "src/z/h"}), Sorted(Scan(dir_ / "src")));
  const std::string out = console_.str();
  EXPECT_NE(std::string::npos, out.find("] Cannot list directory: " + dir_ / "src/locked/" + " " +
                                        ErrorCodeText(13) + "\n"));
  EXPECT_EQ(1, unlisted_);
}

TEST_F(SourceScanTest, ASubdirectoryThatCannotEvenBeProbedIsReported) {
  // Only a folder that no longer exists may stay silent: one that could not be looked at
  // (no permission on the way, a name the system cannot take) hides files.
  test::WriteFile(dir_ / "src/a/f", "");
  test::WriteFile(dir_ / "src/hidden/g", "");
  fs_.failListDirectory = [this](const std::string& p) { return p == dir_ / "src/hidden/"; };
  fs_.failStatOf = [this](const std::string& p) { return p.rfind(dir_ / "src/hidden", 0) == 0; };
  fs_.code = 13;
  EXPECT_EQ(std::vector<std::string>{dir_ / "src/a/f"}, Scan(dir_ / "src"));
  EXPECT_NE(std::string::npos,
            console_.str().find("] Cannot list directory: " + dir_ / "src/hidden/" + " Error: 13"));
  EXPECT_EQ(1, unlisted_);
}

TEST_F(SourceScanTest, EveryNameIsListedEvenOneThatLooksLikeATemporaryCopy) {
  // Temporary copies only ever stand in a target; in a source such a name is a user's file.
  test::WriteFile(dir_ / "src/.hidden", "");
  test::WriteFile(dir_ / "src/.qs-tmp-abcdefghij", "a user's file");
  test::WriteFile(dir_ / "src/.qs-tmp-short", "an ordinary name");
  const std::string root = dir_ / "src/";
  EXPECT_EQ(Sorted({root + ".hidden", root + ".qs-tmp-abcdefghij", root + ".qs-tmp-short"}),
            Sorted(Scan(dir_ / "src")));
}

TEST_F(SourceScanTest, TargetInsideTheSourceIsLeftOut) {
  test::WriteFile(dir_ / "src/f", "");
  test::WriteFile(dir_ / "src/backup/f", "an earlier copy");
  test::WriteFile(dir_ / "src/backup/backup_20250101_000000/f", "an old version");
  EXPECT_EQ(std::vector<std::string>{dir_ / "src/f"}, Scan(dir_ / "src", dir_ / "src/backup"));
  // The same root as target is not "inside": everything is listed (and later skipped).
  EXPECT_EQ(3u, Scan(dir_ / "src", dir_ / "src").size());
}

}  // namespace
}  // namespace qs
