// The Win32 window layer against real USER32 controls in a window that is never shown: the
// EDIT control's own line counting (wrapped rows included) under the log trims, the control
// operations, texts of any script, and writes from other threads carried out on the window
// thread.
#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "app/window_controls.h"
#include "log/backup_log.h"
#include "log/file_log.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

using test::PaneLines;
using test::WithoutStamps;

constexpr uint32_t kLogStyle =
    kStyleBorder | kStyleVScroll | kStyleMultiline | kStyleAutoVScroll | kStyleReadOnly;
const ControlLayout kBackupLogRow{ControlClass::kEdit, "", kLogStyle, 10, 250, 580, 120, 0};
const char kNotice[] = "=== Log cleaned (keeping latest 100 lines) ===\r\n";

class NoEvents : public WindowEvents {
 public:
  void OnCommand(int id) override { commands.push_back(id); }
  void OnClose() override { ++closes; }
  std::vector<int> commands;
  int closes = 0;
};

class Win32WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    window_ = CreateMainWindow("Quillstone test", 620, 600, events_, &error);
    ASSERT_NE(nullptr, window_) << error;
    log_control_ = window_->CreateControl(kBackupLogRow, "");
    pane_ = log_control_->AsLogPane();
    services_.clock = &clock_;
  }

  std::string Text() { return log_control_->GetText(1 << 20); }

  void Fill(int entries, const std::string& prefix = "e") {
    for (int i = 1; i <= entries; ++i)
      WriteBackupLogEntry(pane_, prefix + std::to_string(i), services_);
  }

  NoEvents events_;
  std::unique_ptr<MainWindow> window_;
  Control* log_control_ = nullptr;
  LogPane* pane_ = nullptr;
  test::FakeClock clock_;
  LogServices services_;
};

TEST_F(Win32WindowTest, TheEditControlCountsLinesAsThePaneModelDoes) {
  ASSERT_NE(nullptr, pane_);
  EXPECT_EQ(1, pane_->LineCount());
  EXPECT_EQ(0, pane_->TextLength());
  pane_->AppendText("abc\r\n");
  pane_->AppendText("de\r\n");
  EXPECT_EQ("abc\r\nde\r\n", Text());
  EXPECT_EQ(3, pane_->LineCount());
  EXPECT_EQ(9, pane_->TextLength());
  EXPECT_EQ(5, pane_->LineStart(1));
  EXPECT_EQ(9, pane_->LineStart(2));
  pane_->Select(0, 5);
  pane_->ReplaceSelection("");
  EXPECT_EQ("de\r\n", Text());
  pane_->SetText("");
  EXPECT_EQ(1, pane_->LineCount());
}

TEST_F(Win32WindowTest, ALongLineCountsOneLinePerDisplayRow) {
  std::string words;
  for (int i = 0; i < 60; ++i) words += "wrapping ";
  pane_->AppendText(words + "\r\n");
  const int rows = pane_->LineCount() - 1;
  EXPECT_GE(rows, 3);  // about 540 characters in a pane 580 pixels wide
  // Every row after the first starts inside the one long line.
  for (int row = 1; row < rows; ++row) {
    EXPECT_GT(pane_->LineStart(row), pane_->LineStart(row - 1));
    EXPECT_LT(pane_->LineStart(row), static_cast<int>(words.size()));
  }
  EXPECT_EQ(static_cast<int>(words.size()) + 2, pane_->LineStart(rows));
}

TEST_F(Win32WindowTest, TheBackupLogTrimsAtTwoHundredOneLines) {
  Fill(199);
  ASSERT_EQ(200, pane_->LineCount());
  WriteBackupLogEntry(pane_, "e200", services_);
  ASSERT_EQ(201, pane_->LineCount());
  EXPECT_EQ(std::string::npos, Text().find("Log cleaned"));
  WriteBackupLogEntry(pane_, "e201", services_);
  const std::vector<std::string> lines = WithoutStamps(PaneLines(Text()));
  ASSERT_EQ(101u, lines.size());
  EXPECT_EQ("e102", lines.front());
  EXPECT_EQ("e200", lines[98]);
  EXPECT_EQ("=== Log cleaned (keeping latest 100 lines) ===", lines[99]);
  EXPECT_EQ("e201", lines[100]);
  EXPECT_EQ(102, pane_->LineCount());
}

TEST_F(Win32WindowTest, WrappedRowsCountTowardsTheTrimAndTheCutFallsOnARow) {
  const std::string message(150, 'x');  // one word too wide for a row: it breaks anywhere
  WriteBackupLogEntry(pane_, message, services_);
  const int rows_per_entry = pane_->LineCount() - 1;
  ASSERT_GE(rows_per_entry, 2);
  int entries = 1;
  for (; pane_->LineCount() <= 200; ++entries) WriteBackupLogEntry(pane_, message, services_);
  EXPECT_EQ(entries * rows_per_entry + 1, pane_->LineCount());  // no trim below 201 rows
  EXPECT_LT(entries, 200);

  const std::string before = Text();
  const int cut = pane_->LineStart(pane_->LineCount() - 100);
  WriteBackupLogEntry(pane_, "after the trim", services_);
  EXPECT_EQ(before.substr(static_cast<size_t>(cut)) + kNotice +
                BackupLogLine(clock_, "after the trim") + "\r\n",
            Text());
  EXPECT_LE(pane_->LineCount(), 100 + 2 + 1);
}

TEST_F(Win32WindowTest, TrimBackupLogAndTheFileLogTrimWorkOnTheControl) {
  Fill(199);
  const std::string full = Text();
  TrimBackupLog(pane_);
  EXPECT_EQ(full, Text());
  WriteBackupLogEntry(pane_, "e200", services_);
  TrimBackupLog(pane_);
  EXPECT_EQ(101, pane_->LineCount());
  EXPECT_EQ("=== Log cleaned (keeping latest 100 lines) ===", PaneLines(Text()).back());

  Control* file_log = window_->CreateControl(kBackupLogRow, "");
  LogPane* file_pane = file_log->AsLogPane();
  ResetFileLog(file_pane);
  for (int i = 1; i <= 300; ++i) AppendFileLogLine(file_pane, "l" + std::to_string(i));
  const std::vector<std::string> lines = PaneLines(file_log->GetText(1 << 20));
  ASSERT_EQ(151u, lines.size());
  EXPECT_EQ("l151", lines.front());
  EXPECT_EQ("=== File log cleaned (keeping latest 150 lines) ===", lines[149]);
  EXPECT_EQ("l300", lines[150]);
}

TEST_F(Win32WindowTest, ControlTextsChecksAndTheirLimits) {
  Control* label = window_->CreateControl(
      {ControlClass::kStatic, "", kStyleCenter, 420, 30, 180, 20, 0}, "Current Time:");
  EXPECT_EQ("Current Time:", label->GetText(512));
  EXPECT_EQ(nullptr, label->AsLogPane());
  Control* edit = window_->CreateControl(
      {ControlClass::kEdit, "", kStyleBorder | kStyleAutoHScroll, 10, 35, 400, 25, 0}, "");
  EXPECT_EQ(nullptr, edit->AsLogPane());
  edit->SetText(std::string(600, 'p'));
  EXPECT_EQ(std::string(511, 'p'), edit->GetText(512));
  edit->SetText("123456789012");
  EXPECT_EQ("123456789", edit->GetText(10));
  EXPECT_EQ("", edit->GetText(0));
  Control* check = window_->CreateControl(
      {ControlClass::kButton, "", kStyleAutoCheckBox, 120, 155, 150, 25, 2}, "Enable Auto Backup");
  EXPECT_FALSE(check->IsChecked());
  check->SetChecked(true);
  EXPECT_TRUE(check->IsChecked());
  check->SetChecked(false);
  EXPECT_FALSE(check->IsChecked());
  check->Enable(false);
  check->Enable(true);
  EXPECT_TRUE(events_.commands.empty());  // setting a box by program is no click
}

// Texts reach the controls as UTF-16: a path of any script is shown and read back whole, and
// the read limits count UTF-16 units, as GetWindowTextW does.
TEST_F(Win32WindowTest, ControlsKeepTextsOfAnyScript) {
  Control* edit = window_->CreateControl(
      {ControlClass::kEdit, "", kStyleBorder | kStyleAutoHScroll, 10, 35, 400, 25, 0}, "");
  const std::string path = "C:\\Users\\Zoë\\文書\\Ωμέγα \xF0\x9F\x98\x80";
  edit->SetText(path);
  EXPECT_EQ(path, edit->GetText(512));
  Control* label = window_->CreateControl(
      {ControlClass::kStatic, "", kStyleNone, 10, 10, 120, 20, 0}, "Répertoire source :");
  EXPECT_EQ("Répertoire source :", label->GetText(512));

  std::string accents;
  for (int i = 0; i < 600; ++i) accents += "é";  // one unit, two bytes each
  edit->SetText(accents);
  EXPECT_EQ(accents.substr(0, 511 * 2), edit->GetText(512));
  std::string smiles;
  for (int i = 0; i < 300; ++i) smiles += "\xF0\x9F\x98\x80";  // two units each
  edit->SetText(smiles);
  // 511 units would end inside a pair: the read stops before it.
  EXPECT_EQ(smiles.substr(0, 255 * 4), edit->GetText(512));
}

TEST_F(Win32WindowTest, ThePaneCountsUtf16UnitsAndHoldsMoreThanTheDefaultLimit) {
  pane_->AppendText("日本\r\n");
  pane_->AppendText("\xF0\x9F\x98\x80!\r\n");
  EXPECT_EQ(4 + 5, pane_->TextLength());
  EXPECT_EQ(4, pane_->LineStart(1));
  EXPECT_EQ(9, pane_->LineStart(2));
  pane_->Select(4, 9);
  pane_->ReplaceSelection("");
  EXPECT_EQ("日本\r\n", Text());

  // An EDIT control takes 32767 units unless its limit is raised.
  pane_->SetText("");
  const std::string line = std::string(98, 'x') + "\r\n";
  for (int i = 0; i < 400; ++i) pane_->AppendText(line);
  EXPECT_EQ(400 * 100, pane_->TextLength());
}

TEST_F(Win32WindowTest, OtherThreadsWriteWholeEntriesThroughTheWindowThread) {
  const std::thread::id window_thread = std::this_thread::get_id();
  std::thread::id ran_on;
  std::string text;
  std::thread coordinator([&] {
    window_->RunOnWindowThread([&] { ran_on = std::this_thread::get_id(); });
    std::thread a([&] { Fill(60, "a"); });
    std::thread b([&] { Fill(60, "b"); });
    a.join();
    b.join();
    text = Text();  // read across threads too
    window_->Destroy();
  });
  EXPECT_EQ(0, window_->RunMessageLoop());  // returns once the window is destroyed
  coordinator.join();
  EXPECT_EQ(window_thread, ran_on);
  const std::vector<std::string> lines = PaneLines(text);
  ASSERT_EQ(120u, lines.size());
  int next_a = 1, next_b = 1;
  const std::regex entry(R"(\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\] ([ab])(\d+))");
  for (const std::string& line : lines) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, entry)) << line;
    int& next = match[1] == "a" ? next_a : next_b;
    EXPECT_EQ(next++, std::stoi(match[2]));  // each thread's entries in its own order
  }
}

}  // namespace
}  // namespace qs
