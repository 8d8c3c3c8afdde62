// Every text of the real window can be read: each control's text, in the control's own font
// as the window system measures it, fits the room the control's box gives it. Runs in a real
// window of the system (Xvfb on Linux; Wine, at each scale it is started with, on Windows).
#include "app/window_controls.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/app_state.h"
#include "app/control_table.h"
#include "app/last_backup_text.h"
#include "app/status_display.h"
#include "log/log_time.h"
#include "schedule/overdue.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

constexpr int64_t kNanosPerMinute = int64_t{60} * 1000000000;

class NoEvents : public WindowEvents {
 public:
  void OnCommand(int) override {}
  void OnClose() override {}
};

std::string Describe(const std::string& text, const TextFit& fit) {
  return "\"" + text + "\" takes " + std::to_string(fit.text_width) + "x" +
         std::to_string(fit.text_height) + " px, has " + std::to_string(fit.room_width) + "x" +
         std::to_string(fit.room_height);
}

class TextFitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    window_ = CreateMainWindow(kWindowCaption, kWindowWidth, kWindowHeight, events_, &error);
    ASSERT_NE(nullptr, window_) << error;
    for (const ControlRow& row : kControls)
      controls_.push_back(window_->CreateControl(row.layout, row.layout.text));
    for (const AddedControlRow& row : kAddedControls)
      added_.push_back(window_->CreateControl(row.layout, row.layout.text));
  }

  Control* Kept(Control** handle) {
    for (size_t i = 0; i < kControls.size(); ++i)
      if (kControls[i].keptIn == handle) return controls_[i];
    return nullptr;
  }
  Control* Kept(Control* AddedControls::*handle) {
    for (size_t i = 0; i < kAddedControls.size(); ++i)
      if (kAddedControls[i].keptIn == handle) return added_[i];
    return nullptr;
  }

  // The text is set as the program sets it, then measured.
  void ExpectFits(Control* control, const std::string& text) {
    control->SetText(text);
    const TextFit fit = control->MeasureText();
    EXPECT_GT(fit.text_width, 0) << "\"" << text << "\" was not measured";
    EXPECT_TRUE(fit.Fits()) << Describe(text, fit);
  }

  NoEvents events_;
  std::unique_ptr<MainWindow> window_;
  std::vector<Control*> controls_;
  std::vector<Control*> added_;
};

TEST_F(TextFitTest, EveryCaptionAndButtonTextFitsItsBox) {
  int measured = 0;
  for (size_t i = 0; i < kControls.size(); ++i) {
    const ControlLayout& row = kControls[i].layout;
    if (row.controlClass == ControlClass::kEdit || row.text[0] == '\0') continue;
    ExpectFits(controls_[i], row.text);
    ++measured;
  }
  EXPECT_EQ(12, measured);  // 7 captions, 2 check boxes, 3 buttons
}

TEST_F(TextFitTest, TheStatusTextsFitTheirLabels) {
  test::FakeClock clock;
  clock.SetWallTicks(int64_t{3746959200} * 10000000);  // a date in 2088
  ExpectFits(Kept(&g_hClockLabel), CurrentTimeText(clock));
  ExpectFits(Kept(&g_hStatusLabel), "Auto Backup: INACTIVE");
  ExpectFits(Kept(&g_hStatusLabel), "Auto Backup: ACTIVE");
  Control* countdown = Kept(&g_hCountdownLabel);
  ExpectFits(countdown, CountdownText(false, false, 0, 0));
  ExpectFits(countdown, CountdownText(true, true, 0, 0));
  ExpectFits(countdown, CountdownText(true, false, 0, 0));
  // Up to a thousand days less a second; a day less a second.
  const int64_t a_second = 1000000000;
  ExpectFits(countdown, CountdownText(true, false, 1000 * 1440 * kNanosPerMinute - a_second, 0));
  ExpectFits(countdown, CountdownText(true, false, 1440 * kNanosPerMinute - a_second, 0));
}

// Every added control that has a text of its own (a check box, a button) is measured with
// it, so that a row added to the table is measured without a line here. The labels whose text
// the program sets are measured with their longest texts below.
TEST_F(TextFitTest, EveryAddedControlsOwnTextFits) {
  int measured = 0;
  for (size_t i = 0; i < kAddedControls.size(); ++i) {
    const ControlLayout& row = kAddedControls[i].layout;
    if (row.controlClass == ControlClass::kEdit || row.text[0] == '\0') continue;
    ExpectFits(added_[i], row.text);
    ++measured;
  }
  EXPECT_LE(2, measured);  // at least the two check boxes
}

TEST_F(TextFitTest, TheOverdueLineFits) {
  // The longest ages of each unit: minutes up to two hours, hours up to two days, then days.
  Control* overdue = Kept(&AddedControls::overdueLabel);
  const int64_t minute = int64_t{60} * 10000000;
  for (int64_t age : {int64_t{119}, int64_t{47 * 60}, int64_t{99999} * 1440}) {
    OverdueInputs inputs;
    inputs.lastSuccessTicks = minute;
    inputs.nowTicks = minute + age * minute;
    inputs.autoBackupOn = true;
    inputs.intervalMinutes = 1;  // overdue after three minutes
    ExpectFits(overdue, CheckOverdue(inputs).line);
  }
}

TEST_F(TextFitTest, TheLastBackupLineHoldsItsLongestTexts) {
  Control* line = Kept(&AddedControls::lastBackupLabel);
  const int64_t ticks = int64_t{3746959200} * 10000000;  // a date in 2088
  ExpectFits(line, LastBackupText({true, ticks, true, 99999999}));
  ExpectFits(line, LastBackupText({true, ticks, true, 0}));
  ExpectFits(line, LastBackupText({false, 0, false, 0}));
  ExpectFits(line, BackingUpText({}, false));
  ProgressFigures figures;
  figures.files_done = 12345678;
  figures.files = 99999999;
  figures.bytes_done = uint64_t{987} << 40;
  figures.bytes = uint64_t{999} << 40;
  figures.bytes_per_second = 1;
  figures.seconds_left = 99.0 * 24 * 3600;
  ExpectFits(line, BackingUpText(figures, true));
}

TEST_F(TextFitTest, EveryFieldHoldsALineOfItsText) {
  int fields = 0;
  for (size_t i = 0; i < kControls.size(); ++i) {
    const ControlLayout& row = kControls[i].layout;
    if (row.controlClass != ControlClass::kEdit || (row.style & kStyleMultiline) != 0) continue;
    controls_[i]->SetText("Ág 0123");
    const TextFit fit = controls_[i]->MeasureText();
    EXPECT_GT(fit.text_height, 0) << "field " << i << " was not measured";
    EXPECT_TRUE(fit.Fits()) << Describe("Ág 0123", fit);
    ++fields;
  }
  EXPECT_EQ(3, fields);
}

}  // namespace
}  // namespace qs
