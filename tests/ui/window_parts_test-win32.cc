// The Win32 window's menu bar, shortcuts, drops, dialogs, lists and trees against real USER32
// windows that are never shown (but for the focus cases), driven by the messages the system
// would send them, through the window's own message loop.
#include <windows.h>
// <windows.h> names CreateDialogW so; the seam's member keeps its own name.
#undef CreateDialog
#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <array>
#include <cstring>
#include <thread>

#include "app/window_controls.h"
#include "os/win32/win32_text.h"

namespace qs {
namespace {

class Events : public WindowEvents {
 public:
  void OnCommand(int id) override { commands.push_back(id); }
  void OnClose() override { ++closes; }
  void OnDrop(Control& control, const std::vector<std::string>& paths) override {
    dropped_on.push_back(&control);
    dropped.push_back(paths);
  }
  std::vector<int> commands;
  int closes = 0;
  std::vector<Control*> dropped_on;
  std::vector<std::vector<std::string>> dropped;
};

const std::array<MenuItem, 6> kMenu = {{
    {"&File", "Choose &Source Folder...", 101, 0},
    {"&File", nullptr, 0, 0},
    {"&File", "E&xit", 102, 0},
    {"&Backup", "&Start Backup Now", 201, 'B'},
    {"&Backup", "&Dry Run", 202, 0},
    {"&Help", "&About Quillstone", 301, 0},
}};

const ControlLayout kField{
    ControlClass::kEdit, "", kStyleBorder | kStyleAutoHScroll, 10, 35, 400, 25, 0};
const ControlLayout kLabel{ControlClass::kStatic, "", kStyleNone, 10, 10, 200, 20, 0};
const ControlLayout kLog{ControlClass::kEdit,
                         "",
                         kStyleBorder | kStyleVScroll | kStyleMultiline | kStyleReadOnly,
                         10,
                         250,
                         580,
                         120,
                         0};

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

RECT InParent(HWND child) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring MenuText(HMENU menu, UINT position) {
  wchar_t text[128] = {};
  GetMenuStringW(menu, position, text, 128, MF_BYPOSITION);
  return text;
}

class Win32PartsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = Make("Quillstone parts test");
    ASSERT_NE(nullptr, window_);
    hwnd_ = FindWindowW(L"Quillstone", L"Quillstone parts test");
    ASSERT_NE(nullptr, hwnd_);
  }

  // Small enough for the screen at 150 %, which would cut a larger window to its size.
  std::unique_ptr<MainWindow> Make(const std::string& caption) {
    std::string error;
    auto window = CreateMainWindow(caption, 480, 400, events_, &error);
    EXPECT_NE(nullptr, window) << error;
    return window;
  }

  // Whatever is posted so far is handled by the window's own loop, which then returns.
  void Loop() {
    PostQuitMessage(0);
    EXPECT_EQ(0, window_->RunMessageLoop());
  }

  int Dpi() { return static_cast<int>(GetDpiForWindow(hwnd_)); }

  Events events_;
  std::unique_ptr<MainWindow> window_;
  HWND hwnd_ = nullptr;
};

TEST_F(Win32PartsTest, TheMenuBarHasTheEntriesAndTheWindowGrowsByItsHeight) {
  std::unique_ptr<MainWindow> plain = Make("Quillstone without a menu");
  const HWND plain_hwnd = FindWindowW(L"Quillstone", L"Quillstone without a menu");
  window_->SetMenu(kMenu);
  for (MainWindow* window : {window_.get(), plain.get()}) window->CreateControl(kField, "");

  RECT with = {}, without = {}, outer_with = {}, outer_without = {};
  GetClientRect(hwnd_, &with);
  GetClientRect(plain_hwnd, &without);
  EXPECT_EQ(without.right, with.right);
  EXPECT_EQ(without.bottom, with.bottom);  // the client area keeps its size
  GetWindowRect(hwnd_, &outer_with);
  GetWindowRect(plain_hwnd, &outer_without);
  const int menu_height = GetSystemMetricsForDpi(SM_CYMENU, static_cast<UINT>(Dpi()));
  EXPECT_GE(outer_with.bottom - outer_with.top,
            outer_without.bottom - outer_without.top + menu_height - 1);
  const RECT field = InParent(Children(hwnd_).at(0));
  const RECT plain_field = InParent(Children(plain_hwnd).at(0));
  EXPECT_EQ(plain_field.left, field.left);
  EXPECT_EQ(plain_field.top, field.top);

  const HMENU bar = GetMenu(hwnd_);
  ASSERT_NE(nullptr, bar);
  ASSERT_EQ(3, GetMenuItemCount(bar));
  EXPECT_EQ(L"&File", MenuText(bar, 0));
  EXPECT_EQ(L"&Backup", MenuText(bar, 1));
  EXPECT_EQ(L"&Help", MenuText(bar, 2));
  const HMENU file = GetSubMenu(bar, 0);
  ASSERT_EQ(3, GetMenuItemCount(file));
  EXPECT_EQ(L"Choose &Source Folder...", MenuText(file, 0));
  EXPECT_EQ(MF_SEPARATOR, GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(102u, GetMenuItemID(file, 2));
  EXPECT_EQ(L"&Start Backup Now\tCtrl+B", MenuText(GetSubMenu(bar, 1), 0));
  EXPECT_EQ(201u, GetMenuItemID(GetSubMenu(bar, 1), 0));
}

// Ctrl+B from a field of the main window, and the notice a chosen menu entry sends, reach the
// program as commands. (A menu opened here would wait for a user: the entries are clicked in
// tests/gui/windows_parts.sh.)
TEST_F(Win32PartsTest, TheShortcutAndTheMenuSendTheirCommands) {
  window_->SetMenu(kMenu);
  window_->CreateControl(kField, "");
  const HWND field = Children(hwnd_).at(0);
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  PostMessageW(field, WM_KEYDOWN, 'B', 1);
  Loop();
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(std::vector<int>{201}, events_.commands);

  PostMessageW(field, WM_KEYDOWN, 'B', 1);  // B alone is only a letter
  Loop();
  EXPECT_EQ(std::vector<int>{201}, events_.commands);

  PostMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(202, 0), 0);
  PostMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(0, 0), 0);  // no entry has id 0
  Loop();
  EXPECT_EQ((std::vector<int>{201, 202}), events_.commands);
}

// What the file manager sends: a DROPFILES block in global memory, the point in the window's
// client area.
HGLOBAL DropOf(POINT at, const std::vector<std::wstring>& paths) {
  std::wstring names;
  for (const std::wstring& path : paths) names += path + L'\0';
  names += L'\0';
  const size_t size = sizeof(DROPFILES) + names.size() * sizeof(wchar_t);
  const HGLOBAL memory = GlobalAlloc(GHND, size);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->pt = at;
  drop->fNC = FALSE;
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(),
              names.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  return memory;
}

POINT MiddleOf(HWND child) {
  const RECT rect = InParent(child);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

TEST_F(Win32PartsTest, PathsDroppedOnAFieldReachItAndDropsElsewhereAreIgnored) {
  Control* label = window_->CreateControl(kLabel, "Source Directory:");
  Control* field = window_->CreateControl(kField, "");
  window_->CreateControl(kLog, "");
  (void)label;
  const std::vector<HWND> children = Children(hwnd_);
  EXPECT_NE(0, GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES);

  const std::vector<std::wstring> paths = {L"C:\\Users\\Zoë\\文書", L"D:\\b"};
  PostMessageW(hwnd_, WM_DROPFILES, reinterpret_cast<WPARAM>(DropOf(MiddleOf(children[1]), paths)),
               0);
  PostMessageW(hwnd_, WM_DROPFILES,
               reinterpret_cast<WPARAM>(DropOf(MiddleOf(children[0]), {L"C:\\on the label"})), 0);
  PostMessageW(hwnd_, WM_DROPFILES,
               reinterpret_cast<WPARAM>(DropOf(MiddleOf(children[2]), {L"C:\\on the log"})), 0);
  PostMessageW(hwnd_, WM_DROPFILES,
               reinterpret_cast<WPARAM>(DropOf({450, 200}, {L"C:\\on the window"})), 0);
  Loop();
  ASSERT_EQ(1u, events_.dropped.size());
  EXPECT_EQ(field, events_.dropped_on[0]);
  EXPECT_EQ((std::vector<std::string>{"C:\\Users\\Zoë\\文書", "D:\\b"}), events_.dropped[0]);
}

// The reply a label's parent gives to WM_CTLCOLORSTATIC, in the colour it sets.
COLORREF TextColourOf(HWND label) {
  const HDC dc = CreateCompatibleDC(nullptr);
  SendMessageW(GetParent(label), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(label));
  const COLORREF colour = GetTextColor(dc);
  DeleteDC(dc);
  return colour;
}

TEST_F(Win32PartsTest, ALabelTurnsRedAndBackFromAnyThread) {
  Control* label = window_->CreateControl(kLabel, "Last backup: 3 failed");
  Control* red = window_->CreateControl(
      {ControlClass::kStatic, "", kStyleAlert, 10, 60, 200, 20, 0}, "Overdue");
  const std::vector<HWND> children = Children(hwnd_);
  const COLORREF usual = GetSysColor(COLOR_WINDOWTEXT);
  ASSERT_NE(usual, RGB(200, 0, 0));
  EXPECT_EQ(usual, TextColourOf(children[0]));
  EXPECT_EQ(RGB(200, 0, 0), TextColourOf(children[1]));
  label->SetAlert(true);
  EXPECT_EQ(RGB(200, 0, 0), TextColourOf(children[0]));
  std::vector<COLORREF> seen;
  std::thread other([&] {
    label->SetAlert(false);
    red->SetAlert(false);
    seen = {TextColourOf(children[0]), TextColourOf(children[1])};
    red->SetAlert(true);
    seen.push_back(TextColourOf(children[1]));
    window_->Destroy();
  });
  window_->RunMessageLoop();
  other.join();
  EXPECT_EQ((std::vector<COLORREF>{usual, usual, RGB(200, 0, 0)}), seen);
}

}  // namespace
}  // namespace qs
