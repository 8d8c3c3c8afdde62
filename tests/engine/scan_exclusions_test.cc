// The scan with a job's exclusion patterns, on real trees: what is left out is never entered,
// listed, measured or counted, whatever the names' letters.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "engine/backup_job.h"
#include "engine/backup_run.h"
#include "log/run_events.h"
#include "tests/support/backup_logs.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::Native;
using Lines = std::vector<std::string>;

/// Remembers the count and bytes the scan reports.
class ScanCount : public RunObserver {
 public:
  void OnRunEvent(const RunEvent& event) override {
    if (event.kind != RunEventKind::kScanned) return;
    count = event.count;
    bytes = event.bytes;
  }
  size_t count = 0;
  uint64_t bytes = 0;
};

/// Says of every volume that it folds case, or not, as the test sets.
class FoldingFileSystem : public test::FaultyFileSystem {
 public:
  VolumeHint DescribeVolume(const std::string& path) override {
    VolumeHint hint = FaultyFileSystem::DescribeVolume(path);
    hint.foldsCase = foldsCase;
    return hint;
  }
  int foldsCase = 0;
};

class ScanExclusionsTest : public ::testing::Test {
 protected:
  /// The files below "src" as paths below it with '/', sorted; the folders listed go to
  /// `listed_`.
  Lines Scan(const Lines& patterns, bool measure_sizes = false) {
    console_.str("");
    listed_.clear();
    fs_.probes.clear();
    BackupOptions options = BackupOptions::Of(dir_ / "src", "", false);
    for (const std::string& pattern : patterns) {
      std::string why;
      EXPECT_TRUE(options.exclusions.Add(pattern, &why)) << pattern << ": " << why;
    }
    options.measureSizes = measure_sizes;
    test::BackupLogs logs(nullptr, nullptr, clock_, &console_);
    BackupJob job(fs_, clock_, options, logs);
    FileList list;
    job.ScanSource(job.options.sourceRoot, list);
    unlisted_ = job.results.unlistedDirectories;
    Lines paths;
    for (const ListedFile& file : list) paths.push_back(Below(file.path));
    std::sort(paths.begin(), paths.end());
    return paths;
  }

  /// `path` below the source root, with '/' between names.
  std::string Below(const std::string& path) {
    const std::string root = dir_ / "src/";
    if (path.rfind(root, 0) != 0) return path;
    std::string below = path.substr(root.size());
    std::replace(below.begin(), below.end(), kPathSeparator, '/');
    return below;
  }

  void Write(const std::string& relative, const std::string& content = "") {
    test::WriteFile(dir_ / ("src/" + relative), content);
  }

  void SetUp() override {
    fs_.failListDirectory = [this](const std::string& path) {
      listed_.push_back(Below(path));
      return !locked_.empty() && path == dir_ / ("src/" + locked_);
    };
    fs_.code = 13;
  }

  test::ScopedTempDir dir_;
  FoldingFileSystem fs_;
  test::FakeClock clock_;
  std::ostringstream console_;
  Lines listed_;
  std::string locked_;
  int unlisted_ = 0;
};

TEST_F(ScanExclusionsTest, AnExcludedFolderIsNeverEntered) {
  Write("keep/a.txt");
  Write("build/out.o");
  Write("build/deep/more.o");
  Write("src2/build/nested.o");
  Write("docs/build");  // a file of that name: "build/" names folders only
  EXPECT_EQ((Lines{"docs/build", "keep/a.txt"}), Scan({"build/"}));
  for (const std::string& folder : listed_)
    EXPECT_EQ(std::string::npos, folder.find("build")) << folder;
  EXPECT_EQ((Lines{"", "docs/", "keep/", "src2/"}), [&] {
    Lines sorted = listed_;
    std::sort(sorted.begin(), sorted.end());
    return sorted;
  }());
}

TEST_F(ScanExclusionsTest, PatternsIgnoreCaseWhereTheSourceVolumeDoes) {
  Write("Notes.TMP");
  Write("Cache/x.txt");
  Write("keep.txt");
  EXPECT_EQ((Lines{"Cache/x.txt", "Notes.TMP", "keep.txt"}), Scan({"*.tmp", "cache/"}));
  fs_.foldsCase = 1;
  EXPECT_EQ((Lines{"keep.txt"}), Scan({"*.tmp", "cache/"}));
}

TEST_F(ScanExclusionsTest, AnExcludedFolderThatCannotBeListedIsNotReported) {
  Write("keep/a.txt");
  Write("private/secret.txt");
  locked_ = "private/";
  EXPECT_EQ((Lines{"keep/a.txt"}), Scan({"/private/"}));
  EXPECT_EQ(0, unlisted_);
  EXPECT_EQ("", console_.str());
  // Without the pattern the same folder hides files, and the scan says so.
  EXPECT_EQ((Lines{"keep/a.txt"}), Scan({}));
  EXPECT_EQ(1, unlisted_);
}

TEST_F(ScanExclusionsTest, ExcludedFilesAreNeitherListedNorMeasuredNorCounted) {
  Write("a.txt", "12345");
  Write("cache/b.tmp", "1234567890");
  Write("c.tmp", "123");
  Write("d/e.log", "1234");
  EXPECT_EQ((Lines{"a.txt", "d/e.log"}), Scan({"*.tmp"}, true));
  for (const std::string& probed : fs_.probes)
    EXPECT_EQ(std::string::npos, probed.find(".tmp")) << probed;

  // Through a whole run: the count and the bytes found leave them out as well.
  ScanCount scanned;
  MemoryLogPane backup_pane, file_pane;
  test::BackupLogs logs(&backup_pane, &file_pane, clock_, &console_);
  logs.observers.push_back(&scanned);
  BackupOptions options = BackupOptions::Of(dir_ / "src", dir_ / "dst", false);
  std::string why;
  ASSERT_TRUE(options.exclusions.Add("*.tmp", &why));
  ASSERT_TRUE(options.exclusions.Add("/d/", &why));
  options.measureSizes = true;
  const BackupResults results = RunBackup(fs_, clock_, options, logs);
  EXPECT_EQ(1u, scanned.count);
  EXPECT_EQ(5u, scanned.bytes);
  EXPECT_EQ(1, results.counters.copied);
  EXPECT_EQ((Lines{"a.txt"}), test::ListTree(dir_ / "dst"));
}

TEST_F(ScanExclusionsTest, PatternsMatchNamesInAnyScript) {
  for (const char* name :
       {"фото/отпуск.jpg", "фото/черновик.tmp", "日本/設定.ini", "日本/キャッシュ/x.bin",
        "ñandú/ü.txt", "ñandú/üx.txt", "emoji/😀.txt", "emoji/😀😀.txt"})
    Write(name);
  EXPECT_EQ((Lines{"emoji/😀😀.txt", "ñandú/üx.txt", "фото/отпуск.jpg", "日本/設定.ini"}),
            Scan({"черновик.*", "/日本/キャッシュ/", "?.txt"}));
  EXPECT_EQ((Lines{"emoji/😀.txt", "emoji/😀😀.txt", "фото/черновик.tmp", "日本/キャッシュ/x.bin",
                   "日本/設定.ini"}),
            Scan({"/ñandú/", "отп*.jpg"}));
  // '?' is one character however many bytes it takes; '*' keeps to whole characters.
  EXPECT_EQ((Lines{"emoji/😀😀.txt", "ñandú/ü.txt", "фото/отпуск.jpg", "фото/черновик.tmp",
                   "日本/キャッシュ/x.bin", "日本/設定.ini"}),
            Scan({"ü?.txt", "/emoji/?.txt"}));
  EXPECT_EQ((Lines{"emoji/😀.txt", "ñandú/ü.txt", "ñandú/üx.txt", "фото/отпуск.jpg",
                   "фото/черновик.tmp", "日本/キャッシュ/x.bin"}),
            Scan({"設*", "*😀😀*"}));
}

TEST_F(ScanExclusionsTest, OhModulesStaysLeftOutWhateverThePatterns) {
  Write("oh_modules/a.js");
  Write("app/oh_modules/b.js");
  Write("app/main.js");
  Write("notes.tmp");
  EXPECT_EQ((Lines{"app/main.js"}), Scan({"*.tmp"}));
  EXPECT_EQ((Lines{"notes.tmp"}), Scan({"/app/main.js"}));
  for (const std::string& folder : listed_)
    EXPECT_EQ(std::string::npos, folder.find("oh_modules")) << folder;
}

TEST_F(ScanExclusionsTest, AnchoredPatternsCountFromTheSourceRootNotTheDisk) {
  Write("top.txt");
  Write("sub/top.txt");
  Write("sub/deep/x.txt");
  EXPECT_EQ((Lines{"sub/deep/x.txt", "sub/top.txt"}), Scan({"/top.txt"}));
  EXPECT_EQ((Lines{"sub/deep/x.txt", "top.txt"}), Scan({"/sub/*.txt"}));
  EXPECT_EQ((Lines{"top.txt"}), Scan({"/sub/**/*.txt"}));
  EXPECT_EQ((Lines{"sub/top.txt", "top.txt"}), Scan({"deep/"}));
  // The folders above the root are no part of the paths matched.
  EXPECT_EQ((Lines{"sub/deep/x.txt", "sub/top.txt", "top.txt"}),
            Scan({"/src/", "src/", "qs-test-*/", "/tmp/"}));
}

TEST_F(ScanExclusionsTest, ClassesLeaveOutOneCharacterOfTheirKind) {
  for (const char* name : {"file1.txt", "file2.txt", "file3.txt", "file12.txt", "v1/a", "v2/b",
                           "vx/c", "Notes.tmp", "memo.tmp", "x.tmp"})
    Write(name);
  EXPECT_EQ((Lines{"Notes.tmp", "file12.txt", "file3.txt", "memo.tmp", "vx/c", "x.tmp"}),
            Scan({"file[12].txt", "/v[0-9]/"}));
  for (const std::string& folder : listed_) EXPECT_NE("v1/", folder);
  EXPECT_EQ((Lines{"Notes.tmp", "file1.txt", "file12.txt", "file2.txt", "file3.txt", "v1/a", "v2/b",
                   "vx/c", "x.tmp"}),
            Scan({"[!A-Zx]*.tmp"}));
  // Where the source's volume ignores case, the class takes either case.
  fs_.foldsCase = 1;
  EXPECT_EQ(
      (Lines{"file1.txt", "file12.txt", "file2.txt", "file3.txt", "v1/a", "v2/b", "vx/c", "x.tmp"}),
      Scan({"[m-n]*.tmp"}));
}

TEST_F(ScanExclusionsTest, ALaterBangPatternTakesBackWhatAnEarlierLeftOut) {
  for (const char* name : {"a.log", "keep.log", "sub/keep.log", "sub/b.log", "logs/keep.log",
                           "logs/c.log", "docs/d.txt", "music/e.mp3", "top.txt"})
    Write(name);
  EXPECT_EQ(
      (Lines{"docs/d.txt", "keep.log", "logs/keep.log", "music/e.mp3", "sub/keep.log", "top.txt"}),
      Scan({"*.log", "!keep.log"}));
  // Nothing below a folder left out comes back: the folder is never entered.
  EXPECT_EQ((Lines{"a.log", "docs/d.txt", "keep.log", "music/e.mp3", "sub/b.log", "sub/keep.log",
                   "top.txt"}),
            Scan({"/logs/", "!logs/keep.log", "!keep.log"}));
  for (const std::string& folder : listed_) EXPECT_NE("logs/", folder);
  // Everything at the top but one folder.
  EXPECT_EQ((Lines{"docs/d.txt"}), Scan({"/*", "!/docs/"}));
  EXPECT_EQ((Lines{"docs/d.txt", "top.txt"}), Scan({"/*", "!/docs/", "!/top.txt"}));
  // The last that matches decides.
  EXPECT_EQ((Lines{"a.log", "docs/d.txt", "logs/c.log", "logs/keep.log", "music/e.mp3", "sub/b.log",
                   "sub/keep.log", "top.txt"}),
            Scan({"*.log", "!*.log", "/keep.log"}));
}

TEST_F(ScanExclusionsTest, EscapedCharactersAreNamesAsTyped) {
  if (kPathSeparator != '/') GTEST_SKIP() << "'\\' separates names here";
  for (const char* name : {"star*.txt", "starry.txt", "!keep.log", "#notes", "[draft].md", "d.md"})
    Write(name);
  EXPECT_EQ((Lines{"#notes", "[draft].md", "d.md", "starry.txt"}),
            Scan({"star\\*.txt", "\\!keep.log"}));
  EXPECT_EQ((Lines{"!keep.log", "d.md", "star*.txt", "starry.txt"}),
            Scan({"\\#notes", "\\[draft\\].md"}));
}

}  // namespace
}  // namespace qs
