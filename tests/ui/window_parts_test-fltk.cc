// The FLTK window's menu bar, dialogs, lists, trees and drops under Xvfb, driven through
// FLTK's own event dispatch.
// gtest before X11's headers (FLTK's include them), whose macros (None, Bool) would break it.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include <FL/Fl.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Return_Button.H>
#include <FL/x.H>

#include <array>

#include "app/control_table.h"
#include "tests/ui/fltk_test_events.h"

namespace qs {
namespace {

using test::ClickAt;
using test::NthWidget;
using test::RecordedEvents;
using test::WindowTest;

const MenuItem kMenu[] = {
    {"&File", "Choose &Source Folder...", 101, 'S'},
    {"&File", nullptr, 0, 0},
    {"&File", "E&xit", 102, 0},
    {"&Tools", "Restore a/b \\ c...", 103, 'R'},
};
const ControlLayout kField{ControlClass::kEdit, "", kStyleBorder, 10, 40, 200, 22, 7};

TEST_F(WindowTest, TheMenuBarGrowsTheWindowAndPutsTheControlsBelowIt) {
  window_->SetMenu(kMenu);
  window_->CreateControl(kField, "");
  Fl_Window* main = ShowMain();
  ASSERT_NE(nullptr, main);
  auto* bar = NthWidget<Fl_Menu_Bar>(main);
  ASSERT_NE(nullptr, bar);
  EXPECT_GT(bar->h(), 0);
  EXPECT_EQ(0, bar->y());
  EXPECT_EQ(kWindowWidth, bar->w());
  EXPECT_EQ(kWindowHeight + bar->h(), main->h());
  Fl_Input* field = NthWidget<Fl_Input>(main);
  ASSERT_NE(nullptr, field);
  EXPECT_EQ(kField.y + bar->h(), field->y());
  EXPECT_EQ(kField.x, field->x());
}

TEST_F(WindowTest, WithoutAMenuTheControlsKeepTheirTablePlaces) {
  window_->CreateControl(kField, "");
  Fl_Window* main = ShowMain();
  ASSERT_NE(nullptr, main);
  EXPECT_EQ(nullptr, NthWidget<Fl_Menu_Bar>(main));
  EXPECT_EQ(kWindowHeight, main->h());
  EXPECT_EQ(kField.y, NthWidget<Fl_Input>(main)->y());
}

TEST_F(WindowTest, MenuItemsKeepTheirLabelsAndSendTheirCommands) {
  window_->SetMenu(kMenu);
  Fl_Window* main = ShowMain();
  ASSERT_NE(nullptr, main);
  auto* bar = NthWidget<Fl_Menu_Bar>(main);
  ASSERT_NE(nullptr, bar);
  const Fl_Menu_Item* source = bar->find_item("&File/Choose &Source Folder...");
  ASSERT_NE(nullptr, source);
  EXPECT_TRUE(source->flags & FL_MENU_DIVIDER) << "the separator below it is missing";
  EXPECT_EQ(FL_CTRL + 's', source->shortcut());
  const Fl_Menu_Item* restore = nullptr;
  for (int i = 0; i < bar->size(); ++i)
    if (bar->menu()[i].label() != nullptr &&
        std::string(bar->menu()[i].label()) == "Restore a/b \\ c...")
      restore = &bar->menu()[i];
  ASSERT_NE(nullptr, restore) << "a '/' or '\\' split the label";
  EXPECT_FALSE(restore->flags & FL_MENU_DIVIDER);

  bar->picked(bar->find_item("&File/E&xit"));
  EXPECT_EQ(std::vector<int>{102}, events_.commands);
  // Ctrl+R, as the keyboard sends it with no widget taking it.
  test::PressKey(main, 'r', FL_CTRL);
  EXPECT_EQ((std::vector<int>{102, 103}), events_.commands);
  test::PressKey(main, 'r');  // without Ctrl: nothing
  EXPECT_EQ(2u, events_.commands.size());
}

TEST_F(WindowTest, AFieldTakesDroppedPathsInsteadOfTheirText) {
  Control* control = window_->CreateControl(kField, "before");
  Fl_Window* main = ShowMain();
  ASSERT_NE(nullptr, main);
  Fl_Input* field = NthWidget<Fl_Input>(main);
  ASSERT_NE(nullptr, field);
  static char uris[] = "file:///home/ann/My%20Photos\r\nfile:///tmp/x\r\n";
  EXPECT_EQ(1, field->handle(FL_DND_ENTER));
  EXPECT_EQ(1, field->handle(FL_DND_DRAG));
  EXPECT_EQ(1, field->handle(FL_DND_RELEASE));
  Fl::e_text = uris;
  Fl::e_length = static_cast<int>(sizeof uris - 1);
  field->handle(FL_PASTE);
  EXPECT_EQ(control, events_.dropped_on);
  ASSERT_EQ(1u, events_.dropped.size());
  EXPECT_EQ((std::vector<std::string>{"/home/ann/My Photos", "/tmp/x"}), events_.dropped[0]);
  EXPECT_EQ("before", control->GetText(100));
  // A paste that no drop brought (Ctrl+V) is text, as before.
  static char words[] = "typed";
  Fl::e_text = words;
  Fl::e_length = 5;
  field->position(field->size());
  field->handle(FL_PASTE);
  EXPECT_EQ("beforetyped", control->GetText(100));
  EXPECT_EQ(1u, events_.dropped.size());
}

// A dialog of two controls, shown above the main window: a default button (id 21) and a
// field that tells of each change (id 22).
class DialogTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    main_ = ShowMain();
    ASSERT_NE(nullptr, main_);
    dialog_ = window_->CreateDialog("Restore", 300, 200, dialog_events_);
    ASSERT_NE(nullptr, dialog_);
    dialog_->CreateControl({ControlClass::kButton, "OK", kStyleDefault, 200, 160, 80, 26, 21},
                           "OK");
    name_ = dialog_->CreateControl(
        {ControlClass::kEdit, "", kStyleBorder | kStyleNotifyChange, 10, 10, 200, 22, 22}, "");
    EXPECT_FALSE(dialog_->Shown());
    dialog_->Show();
    test::LetDraw();
    shown_ = test::ShownWindow("Restore");
    ASSERT_NE(nullptr, shown_);
  }
  void TearDown() override {
    dialog_.reset();
    WindowTest::TearDown();
  }

  Fl_Window* main_ = nullptr;
  RecordedEvents dialog_events_;
  std::unique_ptr<DialogWindow> dialog_;
  Control* name_ = nullptr;
  Fl_Window* shown_ = nullptr;
};

TEST_F(DialogTest, ADialogStaysAboveTheMainWindowAndAsksToCloseOnEscape) {
  EXPECT_TRUE(dialog_->Shown());
  EXPECT_EQ(300, shown_->w());
  EXPECT_EQ(200, shown_->h());
  EXPECT_FALSE(shown_->modal());
  Window owner = 0;
  ASSERT_NE(0, XGetTransientForHint(fl_display, fl_xid(shown_), &owner));
  EXPECT_EQ(fl_xid(main_), owner);

  test::PressKey(shown_, FL_Escape);
  EXPECT_EQ(1, dialog_events_.closes);
  Fl::handle(FL_CLOSE, shown_);  // the window manager's close button
  EXPECT_EQ(2, dialog_events_.closes);
  EXPECT_EQ(0, events_.closes);
  dialog_->Hide();
  EXPECT_FALSE(dialog_->Shown());
  // Escape in the main window is no close request.
  test::PressKey(main_, FL_Escape);
  EXPECT_EQ(0, events_.closes);
}

TEST_F(DialogTest, ItsControlsSendTheirCommandsToIt) {
  // A click on the default button, Enter in the field, a change of the field's text.
  ClickAt(shown_, 240, 173);
  EXPECT_EQ(std::vector<int>{21}, dialog_events_.commands);
  EXPECT_TRUE(NthWidget<Fl_Return_Button>(shown_) != nullptr);
  Fl::focus(NthWidget<Fl_Input>(shown_));
  test::PressKey(shown_, FL_Enter);
  EXPECT_EQ((std::vector<int>{21, 21}), dialog_events_.commands);
  static char letter[] = "a";
  Fl::e_keysym = 'a';
  Fl::e_state = 0;
  Fl::e_text = letter;
  Fl::e_length = 1;
  Fl::handle(FL_KEYBOARD, shown_);
  EXPECT_EQ("a", name_->GetText(10));
  EXPECT_EQ((std::vector<int>{21, 21, 22}), dialog_events_.commands);
  EXPECT_TRUE(events_.commands.empty()) << "a dialog's click reached the main window";
}

}  // namespace
}  // namespace qs
