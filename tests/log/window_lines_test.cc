// The window's lines of an operation: the runner's, except that none names a runner option.
#include "log/window_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qs {
namespace {

using K = RunEventKind;

std::vector<std::string> Lines(const RunEvent& event, bool window) {
  std::vector<std::string> lines;
  const LineSink sink = [&lines](const std::string& line) { lines.push_back(line); };
  if (window)
    WindowOperationLinesOf(event, sink);
  else
    OperationLinesOf(event, sink);
  return lines;
}

TEST(WindowLinesTest, NoLineNamesAnOptionAndTheRunnersLinesStayAsTheyWere) {
  const PruneCounts counts{.removed = 2, .failed = 1, .bytes = 7, .dryRun = true};
  const RestoreCounts restored{.restored = 1};
  const CopyMismatch mismatch{};
  std::vector<RunEvent> events;
  for (int k = 0; k <= static_cast<int>(K::kRestoreCompleted); ++k)
    events.push_back({.kind = static_cast<K>(k),
                      .path = "/t/x",
                      .other = "/t/backup_1",
                      .prune = &counts,
                      .restore = &restored,
                      .mismatch = &mismatch});
  for (LeftOutReason reason :
       {LeftOutReason::kWrittenLater, LeftOutReason::kNoCopyThen, LeftOutReason::kNoCurrentCopy})
    events.push_back({.kind = K::kLeftOut, .path = "/t/x", .reason = reason});

  int reworded = 0;
  for (const RunEvent& event : events) {
    const std::vector<std::string> window = Lines(event, true);
    const std::vector<std::string> runner = Lines(event, false);
    ASSERT_EQ(runner.size(), window.size()) << static_cast<int>(event.kind);
    for (size_t i = 0; i < window.size(); ++i) {
      EXPECT_EQ(std::string::npos, window[i].find("--")) << window[i];
      EXPECT_EQ(std::string::npos, window[i].find("TARGET")) << window[i];
      if (window[i] != runner[i]) ++reworded;
    }
  }
  // Only the lines in the runner's words are said otherwise: the missing keep rule, a file
  // only version folders hold (with no reason, and with its own), and a copy missing from
  // the target.
  EXPECT_EQ(4, reworded);
  EXPECT_EQ((std::vector<std::string>{"No --keep rule given: no version folder removed."}),
            Lines({.kind = K::kNoKeepRule}, false));
  EXPECT_EQ((std::vector<std::string>{kNoKeepRuleInWindow}), Lines({.kind = K::kNoKeepRule}, true));
  const RunEvent only_versions{
      .kind = K::kLeftOut, .path = "/t/x", .reason = LeftOutReason::kNoCurrentCopy};
  EXPECT_EQ(
      (std::vector<std::string>{"Left out, only version folders hold it (see --versions): /t/x"}),
      Lines(only_versions, false));
  EXPECT_EQ((std::vector<std::string>{
                "Left out, only version folders hold it (see Versions of a File\u2026): /t/x"}),
            Lines(only_versions, true));
}

TEST(WindowLinesTest, TheRunnersRefusalsSpeakOfTheTargetField) {
  EXPECT_EQ("The target is not a folder: /t", InWindowWords("TARGET is not a folder: /t"));
  EXPECT_EQ("Not restored: its copy is missing from the target and the target's record",
            InWindowWords("Not restored: its copy is missing from TARGET and TARGET's record"));
  EXPECT_EQ("Nothing of the kind: /t", InWindowWords("Nothing of the kind: /t"));
}

}  // namespace
}  // namespace qs
