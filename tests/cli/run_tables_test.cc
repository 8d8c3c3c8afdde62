// The runner's tables of modes and options against what the command line and --help make of
// them: a row must mean the same to the parser, to the checks and to the usage text.
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "cli/mode_runners.h"
#include "cli/run_modes.h"
#include "cli/run_options.h"
#include "cli/run_usage.h"

namespace qs {
namespace {

using Mode = RunArgs::Mode;

bool Takes(const RunOption& option, Mode mode) { return (option.modes & ModeBit(mode)) != 0; }

/// A value the option accepts, found by trying it rather than known from the option's name.
std::string GoodValue(const RunOption& option) {
  if (!option.value) return "";
  for (const std::string candidate : {"1", "x", "show", "2026-12-01 10:00:00"}) {
    RunArgs scratch;
    if (option.apply(candidate, &scratch)) return candidate;
  }
  ADD_FAILURE() << option.name << " takes none of the values tried";
  return "";
}

std::vector<std::string> WithValue(const RunOption& option) {
  if (!option.value) return {option.name};
  return {option.name, GoodValue(option)};
}

const RunOption* Selecting(Mode mode) {
  for (const RunOption& option : RunOptions())
    if (option.selects == mode) return &option;
  return nullptr;
}

/// The option that chooses the mode, if any, with its value.
std::vector<std::string> Choosing(const RunMode& mode) {
  const RunOption* option = Selecting(mode.mode);
  return option ? WithValue(*option) : std::vector<std::string>{};
}

/// As many paths as the mode takes at least.
std::vector<std::string> FixedPaths(const RunMode& mode) {
  std::vector<std::string> paths;
  for (PathRole role : mode.paths)
    if (role != PathRole::kNone) paths.push_back("/p" + std::to_string(paths.size()));
  return paths;
}

std::vector<std::string> Plus(std::vector<std::string> args, const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

/// The shortest command line the mode accepts.
std::vector<std::string> Shortest(const RunMode& mode) {
  return Plus(Choosing(mode), FixedPaths(mode));
}

TEST(RunArgsTablesTest, EachModesShortestLineChoosesIt) {
  for (const RunMode& mode : RunModes()) {
    const RunArgs args = ParseRunArgs(Shortest(mode));
    EXPECT_EQ(mode.mode, args.mode) << mode.synopsis << ": " << args.error;
    if (mode.paths[0] != PathRole::kNone) {
      EXPECT_EQ(mode.mode, ParseRunArgs(Plus(Plus(Choosing(mode), {"--"}), FixedPaths(mode))).mode)
          << mode.synopsis;
      EXPECT_EQ(mode.morePaths, ParseRunArgs(Plus(Shortest(mode), {"/more"})).mode == mode.mode)
          << mode.synopsis;
    }
  }
}

TEST(RunArgsTablesTest, EveryOptionGoesWithExactlyItsModes) {
  for (const RunOption& option : RunOptions()) {
    if (option.selects != Mode::kUsageError) continue;
    for (const RunMode& mode : RunModes()) {
      const RunArgs args = ParseRunArgs(Plus(Shortest(mode), WithValue(option)));
      const std::string where = std::string(option.name) + " with \"" + mode.synopsis + "\"";
      if (Takes(option, mode.mode)) {
        EXPECT_EQ(mode.mode, args.mode) << where << ": " << args.error;
      } else if (mode.mode == Mode::kBackupFromSettings && Takes(option, Mode::kBackup)) {
        // Without paths, an option only a backup of SOURCE and TARGET takes asks for them.
        EXPECT_EQ("expected SOURCE and TARGET", args.error) << where;
      } else {
        EXPECT_EQ(option.refusal == Refusal::kModeMisfit ? std::string(mode.misfit)
                                                         : RefusalText(option.refusal),
                  args.error)
            << where;
      }
    }
  }
}

TEST(RunArgsTablesTest, RefusalsSayTheWordsTheyAlwaysHave) {
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"--status", "--exclude", "x", "/t"},
       "--time-versioning, --exclude, --progress and --background go with a backup only"},
      {{"--prune-versions", "--repair", "/t"}, "--budget and --repair go with --verify only"},
      {{"--keep-daily", "3", "/a", "/b"}, "--keep-... go with --prune-versions only"},
      {{"--versions", "--as-of", "2026-12-01 10:00:00", "/t", "p"},
       "--as-of goes with --restore only"},
      {{"--rebuild-record", "--dry-run", "/t"}, "--rebuild-record takes one TARGET"},
      {{"--verify", "--status", "/t"},
       "--prune-versions, --versions, --restore, --rebuild-record, --schedule, --verify and "
       "--status go alone"},
      {{"--schedule=show", "--schedule", "show"},
       "--prune-versions, --versions, --restore, --rebuild-record, --schedule, --verify and "
       "--status go alone"},
      // The kind of refusal decides which is said, not the options' order.
      {{"--status", "--as-of", "2026-12-01 10:00:00", "--repair", "--exclude", "x", "/t"},
       "--time-versioning, --exclude, --progress and --background go with a backup only"},
      {{"--keep-last", "x", "--bogus"}, "bad value for --keep-last: x"},
      {{"--bogus", "--keep-last", "x"}, "unknown option: --bogus"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.error, ParseRunArgs(c.args).error) << c.args[0];
}

TEST(RunArgsTablesTest, OptionsAreKnownByTheirWholeNamesOnly) {
  std::set<std::string> names;
  for (const RunOption& option : RunOptions()) {
    EXPECT_TRUE(names.insert(option.name).second) << option.name << " twice";
    EXPECT_EQ(&option, FindRunOption(option.name));
    const std::string name = option.name;
    EXPECT_EQ(nullptr, FindRunOption(name.substr(0, name.size() - 1))) << name;
    EXPECT_EQ("unknown option: " + name.substr(0, name.size() - 1),
              ParseRunArgs({name.substr(0, name.size() - 1), "/a", "/b"}).error);
    if (!option.value) {
      EXPECT_EQ("unknown option: " + name + "=1", ParseRunArgs({name + "=1", "/a", "/b"}).error);
    } else {
      EXPECT_EQ(name + " needs a value", ParseRunArgs({"/a", "/b", name}).error);
    }
  }
}

TEST(RunnerModesTest, TheSynopsisIsTheModesLinesInTheirOrder) {
  std::string expected;
  for (const RunMode& mode : RunModes())
    expected += std::string(expected.empty() ? "usage: " : "       ") + "quillstone-run" +
                (*mode.synopsis ? " " : "") + mode.synopsis + "\n";
  EXPECT_EQ(expected, RunSynopsis());
  EXPECT_EQ(0u, RunHelp().find(RunSynopsis()));
}

TEST(RunnerModesTest, HelpShowsEachOptionInTheSectionsOfTheModesThatTakeIt) {
  const std::string help = RunHelp();
  for (const RunOption& option : RunOptions()) {
    for (const OptionHelp& line : option.help) {
      if (!line.text) continue;
      EXPECT_TRUE(Takes(option, line.mode)) << option.name << " shown where it is refused";
      const RunMode* mode = FindRunMode(line.mode);
      ASSERT_NE(nullptr, mode) << option.name;
      const size_t section = help.find(mode->helpIntro);
      const size_t next = help.find(mode->helpOutro, section);
      const std::string first_words(line.text, std::strcspn(line.text, "\n"));
      const size_t at = help.find("  " + std::string(option.name), section);
      EXPECT_LT(at, next) << option.name << " missing from " << mode->synopsis;
      EXPECT_NE(std::string::npos, help.find(first_words, at)) << option.name;
    }
  }
}

TEST(RunnerModesTest, HelpKeepsItsColumnsAndSectionOrder) {
  const std::string help = RunHelp();
  for (const char* lines :
       {"  --time-versioning     first save each copy about to be overwritten into a dated\n"
        "                        backup_YYYYMMDD_HHMMSS folder inside TARGET\n"
        "  --dry-run             decide and report",
        "  --progress            show progress on standard error (shown there by default when it\n"
        "  --no-progress         is a terminal), or never show it\n"
        "  --accept-unkept-times back up to a target",
        "  --as-of \"YYYY-MM-DD HH:MM:SS\"  the tree as the last run",
        "  --dry-run             say what would go, and remove nothing\n"
        "  e.g. quillstone-run --prune-versions"})
    EXPECT_NE(std::string::npos, help.find(lines)) << lines;
  // The schedule's section comes before the rebuild's, unlike their synopsis lines.
  EXPECT_LT(help.find("\n--restore TARGET"), help.find("\n--schedule install"));
  EXPECT_LT(help.find("\n--schedule install"), help.find("\n--rebuild-record TARGET"));
  EXPECT_LT(help.find("\n--rebuild-record TARGET"), help.find("\n--verify TARGET"));
}

TEST(RunnerModesTest, EveryModeHasARunnerAndASectionOrNone) {
  std::set<int> positions;
  for (const RunMode& mode : RunModes()) {
    EXPECT_TRUE(HasRunner(mode.mode)) << mode.synopsis;
    if (mode.helpPosition > 0) {
      EXPECT_TRUE(positions.insert(mode.helpPosition).second) << mode.synopsis;
      EXPECT_NE(std::string::npos, RunHelp().find(mode.helpIntro)) << mode.synopsis;
    }
  }
  EXPECT_TRUE(HasRunner(Mode::kHelp));
  EXPECT_TRUE(HasRunner(Mode::kUsageError));
}

}  // namespace
}  // namespace qs
