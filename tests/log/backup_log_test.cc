// Backup log entries: the line format, the 200/100 trim and where its notice lands.
#include "log/backup_log.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>
#include <vector>

#include "os/error_text.h"
#include "tests/support/memory_log_pane.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::PaneLines;
using test::WithoutStamps;

class BackupLogTest : public ::testing::Test {
 protected:
  BackupLogTest() {
    services_.clock = &clock_;
    services_.console = &console_;
  }

  /// Fills the pane with `entries` entries "e1".."eN"; the pane then has entries + 1 lines.
  void Fill(int entries) {
    for (int i = 1; i <= entries; ++i)
      WriteBackupLogEntry(&pane_, "e" + std::to_string(i), services_);
  }

  test::FakeClock clock_;
  std::ostringstream console_;
  LogServices services_;
  MemoryLogPane pane_;
};

TEST_F(BackupLogTest, FirstEntryIsOneStampedLine) {
  EXPECT_EQ(1, pane_.LineCount());
  WriteBackupLogEntry(&pane_, "hello", services_);
  const std::string text = pane_.Text();
  ASSERT_EQ(2, pane_.LineCount());
  ASSERT_EQ(26u + 5 + 2, text.size());
  EXPECT_EQ('[', text[0]);
  EXPECT_EQ("] hello\r\n", text.substr(24));
  EXPECT_EQ("", console_.str());
}

TEST_F(BackupLogTest, MessageIsWrittenUnchangedEvenWhenEmpty) {
  WriteBackupLogEntry(&pane_, "", services_);
  EXPECT_EQ("] \r\n", pane_.Text().substr(24));
}

TEST_F(BackupLogTest, TwoHundredLinesAreKeptTheNextEntryTrims) {
  Fill(199);
  ASSERT_EQ(200, pane_.LineCount());
  WriteBackupLogEntry(&pane_, "e200", services_);
  ASSERT_EQ(201, pane_.LineCount());
  EXPECT_EQ(std::string::npos, pane_.Text().find("Log cleaned"));

  WriteBackupLogEntry(&pane_, "e201", services_);
  const std::vector<std::string> lines = WithoutStamps(PaneLines(pane_.Text()));
  // 99 newest complete lines, then the notice, then the new entry.
  ASSERT_EQ(101u, lines.size());
  EXPECT_EQ("e102", lines.front());
  EXPECT_EQ("e200", lines[98]);
  EXPECT_EQ("=== Log cleaned (keeping latest 100 lines) ===", lines[99]);
  EXPECT_EQ("e201", lines[100]);
  EXPECT_EQ(102, pane_.LineCount());
}

TEST_F(BackupLogTest, TheNoticeCarriesNoStamp) {
  Fill(201);
  const std::vector<std::string> lines = PaneLines(pane_.Text());
  EXPECT_EQ("=== Log cleaned (keeping latest 100 lines) ===", lines[99]);
}

TEST_F(BackupLogTest, TrimBackupLogLeavesTwoHundredLinesAlone) {
  Fill(199);
  const std::string before = pane_.Text();
  const int first_visible = pane_.FirstVisibleLine();
  TrimBackupLog(&pane_);
  EXPECT_EQ(before, pane_.Text());
  EXPECT_EQ(first_visible, pane_.FirstVisibleLine());
}

TEST_F(BackupLogTest, TrimBackupLogCutsTwoHundredOneLinesAndScrolls) {
  Fill(200);
  pane_.ScrollBy(-1000);
  TrimBackupLog(&pane_);
  const std::vector<std::string> lines = WithoutStamps(PaneLines(pane_.Text()));
  ASSERT_EQ(100u, lines.size());
  EXPECT_EQ("e102", lines.front());
  EXPECT_EQ("=== Log cleaned (keeping latest 100 lines) ===", lines.back());
  EXPECT_EQ(100, pane_.FirstVisibleLine());  // scrolled to the end: the last (empty) line
}

TEST_F(BackupLogTest, TrimBackupLogWithoutPaneDoesNothing) { TrimBackupLog(nullptr); }

TEST_F(BackupLogTest, WithoutPaneTheEntryGoesToTheConsole) {
  WriteBackupLogEntry(nullptr, "to console", services_);
  const std::string out = console_.str();
  ASSERT_EQ(26u + 10 + 1, out.size());
  EXPECT_EQ("] to console\n", out.substr(24));
}

TEST_F(BackupLogTest, ClearingLeavesOneEntry) {
  Fill(5);
  pane_.SetText("");
  WriteBackupLogEntry(&pane_, "=== Log cleared ===", services_);
  EXPECT_EQ(2, pane_.LineCount());
  EXPECT_EQ(std::vector<std::string>{"=== Log cleared ==="},
            WithoutStamps(PaneLines(pane_.Text())));
}

// The automatic backup's lines, as it wrote them when they were plain entries: the same
// stamp, the same text.
TEST_F(BackupLogTest, TheAutomaticBackupsEventsWriteItsLines) {
  const std::vector<std::pair<RunEvent, std::string>> cases = {
      {{.kind = RunEventKind::kAutoBackupStarted}, "=== Auto backup started ==="},
      {{.kind = RunEventKind::kAutoBackupStopped}, "=== Auto backup stopped ==="},
      {{.kind = RunEventKind::kNextBackupIn, .minutes = 1}, "=== Next backup in 1 minutes ==="},
      {{.kind = RunEventKind::kNextBackupIn, .minutes = 35791394},
       "=== Next backup in 35791394 minutes ==="},
      {{.kind = RunEventKind::kNextBackupIn, .minutes = -5}, "=== Next backup in -5 minutes ==="},
      {{.kind = RunEventKind::kScheduledBackupStarted}, "=== Scheduled backup started ==="},
      {{.kind = RunEventKind::kScheduledBackupCompleted}, "=== Scheduled backup completed ==="},
      {{.kind = RunEventKind::kBackgroundPriorityNotSet, .other = "ioprio_set failed: Error: 1"},
       "Background priority not set: ioprio_set failed: Error: 1"},
  };
  for (const auto& [event, message] : cases) {
    SCOPED_TRACE(message);
    MemoryLogPane entry_pane, event_pane;
    WriteBackupLogEntry(&entry_pane, message, services_);
    BackupLogObserver(&event_pane, services_).OnRunEvent(event);
    EXPECT_EQ(entry_pane.Text(), event_pane.Text());
    EXPECT_EQ("] " + message + "\r\n", event_pane.Text().substr(24));

    std::ostringstream console;
    LogServices to_console = services_;
    to_console.console = &console;
    BackupLogObserver(nullptr, to_console).OnRunEvent(event);
    EXPECT_EQ("] " + message + "\n", console.str().substr(24));
  }
}

// What a backup learns of its target's record, and the record folder its source holds: one
// line each, in the words these lines have always had.
TEST_F(BackupLogTest, TheRecordsEventsOfABackupWriteOneLineEach) {
  const std::string journal = "/dst/.quillstone/journal";
  const std::vector<std::pair<RunEvent, std::string>> cases = {
      {{.kind = RunEventKind::kRecordFolderLeftOut, .path = "/src/.quillstone"},
       "Left out, as the target keeps its record of the runs under that name: /src/.quillstone"},
      {{.kind = RunEventKind::kRecordNotKept, .path = journal, .code = 28},
       "The record of the runs could not be written: " + journal + " " + ErrorCodeText(28)},
      {{.kind = RunEventKind::kRecordDamagedEnd, .path = journal},
       "The record of the runs has a damaged end, which is left out: " + journal},
      {{.kind = RunEventKind::kRecordUnreadable, .path = journal, .code = 13},
       "The record of the runs cannot be read, so this operation goes without it: " + journal +
           ". " + ErrorCodeText(13)},
      {{.kind = RunEventKind::kRecordForeign, .path = journal},
       "The record's file was not written by Quillstone and is left alone, so this operation "
       "goes without a record: " +
           journal},
  };
  for (const auto& [event, message] : cases) {
    SCOPED_TRACE(message);
    MemoryLogPane pane;
    BackupLogObserver(&pane, services_).OnRunEvent(event);
    EXPECT_EQ(std::vector<std::string>{message}, WithoutStamps(PaneLines(pane.Text())));
  }
}

}  // namespace
}  // namespace qs
