// The folder and file choosers under Xvfb, FLTK's own chooser (the desktop's GTK one, where
// installed, runs an event loop of its own that a test cannot reach; the picture-taking stand
// shows it): titled, at the folder given; what is chosen comes back, a cancel gives nothing.
// gtest before X11's headers (FLTK's include them), whose macros (None, Bool) would break it.
// clang-format off
#include <gtest/gtest.h>
// clang-format on
#include <FL/Fl.H>
#include <FL/Fl_File_Browser.H>
#include <FL/Fl_File_Input.H>
#include <FL/Fl_Return_Button.H>

#include <filesystem>
#include <vector>

#include "app/control_table.h"
#include "tests/support/test_support.h"
#include "tests/ui/fltk_test_events.h"

namespace qs {
namespace {

template <class T>
T* FindBelow(Fl_Group* group) {
  for (int i = 0; i < group->children(); ++i) {
    if (auto* found = dynamic_cast<T*>(group->child(i))) return found;
    if (Fl_Group* inner = group->child(i)->as_group())
      if (T* found = FindBelow<T>(inner)) return found;
  }
  return nullptr;
}

// What the user does in the chooser once it is up: types a name and presses OK, or closes it.
struct ChooserUser {
  std::string title;
  std::string typed;  // empty: closes the chooser
  std::string shown_at;
  bool seen = false;
  int tries = 0;
  bool lists_folders_only = false;
};

void ActInChooser(void* data) {
  auto* user = static_cast<ChooserUser*>(data);
  Fl_Window* chooser = test::ShownWindow(user->title);
  if (chooser == nullptr && ++user->tries < 100)
    return Fl::repeat_timeout(0.05, &ActInChooser, data);
  if (chooser == nullptr) {  // not under its title: close whatever opened, so the test ends
    std::vector<Fl_Window*> others;
    for (Fl_Window* w = Fl::first_window(); w != nullptr; w = Fl::next_window(w))
      if (w->label() == nullptr || std::string(w->label()) != kWindowCaption) others.push_back(w);
    for (Fl_Window* w : others) w->do_callback();
    return;
  }
  user->seen = true;
  if (auto* list = FindBelow<Fl_File_Browser>(chooser))
    user->lists_folders_only = list->filetype() == Fl_File_Browser::DIRECTORIES;
  auto* name = FindBelow<Fl_File_Input>(chooser);
  auto* ok = FindBelow<Fl_Return_Button>(chooser);
  if (name == nullptr || ok == nullptr || user->typed.empty()) return chooser->do_callback();
  user->shown_at = name->value();
  name->value(user->typed.c_str());
  ok->do_callback();
}

class ChooserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    window_ = CreateMainWindow(kWindowCaption, kWindowWidth, kWindowHeight, events_, &error);
    ASSERT_NE(nullptr, window_) << error;
    window_->Show();
    test::LetDraw();
    Fl::option(Fl::OPTION_FNFC_USES_GTK, false);
  }
  void TearDown() override {
    Fl::option(Fl::OPTION_FNFC_USES_GTK, true);
    if (window_ != nullptr) window_->Destroy();
  }
  test::RecordedEvents events_;
  std::unique_ptr<MainWindow> window_;
};

TEST_F(ChooserTest, TheChosenFolderOrFileComesBack) {
  test::ScopedTempDir dir;
  std::filesystem::create_directory(dir.path() + "/photos");
  ChooserUser user{"Choose the source folder", dir.path() + "/photos", "", false, 0, false};
  Fl::add_timeout(0.05, &ActInChooser, &user);
  EXPECT_EQ(dir.path() + "/photos", window_->ChooseFolder(user.title, dir.path()));
  EXPECT_TRUE(user.seen);
  EXPECT_EQ(0u, user.shown_at.rfind(dir.path(), 0)) << "opened at " << user.shown_at;
  EXPECT_TRUE(user.lists_folders_only);

  test::WriteFile(dir.path() + "/notes.txt", "x");
  ChooserUser file_user{"Choose a file", dir.path() + "/notes.txt", "", false, 0, false};
  Fl::add_timeout(0.05, &ActInChooser, &file_user);
  EXPECT_EQ(dir.path() + "/notes.txt", window_->ChooseFile(file_user.title, dir.path()));
  EXPECT_TRUE(file_user.seen);
  EXPECT_FALSE(file_user.lists_folders_only);
}

TEST_F(ChooserTest, ACancelGivesNothing) {
  test::ScopedTempDir dir;
  ChooserUser user{"Choose the target folder", "", "", false, 0, false};
  Fl::add_timeout(0.05, &ActInChooser, &user);
  EXPECT_EQ(std::nullopt, window_->ChooseFolder(user.title, dir.path()));
  EXPECT_TRUE(user.seen);
}

}  // namespace
}  // namespace qs
