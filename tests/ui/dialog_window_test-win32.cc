// The Win32 dialogs beside the main window, and the list and tree controls, against real USER32
// windows, driven by the messages the system would send them through the window's own loop.
#include <windows.h>
// <windows.h> names CreateDialogW so; the seam's member keeps its own name.
#undef CreateDialog
#include <commctrl.h>
#include <gtest/gtest.h>

#include <thread>

#include "app/window_controls.h"
#include "os/win32/win32_text.h"

namespace qs {
namespace {

class Events : public WindowEvents {
 public:
  void OnCommand(int id) override { commands.push_back(id); }
  void OnClose() override { ++closes; }
  std::vector<int> commands;
  int closes = 0;
};

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

std::wstring TextOf(HWND hwnd) {
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  return text;
}

const ControlLayout kPatternField{ControlClass::kEdit,
                                  "",
                                  kStyleBorder | kStyleAutoHScroll | kStyleNotifyChange,
                                  10,
                                  10,
                                  250,
                                  25,
                                  11};
const ControlLayout kPlainField{
    ControlClass::kEdit, "", kStyleBorder | kStyleAutoHScroll, 10, 40, 250, 25, 12};
const ControlLayout kAddButton{ControlClass::kButton, "", kStyleDefault, 270, 10, 100, 25, 13};
const ControlLayout kCloseButton{ControlClass::kButton, "", kStyleNone, 270, 40, 100, 25, 14};
const ControlLayout kList{ControlClass::kList, "", kStyleNone, 10, 80, 360, 100, 15};
const ControlLayout kTree{ControlClass::kTree, "", kStyleNone, 10, 190, 360, 150, 16};

class Win32DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    window_ = CreateMainWindow("Quillstone dialog test", 620, 600, main_events_, &error);
    ASSERT_NE(nullptr, window_) << error;
    main_hwnd_ = FindWindowW(L"Quillstone", L"Quillstone dialog test");
    dialog_ = window_->CreateDialog("Exclusions", 380, 350, events_);
    ASSERT_NE(nullptr, dialog_);
    hwnd_ = FindWindowW(L"QuillstoneDialog", L"Exclusions");
    ASSERT_NE(nullptr, hwnd_);
    pattern_ = dialog_->CreateControl(kPatternField, "");
    plain_ = dialog_->CreateControl(kPlainField, "");
    add_ = dialog_->CreateControl(kAddButton, "&Add");
    dialog_->CreateControl(kCloseButton, "Close");
    list_ = dialog_->CreateControl(kList, "");
    tree_ = dialog_->CreateControl(kTree, "");
    children_ = Children(hwnd_);
    ASSERT_EQ(6u, children_.size());
  }

  void TearDown() override {
    dialog_.reset();
    window_.reset();
  }

  void Loop() {
    PostQuitMessage(0);
    EXPECT_EQ(0, window_->RunMessageLoop());
  }

  void Key(HWND to, WPARAM key) {
    PostMessageW(to, WM_KEYDOWN, key, 1);
    PostMessageW(to, WM_KEYUP, key, 0xC0000001);
  }

  Events main_events_, events_;
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<DialogWindow> dialog_;
  HWND main_hwnd_ = nullptr, hwnd_ = nullptr;
  Control *pattern_ = nullptr, *plain_ = nullptr, *add_ = nullptr, *list_ = nullptr,
          *tree_ = nullptr;
  std::vector<HWND> children_;
};

TEST_F(Win32DialogTest, TheDialogIsOwnedHasItsClientSizeAndPlacesItsRows) {
  EXPECT_EQ(main_hwnd_, GetWindow(hwnd_, GW_OWNER));
  const int dpi = static_cast<int>(GetDpiForWindow(hwnd_));
  RECT client = {};
  GetClientRect(hwnd_, &client);
  EXPECT_EQ(MulDiv(380, dpi, 96), client.right);
  EXPECT_EQ(MulDiv(350, dpi, 96), client.bottom);
  const LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
  EXPECT_NE(0, style & WS_CAPTION);
  EXPECT_EQ(0, style & WS_THICKFRAME);  // no resize
  RECT add = {};
  GetWindowRect(children_[2], &add);
  MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&add), 2);
  EXPECT_EQ(MulDiv(270, dpi, 96), add.left);
  EXPECT_EQ(MulDiv(10, dpi, 96), add.top);
  EXPECT_EQ(L"&Add", TextOf(children_[2]));
  EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongPtrW(children_[2], GWL_STYLE) & BS_TYPEMASK);
  EXPECT_EQ(BS_PUSHBUTTON, GetWindowLongPtrW(children_[3], GWL_STYLE) & BS_TYPEMASK);

  EXPECT_FALSE(dialog_->Shown());
  dialog_->Show();
  EXPECT_TRUE(dialog_->Shown());
  dialog_->Hide();
  EXPECT_FALSE(dialog_->Shown());
}

// A click goes to the dialog's events, not the main window's; so do its close request and
// Escape. Enter presses the default button, unless that is disabled.
TEST_F(Win32DialogTest, ClicksCloseEscapeAndEnterReachTheDialogsEvents) {
  SendMessageW(children_[3], BM_CLICK, 0, 0);
  EXPECT_EQ(std::vector<int>{14}, events_.commands);
  PostMessageW(hwnd_, WM_CLOSE, 0, 0);
  Key(children_[1], VK_ESCAPE);
  Loop();
  EXPECT_EQ(2, events_.closes);
  EXPECT_EQ(0, main_events_.closes);
  EXPECT_TRUE(IsWindow(hwnd_));  // the close request is the program's to answer

  Key(children_[1], VK_RETURN);
  Loop();
  EXPECT_EQ((std::vector<int>{14, 13}), events_.commands);
  add_->Enable(false);
  Key(children_[1], VK_RETURN);
  Loop();
  EXPECT_EQ((std::vector<int>{14, 13}), events_.commands);
  EXPECT_TRUE(main_events_.commands.empty());
}

TEST_F(Win32DialogTest, TabMovesThroughTheDialogsControls) {
  dialog_->Show();
  SetFocus(children_[0]);
  ASSERT_EQ(children_[0], GetFocus());
  Key(children_[0], VK_TAB);
  Loop();
  EXPECT_EQ(children_[1], GetFocus());
  Key(children_[1], VK_TAB);
  Loop();
  EXPECT_EQ(children_[2], GetFocus());
}

// Typing in a field that asks for it sends its command at each change; the program's own text
// does not, nor does typing in another field.
TEST_F(Win32DialogTest, AFieldThatAsksSendsItsCommandAtEachTypedChange) {
  PostMessageW(children_[0], WM_CHAR, 'x', 1);
  PostMessageW(children_[0], WM_CHAR, 'y', 1);
  PostMessageW(children_[1], WM_CHAR, 'z', 1);
  Loop();
  EXPECT_EQ((std::vector<int>{11, 11}), events_.commands);
  EXPECT_EQ("xy", pattern_->GetText(100));
  EXPECT_EQ("z", plain_->GetText(100));
  pattern_->SetText("*.tmp");
  EXPECT_EQ((std::vector<int>{11, 11}), events_.commands);
  EXPECT_EQ("*.tmp", pattern_->GetText(100));
}

TEST_F(Win32DialogTest, AListShowsItsLinesAndSendsItsCommandWhenTheUserSelects) {
  list_->SetItems({"2026-12-09 08:15  ok", "2026-12-08 08:15  3 failed", "Zoë 文書"});
  EXPECT_EQ(3, SendMessageW(children_[4], LB_GETCOUNT, 0, 0));
  EXPECT_EQ(-1, list_->SelectedItem());
  EXPECT_EQ("", list_->GetText(100));
  list_->SelectItem(2);
  EXPECT_EQ(2, list_->SelectedItem());
  EXPECT_EQ("Zoë 文書", list_->GetText(100));
  EXPECT_EQ("Zo", list_->GetText(3));
  list_->SelectItem(3);
  EXPECT_EQ(-1, list_->SelectedItem());
  EXPECT_TRUE(events_.commands.empty());  // a selection by program is no user's

  list_->SelectItem(0);
  SendMessageW(children_[4], WM_KEYDOWN, VK_DOWN, 1);  // the user moves down a line
  EXPECT_EQ(1, list_->SelectedItem());
  EXPECT_EQ("2026-12-08 08:15  3 failed", list_->GetText(100));
  EXPECT_EQ(std::vector<int>{15}, events_.commands);
  list_->SetItems({"one"});
  EXPECT_EQ(-1, list_->SelectedItem());
}

HTREEITEM Item(HWND tree, HTREEITEM from, UINT relation) {
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(from)));
}

std::wstring Label(HWND tree, HTREEITEM item) {
  wchar_t text[64] = {};
  TVITEMW get = {};
  get.mask = TVIF_TEXT;
  get.hItem = item;
  get.pszText = text;
  get.cchTextMax = 64;
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&get));
  return text;
}

std::vector<std::wstring> Labels(HWND tree, HTREEITEM first) {
  std::vector<std::wstring> labels;
  for (HTREEITEM item = first; item != nullptr; item = Item(tree, item, TVGN_NEXT))
    labels.push_back(Label(tree, item));
  return labels;
}

TEST_F(Win32DialogTest, ATreeHoldsThePathsAndATickedFolderStandsForAllBelow) {
  const HWND tree = children_[5];
  EXPECT_NE(0, GetWindowLongPtrW(tree, GWL_STYLE) & TVS_CHECKBOXES);
  tree_->SetTreePaths({"docs", "docs/a.txt", "docs/sub/b.txt", "docs/sub/c.txt", "music/d.mp3"},
                      '/');
  const HTREEITEM docs = Item(tree, nullptr, TVGN_ROOT);
  EXPECT_EQ((std::vector<std::wstring>{L"docs", L"music"}), Labels(tree, docs));
  const HTREEITEM a = Item(tree, docs, TVGN_CHILD);
  EXPECT_EQ((std::vector<std::wstring>{L"a.txt", L"sub"}), Labels(tree, a));
  const HTREEITEM sub = Item(tree, a, TVGN_NEXT);
  const HTREEITEM b = Item(tree, sub, TVGN_CHILD);
  EXPECT_EQ((std::vector<std::wstring>{L"b.txt", L"c.txt"}), Labels(tree, b));
  EXPECT_EQ(0u, SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(docs),
                             TVIS_EXPANDED));  // the top level shown, nothing open
  EXPECT_TRUE(tree_->TickedPaths().empty());

  // The user ticks a box with the space bar.
  auto tick = [&](HTREEITEM item) {
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    Key(tree, VK_SPACE);
    Loop();
  };
  tick(docs);
  EXPECT_EQ(std::vector<std::string>{"docs"}, tree_->TickedPaths());
  tick(b);  // unticked: "docs" and "docs/sub" no longer stand for all below
  EXPECT_EQ((std::vector<std::string>{"docs/a.txt", "docs/sub/c.txt"}), tree_->TickedPaths());
  tick(Item(tree, docs, TVGN_NEXT));
  EXPECT_EQ((std::vector<std::string>{"docs/a.txt", "docs/sub/c.txt", "music"}),
            tree_->TickedPaths());

  // From another thread too, with every box unticked again.
  std::vector<std::string> ticked = {"not read"};
  std::thread other([&] {
    tree_->SetTreePaths({"x/y"}, '/');
    ticked = tree_->TickedPaths();
    list_->SetItems({"a", "b"});
    list_->SelectItem(1);
    window_->Destroy();
  });
  window_->RunMessageLoop();
  other.join();
  EXPECT_TRUE(ticked.empty());
}

}  // namespace
}  // namespace qs
