// The texts of a dialog's controls of every kind, and the menu bar's labels, fit the room
// their boxes give them, in the fonts FLTK draws them in (under Xvfb).
// gtest before X11's headers (FLTK's include them), whose macros (None, Bool) would break it.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include <FL/Fl.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Tree.H>
#include <FL/fl_draw.H>

#include "app/control_table.h"
#include "tests/ui/fltk_test_events.h"

namespace qs {
namespace {

std::string Describe(const TextFit& fit) {
  return "takes " + std::to_string(fit.text_width) + "x" + std::to_string(fit.text_height) +
         " px, has " + std::to_string(fit.room_width) + "x" + std::to_string(fit.room_height);
}

struct Row {
  ControlLayout layout;
  std::string text;
};

TEST(DialogTextFitTest, EveryKindOfControlHoldsItsText) {
  test::RecordedEvents events;
  std::string error;
  auto window = CreateMainWindow(kWindowCaption, kWindowWidth, kWindowHeight, events, &error);
  ASSERT_NE(nullptr, window) << error;
  auto dialog = window->CreateDialog("Every kind", 420, 400, events);
  const Row rows[] = {
      {{ControlClass::kStatic, "", kStyleNone, 10, 10, 200, 20, 0}, "Restore to this folder:"},
      {{ControlClass::kStatic, "", kStyleAlert, 220, 10, 190, 20, 0}, "The folder is not empty"},
      {{ControlClass::kEdit, "", kStyleBorder | kStyleNotifyChange, 10, 35, 400, 22, 1}, "Ág"},
      {{ControlClass::kButton, "", kStyleAutoCheckBox, 10, 62, 250, 22, 2}, "Keep 12 months"},
      {{ControlClass::kButton, "", kStyleNone, 10, 360, 100, 26, 3}, "Cancel"},
      {{ControlClass::kButton, "", kStyleDefault, 300, 360, 110, 26, 4}, "Restore"},
      {{ControlClass::kList, "", kStyleBorder | kStyleVScroll, 10, 90, 400, 110, 5}, ""},
      {{ControlClass::kTree, "", kStyleBorder, 10, 205, 400, 150, 0}, ""},
  };
  std::vector<Control*> controls;
  for (const Row& row : rows) controls.push_back(dialog->CreateControl(row.layout, row.text));
  controls[6]->SetItems({"Latest", "2026-12-09 08:15  3 failed", "2026-12-08 08:15  succeeded"});
  controls[7]->SetTreePaths(
      {"letters/2026/december/hello.txt", "letters/2026/notes about the garden.txt", "x.txt"}, '/');
  dialog->Show();
  test::LetDraw();
  // Open the deepest folder, as a user would to tick a file in it.
  Fl_Window* shown = test::ShownWindow("Every kind");
  ASSERT_NE(nullptr, shown);
  auto* tree = test::NthWidget<Fl_Tree>(shown);
  const int closed_width = controls[7]->MeasureText().text_width;
  for (const char* folder : {"letters", "letters/2026", "letters/2026/december"})
    tree->find_item(folder)->open();
  EXPECT_GT(controls[7]->MeasureText().text_width, closed_width)
      << "an open folder's deeper labels were not measured";
  // The widest label as FLTK drew it, from the tree's left edge.
  tree->redraw();
  test::LetDraw();
  int drawn = 0;
  fl_font(tree->item_labelfont(), tree->item_labelsize());
  for (Fl_Tree_Item* item = tree->first(); item != nullptr; item = tree->next(item))
    if (item != tree->root() && item->visible_r())
      drawn =
          std::max(drawn, item->label_x() - tree->x() + static_cast<int>(fl_width(item->label())));
  EXPECT_NEAR(drawn, controls[7]->MeasureText().text_width, 2);

  for (size_t i = 0; i < controls.size(); ++i) {
    const TextFit fit = controls[i]->MeasureText();
    if (rows[i].layout.controlClass != ControlClass::kEdit) {
      EXPECT_GT(fit.text_width, 0) << "control " << i << " was not measured";
    }
    EXPECT_GT(fit.text_height, 0) << "control " << i;
    EXPECT_TRUE(fit.Fits()) << "control " << i << " " << Describe(fit);
  }
  dialog->Hide();
  window->Destroy();
}

TEST(DialogTextFitTest, TheMenuBarsLabelsFitItsHeight) {
  test::RecordedEvents events;
  std::string error;
  auto window = CreateMainWindow(kWindowCaption, kWindowWidth, kWindowHeight, events, &error);
  ASSERT_NE(nullptr, window) << error;
  const MenuItem menu[] = {{"&File", "E&xit", 1, 0},
                           {"&Backup", "Start &Backup Now", 2, 'B'},
                           {"&Restore", "&Restore Files...", 3, 0},
                           {"&Help", "&About Quillstone", 4, 0}};
  window->SetMenu(menu);
  window->Show();
  test::LetDraw();
  Fl_Window* main = test::ShownWindow(kWindowCaption);
  ASSERT_NE(nullptr, main);
  auto* bar = test::NthWidget<Fl_Menu_Bar>(main);
  ASSERT_NE(nullptr, bar);
  fl_font(bar->textfont(), bar->textsize());
  int top_level = 0;
  for (const Fl_Menu_Item* item = bar->menu(); item != nullptr && item->label() != nullptr;
       item = item->next()) {
    int width = 0, height = 0;
    fl_measure(item->label(), width, height, 0);
    EXPECT_GT(width, 0) << item->label();
    EXPECT_LE(height, bar->h() - Fl::box_dh(bar->box())) << item->label();
    ++top_level;
  }
  EXPECT_EQ(4, top_level);
  window->Destroy();
}

}  // namespace
}  // namespace qs
