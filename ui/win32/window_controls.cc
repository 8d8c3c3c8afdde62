// The window seam over USER32's W calls: one window of class "Quillstone" with its menu bar,
// child controls in the system's message font placed at the window's dots per inch, dialogs
// beside it, and one message loop for all, which moves the focus with Tab as a dialog does.
// Work of other threads reaches the window thread through SendMessageW, which waits for it.
// <commctrl.h> and <shellapi.h> need <windows.h> before them.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <vector>

#include "os/win32/resource.h"
#include "os/win32/win32_text.h"
#include "ui/win32/win32_window.h"

namespace qs {

namespace {

using win32::Scaled;

const wchar_t kClassName[] = L"Quillstone";
/// Carries a std::function<void()>* in lParam, to be run on the window thread.
constexpr UINT kRunMessage = WM_APP + 1;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

/// Enter and Escape would reach the window as the dialog commands IDOK (1) and IDCANCEL (2),
/// which are the ids of "Start Backup Now" and "Enable Auto Backup": they stay keys.
bool IsDialogNavigation(const MSG& message) {
  const bool key =
      message.message == WM_KEYDOWN || message.message == WM_KEYUP || message.message == WM_CHAR;
  return !(key && (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE));
}

class Win32MainWindow : public MainWindow {
 public:
  explicit Win32MainWindow(WindowEvents& events)
      : events_(events), thread_id_(GetCurrentThreadId()) {}

  ~Win32MainWindow() override {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
      // Detached first: a window that goes with its owner posts no quit message.
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      DestroyWindow(hwnd_);
    }
    controls_.clear();  // after their windows, before the font they were drawn in
    if (font_ != nullptr) DeleteObject(font_);
    if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
  }

  bool Create(const std::string& caption, int width, int height) {
    hwnd_ = CreateWindowExW(0, kClassName, win32::Utf8ToWideForDisplay(caption).c_str(),
                            WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, width, height,
                            nullptr, nullptr, Instance(), this);
    if (hwnd_ == nullptr) return false;
    // The size is for 96 dots per inch, like every place in the table.
    dpi_ = static_cast<int>(GetDpiForWindow(hwnd_));
    SetWindowPos(hwnd_, nullptr, 0, 0, Scaled(width, dpi_), Scaled(height, dpi_),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    font_ = win32::CreateMessageFont(dpi_);
    DragAcceptFiles(hwnd_, TRUE);
    return true;
  }

  Control* CreateControl(const ControlLayout& row, const std::string& text) override {
    Control* control = nullptr;
    // A control belongs to the thread that makes it, so it is made on the window thread.
    RunOnWindowThread([&] {
      std::unique_ptr<Control> made =
          win32::CreateChildControl({hwnd_, dpi_, font_, Runner()}, row, text);
      if (made == nullptr) return;
      controls_.push_back(std::move(made));
      control = controls_.back().get();
    });
    return control;
  }

  // The outer height grows by what the menu bar takes from the client area.
  void SetMenu(std::span<const MenuItem> items) override {
    RunOnWindowThread([&] {
      const HMENU bar = win32::CreateMenuBar(items);
      if (bar == nullptr) return;
      RECT before = {}, after = {}, outer = {};
      GetClientRect(hwnd_, &before);
      ::SetMenu(hwnd_, bar);
      GetClientRect(hwnd_, &after);
      GetWindowRect(hwnd_, &outer);
      const int grow = (before.bottom - before.top) - (after.bottom - after.top);
      SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top + grow,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      if (accelerators_ != nullptr) DestroyAcceleratorTable(accelerators_);
      accelerators_ = win32::CreateMenuAccelerators(items);
    });
  }

  std::optional<std::string> ChooseFolder(const std::string& title,
                                          const std::string& start) override {
    std::optional<std::string> chosen;
    RunOnWindowThread([&] { chosen = win32::ChoosePath(hwnd_, title, start, true); });
    return chosen;
  }

  std::optional<std::string> ChooseFile(const std::string& title,
                                        const std::string& start) override {
    std::optional<std::string> chosen;
    RunOnWindowThread([&] { chosen = win32::ChoosePath(hwnd_, title, start, false); });
    return chosen;
  }

  std::unique_ptr<DialogWindow> CreateDialog(const std::string& caption, int width, int height,
                                             WindowEvents& events) override {
    std::unique_ptr<DialogWindow> dialog;
    RunOnWindowThread([&] {
      dialog = win32::CreateDialogWindow(hwnd_, caption, width, height, events, Runner());
    });
    return dialog;
  }

  void Show() override {
    // SW_SHOWDEFAULT: the show command the program was started with.
    ShowWindow(hwnd_, SW_SHOWDEFAULT);
    UpdateWindow(hwnd_);
  }

  int RunMessageLoop() override {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      // The shortcuts are the main window's; a dialog's keys are its own.
      if (accelerators_ != nullptr && message.hwnd != nullptr &&
          GetAncestor(message.hwnd, GA_ROOT) == hwnd_ &&
          TranslateAcceleratorW(hwnd_, accelerators_, &message))
        continue;
      if (win32::HandleDialogMessage(message)) continue;
      if (IsDialogNavigation(message) && IsDialogMessageW(hwnd_, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    return 0;
  }

  void Destroy() override {
    RunOnWindowThread([this] { DestroyWindow(hwnd_); });
  }

  void RunOnWindowThread(const std::function<void()>& work) override {
    if (GetCurrentThreadId() == thread_id_) {
      work();
      return;
    }
    SendMessageW(hwnd_, kRunMessage, 0, reinterpret_cast<LPARAM>(&work));
  }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
    return window->HandleMessage(hwnd, message, wparam, lparam);
  }

 private:
  win32::WindowThreadRunner Runner() {
    return [this](const std::function<void()>& work) { RunOnWindowThread(work); };
  }

  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
      case WM_CREATE:
        // The controls are made by the program through CreateControl once this returns.
        return 0;
      case WM_COMMAND:
        // The menu's entries and the command controls have ids; other notices are not heard.
        if (win32::IsProgramCommand(wparam, lparam)) events_.OnCommand(LOWORD(wparam));
        return 0;
      case WM_CTLCOLORSTATIC:
        return win32::ColorStatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
      case WM_NOTIFY:
        win32::OnTreeNotify(*reinterpret_cast<const NMHDR*>(lparam));
        return 0;
      case win32::kTreeTickMessage:
        win32::OnTreeTicked(reinterpret_cast<HWND>(wparam), lparam);
        return 0;
      case WM_DROPFILES:
        win32::HandleDrop(hwnd, reinterpret_cast<HDROP>(wparam), events_);
        return 0;
      case WM_ACTIVATE:
        OnActivate(LOWORD(wparam));
        return 0;
      case WM_SETFOCUS:
        OnSetFocus();
        return 0;
      case WM_CLOSE:
        events_.OnClose();
        return 0;
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
      case kRunMessage:
        (*reinterpret_cast<const std::function<void()>*>(lparam))();
        return 0;
      default:
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
  }

  // The focus comes back to the control that had it when the window was left.
  void OnActivate(WORD state) {
    if (state != WA_INACTIVE) return;
    const HWND focus = GetFocus();
    if (focus != nullptr && IsChild(hwnd_, focus)) last_focus_ = focus;
  }

  void OnSetFocus() {
    HWND target = last_focus_;
    if (target == nullptr || !IsWindow(target)) target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (target != nullptr) SetFocus(target);
  }

  WindowEvents& events_;
  const DWORD thread_id_;
  HWND hwnd_ = nullptr;
  HWND last_focus_ = nullptr;
  HACCEL accelerators_ = nullptr;  // the menu's Ctrl shortcuts; null: none
  int dpi_ = USER_DEFAULT_SCREEN_DPI;
  HFONT font_ = nullptr;  // every control's; deleted after the controls
  std::vector<std::unique_ptr<Control>> controls_;
};

bool RegisterWindowClass() {
  // The controls of Common Controls 6, which the manifest asks for, are registered here.
  INITCOMMONCONTROLSEX common = {sizeof common, ICC_STANDARD_CLASSES | ICC_TREEVIEW_CLASSES};
  InitCommonControlsEx(&common);
  WNDCLASSW window_class = {};
  window_class.style = 0;
  window_class.lpfnWndProc = &Win32MainWindow::WindowProc;
  window_class.hInstance = Instance();
  window_class.hIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(QS_ICON_APP));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  window_class.lpszClassName = kClassName;
  return RegisterClassW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

std::unique_ptr<MainWindow> CreateMainWindow(const std::string& caption, int width, int height,
                                             WindowEvents& events, std::string* error) {
  if (!RegisterWindowClass()) {
    if (error != nullptr) *error = "RegisterClassW failed: " + std::to_string(GetLastError());
    return nullptr;
  }
  auto window = std::make_unique<Win32MainWindow>(events);
  if (!window->Create(caption, width, height)) {
    if (error != nullptr) *error = "CreateWindowExW failed: " + std::to_string(GetLastError());
    return nullptr;
  }
  return window;
}

}  // namespace qs
