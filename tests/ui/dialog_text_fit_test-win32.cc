// Texts of a dialog with one control of each kind, and the menu bar's names, fit at the scale
// Wine was started with (the CI runs this at 100 %, 125 % and 150 %): each measured in the
// control's own font against the room its box gives, as the main window's are.
#include <windows.h>
// <windows.h> names CreateDialogW so; the seam's member keeps its own name.
#undef CreateDialog

#include <gtest/gtest.h>

#include <array>

#include "app/window_controls.h"

namespace qs {
namespace {

class NoEvents : public WindowEvents {
 public:
  void OnCommand(int) override {}
  void OnClose() override {}
};

std::string Describe(const TextFit& fit) {
  return "takes " + std::to_string(fit.text_width) + "x" + std::to_string(fit.text_height) +
         " px, has " + std::to_string(fit.room_width) + "x" + std::to_string(fit.room_height);
}

void ExpectFits(Control* control, const char* what) {
  const TextFit fit = control->MeasureText();
  EXPECT_GT(fit.text_height, 0) << what << " was not measured";
  EXPECT_TRUE(fit.Fits()) << what << ": " << Describe(fit);
}

class Win32TextFitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    window_ = CreateMainWindow("Quillstone text fit", 620, 640, events_, &error);
    ASSERT_NE(nullptr, window_) << error;
    dialog_ = window_->CreateDialog("Restore Files", 420, 380, events_);
    ASSERT_NE(nullptr, dialog_);
  }
  Control* Make(ControlClass kind, uint32_t style, int x, int y, int width, int height,
                const std::string& text) {
    return dialog_->CreateControl({kind, "", style, x, y, width, height, 1}, text);
  }

  NoEvents events_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<DialogWindow> dialog_;
};

TEST_F(Win32TextFitTest, EveryKindOfControlInADialogFitsItsText) {
  ExpectFits(Make(ControlClass::kStatic, kStyleNone, 10, 10, 140, 20, "Restore as of:"), "label");
  ExpectFits(Make(ControlClass::kStatic, kStyleAlert, 10, 330, 400, 20,
                  "The destination folder is not empty."),
             "red label");
  ExpectFits(Make(ControlClass::kButton, kStyleAutoCheckBox, 10, 300, 250, 25,
                  "Restore all files and folders"),
             "check box");
  ExpectFits(Make(ControlClass::kButton, kStyleDefault, 300, 350, 110, 25, "&Restore"),
             "default button");
  ExpectFits(Make(ControlClass::kButton, kStyleNone, 180, 350, 110, 25, "Choose &Folder..."),
             "button");
  Control* field = Make(ControlClass::kEdit, kStyleBorder | kStyleAutoHScroll | kStyleNotifyChange,
                        10, 270, 400, 25, "Ág 0123");
  const TextFit line = field->MeasureText();
  EXPECT_EQ(0, line.text_width);  // a field scrolls sideways
  EXPECT_TRUE(line.Fits()) << "field: " << Describe(line);

  Control* list = Make(ControlClass::kList, kStyleNone, 10, 35, 400, 80, "");
  list->SetItems({"Latest", "2026-12-09 08:15  ok, 1204 files", "2026-12-08 08:15  3 failed"});
  const TextFit lines = list->MeasureText();
  EXPECT_GT(lines.text_width, 0);
  EXPECT_TRUE(lines.Fits()) << "list: " << Describe(lines);

  Control* tree = Make(ControlClass::kTree, kStyleNone, 10, 120, 400, 140, "");
  tree->SetTreePaths({"Documents/Letters/2026/Bank statement December.pdf", "Music/a.mp3"}, '/');
  const TextFit labels = tree->MeasureText();
  EXPECT_GT(labels.text_width, 0);
  EXPECT_TRUE(labels.Fits()) << "tree: " << Describe(labels);
}

// A tree measures its labels where they start: a deeper label needs more room.
TEST_F(Win32TextFitTest, ATreesLabelsAreMeasuredWithTheirIndent) {
  Control* tree = Make(ControlClass::kTree, kStyleNone, 10, 10, 200, 100, "");
  tree->SetTreePaths({"abcdefgh"}, '/');
  const int flat = tree->MeasureText().text_width;
  tree->SetTreePaths({"a/b/c/abcdefgh"}, '/');
  const int deep = tree->MeasureText().text_width;
  EXPECT_GT(deep, flat + 2 * MulDiv(16, GetDpiForSystem(), 96));
  Control* list = Make(ControlClass::kList, kStyleNone, 10, 120, 100, 60, "");
  list->SetItems({"short", std::string(60, 'W')});
  EXPECT_FALSE(list->MeasureText().Fits());  // a line too long for its list is seen
}

// The menu bar's names stand on one row at the window's width.
TEST_F(Win32TextFitTest, TheMenuBarsNamesFitOneRow) {
  const std::array<MenuItem, 4> menu = {{{"&File", "E&xit", 1, 0},
                                         {"&Backup", "&Start Backup Now", 2, 'B'},
                                         {"&Restore", "Restore &Files...", 3, 0},
                                         {"&Help", "&About Quillstone", 4, 0}}};
  window_->SetMenu(menu);
  const HWND hwnd = FindWindowW(L"Quillstone", L"Quillstone text fit");
  MENUBARINFO bar = {};
  bar.cbSize = sizeof bar;
  ASSERT_TRUE(GetMenuBarInfo(hwnd, OBJID_MENU, 0, &bar));
  const int row = GetSystemMetricsForDpi(SM_CYMENU, GetDpiForWindow(hwnd));
  EXPECT_LE(bar.rcBar.bottom - bar.rcBar.top, row + 1);
  MENUBARINFO last = {};
  last.cbSize = sizeof last;
  ASSERT_TRUE(GetMenuBarInfo(hwnd, OBJID_MENU, 4, &last));
  EXPECT_EQ(bar.rcBar.top, last.rcBar.top);  // "Help" on the first row
}

}  // namespace
}  // namespace qs
