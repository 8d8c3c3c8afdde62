// The window seam over USER32's W calls: one window of class "Quillstone", child controls of
// the classes STATIC, EDIT and BUTTON in the system's message font, placed at the window's
// dots per inch, and a message loop that moves the focus with Tab as a dialog does. Work of
// other threads reaches the window thread through SendMessageW, which waits for it.
// <commctrl.h> needs <windows.h> before it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
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

const wchar_t* ClassNameOf(ControlClass control_class) {
  switch (control_class) {
    case ControlClass::kStatic:
      return L"STATIC";
    case ControlClass::kEdit:
      return L"EDIT";
    case ControlClass::kButton:
      return L"BUTTON";
  }
  return L"STATIC";
}

bool IsLogPaneRow(const ControlLayout& row) {
  const uint32_t log_bits = kStyleMultiline | kStyleReadOnly;
  return row.controlClass == ControlClass::kEdit && (row.style & log_bits) == log_bits;
}

DWORD StyleOf(const ControlLayout& row) {
  struct Bit {
    uint32_t ours;
    DWORD win32;
  };
  static const Bit kBits[] = {
      {kStyleCenter, SS_CENTER},
      {kStyleBorder, WS_BORDER},
      {kStyleAutoHScroll, ES_AUTOHSCROLL},
      {kStyleNumber, ES_NUMBER},
      {kStyleAutoCheckBox, BS_AUTOCHECKBOX},
      {kStyleVScroll, WS_VSCROLL},
      {kStyleMultiline, ES_MULTILINE},
      {kStyleAutoVScroll, ES_AUTOVSCROLL},
      {kStyleReadOnly, ES_READONLY},
  };
  DWORD win32 = WS_CHILD | WS_VISIBLE;
  for (const Bit& bit : kBits)
    if ((row.style & bit.ours) != 0) win32 |= bit.win32;
  // Tab reaches what the user works with: fields, check boxes and buttons. A log pane would
  // keep the Tab key for itself.
  if (row.controlClass != ControlClass::kStatic && !IsLogPaneRow(row)) win32 |= WS_TABSTOP;
  return win32;
}

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
    if (font_ != nullptr) DeleteObject(font_);
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
    return true;
  }

  Control* CreateControl(const ControlLayout& row, const std::string& text) override {
    Control* control = nullptr;
    // A control belongs to the thread that makes it, so it is made on the window thread.
    RunOnWindowThread([&] {
      const HWND child = CreateChild(row, text);
      if (IsLogPaneRow(row)) {
        controls_.push_back(win32::MakeLogPaneControl(
            child, [this](const std::function<void()>& work) { RunOnWindowThread(work); }));
      } else {
        controls_.push_back(win32::MakeControl(child));
      }
      control = controls_.back().get();
    });
    return control;
  }

  void Show() override {
    // SW_SHOWDEFAULT: the show command the program was started with.
    ShowWindow(hwnd_, SW_SHOWDEFAULT);
    UpdateWindow(hwnd_);
  }

  int RunMessageLoop() override {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
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
  HWND CreateChild(const ControlLayout& row, const std::string& text) {
    const HWND child = CreateWindowExW(
        0, ClassNameOf(row.controlClass), win32::Utf8ToWideForDisplay(text).c_str(), StyleOf(row),
        Scaled(row.x, dpi_), Scaled(row.y, dpi_), Scaled(row.width, dpi_), Scaled(row.height, dpi_),
        hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), Instance(), nullptr);
    if (child != nullptr && font_ != nullptr)
      SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    if (child != nullptr && (row.style & kStyleAlert) != 0) alert_controls_.push_back(child);
    return child;
  }

  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
      case WM_CREATE:
        // The controls are made by the program through CreateControl once this returns.
        return 0;
      case WM_COMMAND:
        // Only the command controls have ids; edit notifications carry id 0.
        if (LOWORD(wparam) != 0) events_.OnCommand(LOWORD(wparam));
        return 0;
      case WM_CTLCOLORSTATIC:
        return OnColorStatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
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

  // Labels, check boxes and the read-only panes are drawn on the window's own colour, not on
  // the grey of a dialog.
  // An alert's text is red.
  LRESULT OnColorStatic(HDC dc, HWND control) const {
    const bool alert =
        std::find(alert_controls_.begin(), alert_controls_.end(), control) != alert_controls_.end();
    SetTextColor(dc, alert ? RGB(200, 0, 0) : GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
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
  std::vector<HWND> alert_controls_;  // the window thread's
  int dpi_ = USER_DEFAULT_SCREEN_DPI;
  HFONT font_ = nullptr;  // every control's; deleted after the controls
  std::vector<std::unique_ptr<Control>> controls_;
};

bool RegisterWindowClass() {
  // The controls of Common Controls 6, which the manifest asks for, are registered here.
  INITCOMMONCONTROLSEX common = {sizeof common, ICC_STANDARD_CLASSES};
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
