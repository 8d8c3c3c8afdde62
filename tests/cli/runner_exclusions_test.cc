// --exclude and --exclude-from on the real runner: each kind of pattern, what is left out is
// neither copied nor counted, and a pattern file that cannot be read stops the run first.
#include "tests/cli/runner_fixture.h"

namespace qs {
namespace {

using test::Seconds;

class RunnerExclusionsTest : public test::RunnerFixture {
 protected:
  void SetUp() override {
    for (const char* path :
         {"a.tmp", "a.txt", "sub/b.tmp", "sub/keep.txt", "cache/x", "deep/cache/y", "deep/z",
          "files/cache", "build/out", "sub/build/out", "docs/1/2/c.txt", "docs/c.txt", "c.txt",
          "img1.png", "img22.png", "oh_modules/m", "sub/oh_modules/m"})
      test::WriteFile(dir_ / ("src/" + std::string(path)), path, Seconds(2000));
  }
  /// The files copied into the target.
  std::vector<std::string> Copied() { return test::ListTree(dir_ / "dst"); }

  /// Runs the backup with `options`, dry first and then for real; the dry run must write
  /// nothing and log, between its own first and last lines, what the real run then logs.
  void RunDryThenReal(const std::string& options) {
    const std::string roots = " " + Quoted("src") + " " + Quoted("dst");
    const auto before = Snapshot(dir_ / "src");
    ASSERT_EQ(0, Run("--dry-run " + options + roots)) << Err();
    std::vector<std::string> dry = OutLines();
    EXPECT_FALSE(test::Exists(dir_ / "dst"));
    EXPECT_EQ(before, Snapshot(dir_ / "src"));
    ASSERT_GE(dry.size(), 2u);
    EXPECT_EQ("Dry run: nothing will be written.", dry.front());
    EXPECT_EQ("Dry run: nothing was written.", dry.back());
    ASSERT_EQ(0, Run(options + roots)) << Err();
    EXPECT_EQ(OutLines(), std::vector<std::string>(dry.begin() + 1, dry.end() - 1));
    EXPECT_EQ("", Err());
  }
};

TEST_F(RunnerExclusionsTest, EachKindOfPatternLeavesOutWhatItNames) {
  // Patterns in the form they take on a command line, with '/' on every system.
  ASSERT_EQ(0, Run("--exclude \"*.tmp\" --exclude \"cache/\" --exclude \"/build/\" "
                   "--exclude \"docs/**/c.txt\" --exclude=\"img?.png\" " +
                   Quoted("src") + " " + Quoted("dst")))
      << Out() << Err();
  EXPECT_EQ((std::vector<std::string>{"a.txt", "c.txt", "deep/z", "files/cache", "img22.png",
                                      "sub/build/out", "sub/keep.txt"}),
            Copied());
  // Left out: not counted, not reported, not a failure.
  EXPECT_TRUE(OutHas("] Found 7 files.\n")) << Out();
  EXPECT_TRUE(OutHas("7 copied, 0 updated, 0 skipped, 0 failed")) << Out();
  EXPECT_FALSE(OutHas("a.tmp"));
  EXPECT_FALSE(OutHas("b.tmp"));
  EXPECT_FALSE(OutHas("Cannot list"));
  EXPECT_EQ("", Err());
}

TEST_F(RunnerExclusionsTest, WithoutPatternsOnlyOhModulesIsLeftOut) {
  ASSERT_EQ(0, Run(Quoted("src") + " " + Quoted("dst")));
  EXPECT_TRUE(OutHas("] Found 15 files.\n")) << Out();
  EXPECT_EQ(15u, Copied().size());
  EXPECT_FALSE(test::Exists(dir_ / "dst/oh_modules"));
  EXPECT_FALSE(test::Exists(dir_ / "dst/sub/oh_modules"));
}

TEST_F(RunnerExclusionsTest, AFolderPatternDoesNotLeaveOutAFileOfThatName) {
  ASSERT_EQ(0, Run("--exclude \"**/cache/\" " + Quoted("src") + " " + Quoted("dst")));
  const std::vector<std::string> copied = Copied();
  EXPECT_NE(copied.end(), std::find(copied.begin(), copied.end(), "files/cache"));
  EXPECT_EQ(copied.end(), std::find(copied.begin(), copied.end(), "cache/x"));
  EXPECT_EQ(copied.end(), std::find(copied.begin(), copied.end(), "deep/cache/y"));
  EXPECT_EQ(13u, copied.size());
  EXPECT_TRUE(OutHas("] Found 13 files.\n")) << Out();
}

TEST_F(RunnerExclusionsTest, PatternsFromAFileWithCommentsAndBlankLines) {
  test::WriteFile(dir_ / "patterns.txt",
                  "# what never goes to the backup\n"
                  "\n"
                  "*.tmp\r\n"
                  "   # an indented comment\n"
                  "/cache/\n"
                  "sub/\n");
  ASSERT_EQ(0, Run("--exclude-from " + Quoted("patterns.txt") + " --exclude \"docs/\" " +
                   Quoted("src") + " " + Quoted("dst")))
      << Err();
  EXPECT_EQ((std::vector<std::string>{"a.txt", "build/out", "c.txt", "deep/cache/y", "deep/z",
                                      "files/cache", "img1.png", "img22.png"}),
            Copied());
  EXPECT_TRUE(OutHas("] Found 8 files.\n")) << Out();
}

TEST_F(RunnerExclusionsTest, AByteOrderMarkIsNoPartOfTheFirstPattern) {
  test::WriteFile(dir_ / "patterns.txt", "\xEF\xBB\xBF*.tmp\r\nsub/\r\n");
  ASSERT_EQ(0, Run("--exclude-from " + Quoted("patterns.txt") + " " + Quoted("src") + " " +
                   Quoted("dst")))
      << Err();
  const std::vector<std::string> copied = Copied();
  EXPECT_EQ(copied.end(), std::find(copied.begin(), copied.end(), "a.tmp"));
  EXPECT_TRUE(OutHas("] Found 11 files.\n")) << Out();
}

TEST_F(RunnerExclusionsTest, ClassesAndReInclusionsWithADryRunThatAgrees) {
  for (const char* path : {"file1.txt", "file2.txt", "file3.txt", "keep.log", "x.log"})
    test::WriteFile(dir_ / ("src/" + std::string(path)), path, Seconds(2000));
  RunDryThenReal(
      "--exclude \"file[12].txt\" --exclude \"img[!2]*.png\" --exclude \"*.log\" "
      "--exclude \"!keep.log\" --exclude \"*.tmp\" --exclude \"!sub/b.tmp\" "
      "--exclude \"/cache/\" --exclude \"!cache/x\" --exclude \"/[a-c][.]txt\"");
  EXPECT_EQ((std::vector<std::string>{"build/out", "deep/cache/y", "deep/z", "docs/1/2/c.txt",
                                      "docs/c.txt", "file3.txt", "files/cache", "img22.png",
                                      "keep.log", "sub/b.tmp", "sub/build/out", "sub/keep.txt"}),
            Copied());
  EXPECT_TRUE(OutHas("] Found 12 files.\n")) << Out();
}

TEST_F(RunnerExclusionsTest, EscapesAndTrailingSpacesInAPatternFile) {
  const bool escapes = test::Native("/") == "/";
  if (escapes) {
    // Names that only an escape can name; Windows keeps no '*' in a name.
    for (const char* path : {"star*.txt", "!bang.txt", "#hash.txt", "[draft].md"})
      test::WriteFile(dir_ / ("src/" + std::string(path)), path, Seconds(2000));
  }
  test::WriteFile(dir_ / "patterns.txt",
                  std::string("*.tmp   \n"  // the spaces a text editor leaves
                              "!sub/b.tmp  \r\n") +
                      (escapes ? "star\\*.txt\n\\!bang.txt\n\\#hash.txt  \n\\[draft].md\n" : "") +
                      "/docs/ \n");
  RunDryThenReal("--exclude-from " + Quoted("patterns.txt"));
  const std::vector<std::string> copied = Copied();
  for (const char* gone :
       {"a.tmp", "docs/c.txt", "star*.txt", "!bang.txt", "#hash.txt", "[draft].md"})
    EXPECT_EQ(copied.end(), std::find(copied.begin(), copied.end(), gone)) << gone;
  EXPECT_NE(copied.end(), std::find(copied.begin(), copied.end(), "sub/b.tmp"));
  EXPECT_EQ(12u, copied.size());
}

TEST_F(RunnerExclusionsTest, AnUnreadableOrBadPatternStopsTheRunBeforeItWrites) {
  test::WriteFile(dir_ / "bad.txt", "# fine\n*.tmp\na//b\n");
  test::WriteFile(dir_ / "class.txt", "*.tmp\n[abc   \n");
  const struct {
    std::string args, message;
  } cases[] = {
      {"--exclude-from " + Quoted("missing.txt"), "missing.txt"},
      {"--exclude-from " + Quoted("bad.txt"), "line 3"},
      {"--exclude \"a//b\"", "bad pattern \"a//b\""},
      {"--exclude \"x/**y\"", "bad pattern"},
      {"--exclude \"/\"", "bad pattern"},
      {"--exclude \"\"", "an empty pattern names nothing"},
      {"--exclude \"file[12.txt\"",
       "bad pattern \"file[12.txt\": a \"[\" opens a class of characters that no \"]\" closes"},
      {"--exclude \"x[]\"", "bad pattern \"x[]\": \"[]\" is an empty class"},
      {"--exclude \"[z-a]\"", "the range \"z-a\" runs backwards"},
      {"--exclude \"!\"", "bad pattern \"!\""},
      {"--exclude-from " + Quoted("class.txt"),
       test::Native(dir_ / "class.txt") + ", line 2: bad pattern \"[abc\": a \"[\" opens"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    EXPECT_EQ(2, Run(c.args + " " + Quoted("src") + " " + Quoted("dst")));
    EXPECT_NE(std::string::npos, Err().find(c.message)) << Err();
    EXPECT_NE(std::string::npos, Err().find("usage: quillstone-run"));
    EXPECT_EQ("", Out());
    EXPECT_FALSE(test::Exists(dir_ / "dst"));
  }
  if (test::Native("/") != "/") return;
  // A '\\' that ends the pattern escapes nothing.
  EXPECT_EQ(2, Run("--exclude 'name\\' " + Quoted("src") + " " + Quoted("dst")));
  EXPECT_NE(std::string::npos,
            Err().find("bad pattern \"name\\\": a \"\\\" at the end of a name escapes nothing"))
      << Err();
  EXPECT_FALSE(test::Exists(dir_ / "dst"));
}

}  // namespace
}  // namespace qs
