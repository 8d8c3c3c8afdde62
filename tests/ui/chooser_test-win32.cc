// The system's folder chooser under the window: it shows the title, starts in the folder given,
// gives the chosen folder's path whatever its script, and nothing when cancelled. The user is
// played by a thread that finds the chooser by its title and presses its buttons.
#include <windows.h>
// <windows.h> names CreateDialogW so; the seam's member keeps its own name.
#undef CreateDialog

#include <gtest/gtest.h>

#include <thread>

#include "app/window_controls.h"
#include "os/win32/win32_text.h"
#include "tests/support/test_support.h"

namespace qs {
namespace {

class NoEvents : public WindowEvents {
 public:
  void OnCommand(int) override {}
  void OnClose() override {}
};

BOOL CALLBACK Cancel(HWND window, LPARAM) {
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  return TRUE;
}

void CancelAllOf(DWORD thread) { EnumThreadWindows(thread, &Cancel, 0); }

/// Waits up to ten seconds for a window of this title, types `typed` as the name, then presses
/// `button` in it. False when none came.
bool PressIn(const std::wstring& title, WORD button, const std::wstring& typed = L"") {
  for (int i = 0; i < 200; ++i) {
    const HWND chooser = FindWindowW(nullptr, title.c_str());
    if (chooser != nullptr) {
      Sleep(300);  // the chooser has its folder once it is shown
      const HWND name = FindWindowExW(chooser, nullptr, L"Edit", nullptr);
      if (!typed.empty() && name != nullptr)
        SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
      PostMessageW(chooser, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
      // A chooser that stays is cancelled, with any message box it shows, so that the test
      // fails instead of waiting.
      for (int wait = 0; wait < 100 && IsWindow(chooser); ++wait) Sleep(50);
      for (int wait = 0; wait < 50 && IsWindow(chooser); ++wait) {
        CancelAllOf(GetWindowThreadProcessId(chooser, nullptr));
        Sleep(100);
      }
      return true;
    }
    Sleep(50);
  }
  return false;
}

TEST(Win32ChooserTest, TheFolderChooserGivesTheFolderOrNothing) {
  NoEvents events;
  std::string error;
  auto window = CreateMainWindow("Quillstone chooser test", 620, 600, events, &error);
  ASSERT_NE(nullptr, window) << error;
  test::ScopedTempDir temp;
  const std::string folder = temp / "Zoë 文書";
  std::wstring wide;
  ASSERT_TRUE(win32::Utf8ToWide(folder, &wide));
  ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr));

  bool shown = false;
  std::thread user([&] { shown = PressIn(L"Choose the Source Folder", IDCANCEL); });
  EXPECT_EQ(std::nullopt, window->ChooseFolder("Choose the Source Folder", folder));
  user.join();
  EXPECT_TRUE(shown);

  // The folder's name typed where the chooser starts.
  std::thread chooser_user(
      [&] { shown = PressIn(L"Choose the Target Folder", IDOK, L"Zoë 文書"); });
  const std::optional<std::string> chosen =
      window->ChooseFolder("Choose the Target Folder", temp.path());
  chooser_user.join();
  EXPECT_TRUE(shown);
  EXPECT_EQ(std::optional<std::string>(folder), chosen);
}

}  // namespace
}  // namespace qs
