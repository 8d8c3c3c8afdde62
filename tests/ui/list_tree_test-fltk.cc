// Lists, tick trees and labels of the FLTK window's dialogs under Xvfb, driven through FLTK's
// own event dispatch, and used from another thread.
// gtest before X11's headers (FLTK's include them), whose macros (None, Bool) would break it.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Tree.H>
#include <FL/fl_draw.H>

#include <atomic>
#include <thread>

#include "tests/ui/fltk_test_events.h"

namespace qs {
namespace {

using test::ClickAt;
using test::NthWidget;
using test::RecordedEvents;
using test::WindowTest;

TEST_F(WindowTest, AListSelectsOneLineAndTellsOfTheUsersChoice) {
  Fl_Window* main = ShowMain();
  ASSERT_NE(nullptr, main);
  RecordedEvents dialog_events;
  std::unique_ptr<DialogWindow> dialog = window_->CreateDialog("Versions", 300, 200, dialog_events);
  Control* list =
      dialog->CreateControl({ControlClass::kList, "", kStyleBorder, 10, 10, 280, 120, 31}, "");
  list->SetItems({"first", "second @b", "third"});
  EXPECT_EQ(-1, list->SelectedItem());
  EXPECT_EQ("", list->GetText(100));
  list->SelectItem(1);
  EXPECT_EQ(1, list->SelectedItem());
  EXPECT_EQ("second @b", list->GetText(100));
  EXPECT_EQ("sec", list->GetText(4));
  list->SelectItem(3);
  EXPECT_EQ(-1, list->SelectedItem());
  EXPECT_TRUE(dialog_events.commands.empty()) << "selecting from the program is no command";

  dialog->Show();
  test::LetDraw();
  Fl_Window* shown = test::ShownWindow("Versions");
  ASSERT_NE(nullptr, shown);
  auto* browser = NthWidget<Fl_Hold_Browser>(shown);
  ASSERT_NE(nullptr, browser);
  EXPECT_EQ(0, browser->format_char());
  fl_font(browser->textfont(), browser->textsize());
  ClickAt(shown, 40, 10 + Fl::box_dy(browser->box()) + static_cast<int>(fl_height() * 2.5));
  EXPECT_EQ(2, list->SelectedItem());
  EXPECT_EQ("third", list->GetText(100));
  EXPECT_EQ(std::vector<int>{31}, dialog_events.commands);
  // A click on the line already selected changes nothing and sends nothing.
  ClickAt(shown, 40, 10 + Fl::box_dy(browser->box()) + static_cast<int>(fl_height() * 2.5));
  EXPECT_EQ(std::vector<int>{31}, dialog_events.commands);
  list->SetItems({"only"});
  EXPECT_EQ(-1, list->SelectedItem());
  dialog->Hide();
}

TEST_F(WindowTest, ATreeTicksFoldersWithWhatTheyHold) {
  Fl_Window* main = ShowMain();
  ASSERT_NE(nullptr, main);
  RecordedEvents dialog_events;
  std::unique_ptr<DialogWindow> dialog = window_->CreateDialog("Pick", 300, 300, dialog_events);
  Control* tree =
      dialog->CreateControl({ControlClass::kTree, "", kStyleBorder, 10, 10, 280, 280, 0}, "");
  tree->SetTreePaths({"docs/a.txt", "docs/b.txt", "docs/old/c.txt", "notes.txt"}, '/');
  EXPECT_TRUE(tree->TickedPaths().empty());
  dialog->Show();
  test::LetDraw();
  Fl_Window* shown = test::ShownWindow("Pick");
  ASSERT_NE(nullptr, shown);
  auto* widget = NthWidget<Fl_Tree>(shown);
  ASSERT_NE(nullptr, widget);
  Fl_Tree_Item* docs = widget->find_item("docs");
  ASSERT_NE(nullptr, docs);
  EXPECT_TRUE(docs->is_close()) << "only the top level is shown at first";
  auto click = [&](const char* path) {
    Fl_Tree_Item* item = widget->find_item(path);
    ASSERT_NE(nullptr, item) << path;
    // Where it is is known once it has been drawn; a busy machine may take a while.
    for (int i = 0; i < 100 && item->label_w() == 0; ++i) test::LetDraw();
    ASSERT_GT(item->label_w(), 0) << path << " was never drawn";
    ClickAt(shown, item->label_x() + 2, item->label_y() + item->label_h() / 2);
  };
  click("docs");
  EXPECT_EQ(std::vector<std::string>{"docs"}, tree->TickedPaths());
  docs->open();
  widget->find_item("docs/old")->open();
  test::LetDraw();
  click("docs/old/c.txt");  // unticks the folders above it
  EXPECT_EQ((std::vector<std::string>{"docs/a.txt", "docs/b.txt"}), tree->TickedPaths());
  click("notes.txt");
  click("docs/a.txt");
  EXPECT_EQ((std::vector<std::string>{"docs/b.txt", "notes.txt"}), tree->TickedPaths());
  click("docs/old");
  EXPECT_EQ((std::vector<std::string>{"docs/b.txt", "docs/old", "notes.txt"}), tree->TickedPaths());
  tree->SetTreePaths({"x/y"}, '/');
  EXPECT_TRUE(tree->TickedPaths().empty());
  dialog->Hide();
}

TEST_F(WindowTest, ALabelTurnsRedAndBack) {
  RecordedEvents dialog_events;
  std::unique_ptr<DialogWindow> dialog = window_->CreateDialog("Alert", 200, 60, dialog_events);
  Control* label =
      dialog->CreateControl({ControlClass::kStatic, "", kStyleNone, 10, 10, 180, 20, 0}, "x");
  dialog->Show();
  test::LetDraw();
  Fl_Window* shown = test::ShownWindow("Alert");
  ASSERT_NE(nullptr, shown);
  Fl_Box* box = NthWidget<Fl_Box>(shown);
  ASSERT_NE(nullptr, box);
  const Fl_Color usual = box->labelcolor();
  label->SetAlert(true);
  EXPECT_EQ(fl_rgb_color(200, 0, 0), box->labelcolor());
  label->SetAlert(false);
  EXPECT_EQ(usual, box->labelcolor());
  dialog->Hide();
}

// Another thread fills and reads a list and a tree while the window thread handles events.
TEST_F(WindowTest, ListsAndTreesWorkFromAnotherThread) {
  RecordedEvents dialog_events;
  std::unique_ptr<DialogWindow> dialog = window_->CreateDialog("Worker", 300, 300, dialog_events);
  Control* list =
      dialog->CreateControl({ControlClass::kList, "", kStyleBorder, 10, 10, 280, 100, 0}, "");
  Control* tree =
      dialog->CreateControl({ControlClass::kTree, "", kStyleBorder, 10, 120, 280, 170, 0}, "");
  dialog->Show();
  std::atomic<bool> done{false};
  int selected = -2;
  std::string text;
  size_t ticked = 99;
  std::thread worker([&] {
    list->SetItems({"a", "b"});
    list->SelectItem(1);
    selected = list->SelectedItem();
    text = list->GetText(10);
    tree->SetTreePaths({"d/e", "f"}, '/');
    ticked = tree->TickedPaths().size();
    done = true;
  });
  for (int i = 0; i < 500 && !done; ++i) Fl::wait(0.01);
  worker.join();
  EXPECT_EQ(1, selected);
  EXPECT_EQ("b", text);
  EXPECT_EQ(0u, ticked);
  dialog->Hide();
}

}  // namespace
}  // namespace qs
