// The lines of prune, restore and the word about the record: each event as the runner's log
// reads it, byte for byte.
#include "log/operation_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "log/log_time.h"
#include "os/error_text.h"

namespace qs {
namespace {

/// The lines `events` make, in order, through the observer as the runner uses it.
std::vector<std::string> LinesOf(const std::vector<RunEvent>& events) {
  std::vector<std::string> lines;
  OperationLines observer([&lines](const std::string& line) { lines.push_back(line); });
  for (const RunEvent& event : events) observer.OnRunEvent(event);
  return lines;
}

using K = RunEventKind;

TEST(OperationLinesTest, TheRecordNoticesNameTheJournalAndWhatItCosts) {
  const std::string j = "/t/.quillstone/journal";
  EXPECT_EQ(LinesOf({{.kind = K::kRecordDamagedEnd, .path = j},
                     {.kind = K::kRecordUnreadable, .path = j, .code = 13},
                     {.kind = K::kRecordUnreadable, .path = j},
                     {.kind = K::kRecordForeign, .path = j},
                     {.kind = K::kNoRecordKept}}),
            (std::vector<std::string>{
                "The record of the runs has a damaged end, which is left out: " + j,
                "The record of the runs cannot be read, so this operation goes without it: " + j +
                    ". " + ErrorCodeText(13),
                "The record of the runs cannot be read, so this operation goes without it: " + j,
                "The record's file was not written by Quillstone and is left alone, so this "
                "operation goes without a record: " +
                    j,
                "No record of the runs is kept in this target: restores as of a moment go by the "
                "dates of the version folders."}));
}

TEST(OperationLinesTest, APrunesFoldersLeftoversAndFailures) {
  EXPECT_EQ(
      LinesOf({{.kind = K::kVersionFolderRemoved, .path = "/t/backup_1"},
               {.kind = K::kVersionFolderWouldGo, .path = "/t/backup_2"},
               {.kind = K::kLeftoverRemoved, .path = "/t/.qs-removing-x"},
               {.kind = K::kLeftoverWouldGo, .path = "/t/.qs-removing-y"},
               {.kind = K::kMountedLeftWhole, .path = "/t/backup_3/mnt"},
               {.kind = K::kVersionFolderNotRemoved, .path = "/t/backup_4", .code = 5},
               {.kind = K::kRemovalIncomplete, .path = "/t/b5", .other = "/t/b5/f", .code = 2},
               {.kind = K::kPruneNotRecorded, .path = "/t/.quillstone/journal", .code = 28},
               {.kind = K::kNoKeepRule}}),
      (std::vector<std::string>{
          "Version folder removed: /t/backup_1", "Version folder would be removed: /t/backup_2",
          "Leftover of an interrupted removal removed: /t/.qs-removing-x",
          "Leftover of an interrupted removal would be removed: /t/.qs-removing-y",
          "Not removed, another file system is mounted here: /t/backup_3/mnt",
          "Could not remove version folder: /t/backup_4 " + ErrorCodeText(5),
          "Could not remove completely: /t/b5 (/t/b5/f) " + ErrorCodeText(2),
          "Could not keep the prune in the record of the runs: /t/.quillstone/journal " +
              ErrorCodeText(28),
          "No --keep rule given: no version folder removed."}));
}

TEST(OperationLinesTest, APrunesEndSaysTheCountsAndTheSpaceAndADryRunSaysSo) {
  const PruneCounts done{3, 1, 4096, false};
  const PruneCounts dry{0, 2, 50, true};
  EXPECT_EQ(LinesOf({{.kind = K::kPruneCompleted, .prune = &done},
                     {.kind = K::kPruneCompleted, .prune = &dry}}),
            (std::vector<std::string>{
                "Pruning completed: 3 removed, 1 failed.", "Space freed: 4096 bytes.",
                "Pruning completed: 0 removed, 2 failed.", "Space that would be freed: 50 bytes.",
                "Dry run: nothing was written."}));
}

TEST(OperationLinesTest, ARestoresFilesLeftOutAndNotRestored) {
  const FileTime written{1764600000, 250000000};
  const CopyMismatch hashes{true, {0x2, 0x1}, {0xb, 0xa}};
  const CopyMismatch sizes{false, {}, {}};
  EXPECT_EQ(
      LinesOf({{.kind = K::kRestored, .path = "a/b.txt", .other = "backup_20261201_100000"},
               {.kind = K::kRestored, .path = "c.txt"},
               {.kind = K::kNotRestored, .path = "d.txt", .code = 13},
               {.kind = K::kLeftOut,
                .path = "e.txt",
                .moment = written,
                .reason = LeftOutReason::kWrittenLater},
               {.kind = K::kLeftOut, .path = "f.txt", .reason = LeftOutReason::kNoCopyThen},
               {.kind = K::kLeftOut, .path = "g.txt", .reason = LeftOutReason::kNoCurrentCopy},
               {.kind = K::kCopyDiffers, .path = "h.txt", .mismatch = &hashes},
               {.kind = K::kCopyDiffers, .path = "i.txt", .other = "backup_2", .mismatch = &sizes},
               {.kind = K::kNoLongerKept, .path = "j.txt"},
               {.kind = K::kNoLongerKept, .path = "k.txt", .other = "backup_3"},
               {.kind = K::kKeptCopyMissing, .path = "l.txt"}}),
      (std::vector<std::string>{
          "Restored: a/b.txt (from backup_20261201_100000)",
          "Restored: c.txt (from the current copy)",
          "Could not restore: d.txt " + ErrorCodeText(13),
          "Left out, not yet in the backup at that moment: e.txt (written " +
              FileTimeText(written) + ")",
          "Left out, no copy of it was current at that moment: f.txt",
          "Left out, only version folders hold it (see --versions): g.txt",
          "Not restored, the copy's bytes differ from the record: h.txt (the current copy: "
          "recorded hash 00000000000000010000000000000002, found "
          "000000000000000a000000000000000b)",
          "Not restored, the copy's bytes differ from the record: i.txt (backup_2: its size or "
          "last-write time is not the recorded one)",
          "Can no longer be restored as of that moment: j.txt (its copy was replaced without a "
          "version saved)",
          "Can no longer be restored as of that moment: k.txt (the version folder backup_3 was "
          "pruned)",
          "Can no longer be restored as of that moment: l.txt (its copy is missing from "
          "TARGET)"}));
}

TEST(OperationLinesTest, ARestoresMomentsPathsFoldersAndEnd) {
  const FileTime ended{1764600000, 500000000};
  const RestoreCounts counts{7, 2, 1};
  EXPECT_EQ(
      LinesOf({{.kind = K::kMomentBeforeFirstRun, .moment = ended},
               {.kind = K::kRestoringAsOfRun, .moment = ended},
               {.kind = K::kNothingKeptUnder, .path = "nope"},
               {.kind = K::kNothingRestoredOf, .path = "sub"},
               {.kind = K::kDirectoryUnlisted, .path = "/t/locked", .code = 13},
               {.kind = K::kRestoreCompleted, .restore = &counts}}),
      (std::vector<std::string>{
          "The moment is before the first run the record holds, which ended " +
              FileTimeText(ended) + ": the dates of the version folders decide what is restored.",
          "Restoring the tree as the run that ended " + FileTimeText(ended) + " saw the source.",
          "Nothing is kept under: nope", "Nothing restored of: sub",
          "Cannot list directory: /t/locked " + ErrorCodeText(13),
          "Restore completed: 7 restored, 2 left out, 1 failed."}));
}

TEST(OperationLinesTest, ABackupsOwnEventsMakeNoOperationLine) {
  EXPECT_TRUE(LinesOf({{.kind = K::kCopied, .path = "/s/a"},
                       {.kind = K::kSkipped, .path = "/s/b"},
                       {.kind = K::kScanned, .count = 3}})
                  .empty());
}

}  // namespace
}  // namespace qs
