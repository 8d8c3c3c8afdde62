// A dialog beside the main window: a top-level window of its own class, owned by the main
// window (so it stays above it and goes with it), of a fixed size, whose children are made as
// the main window's are. It is no system dialog: Enter, Escape and Tab are handled by the one
// message loop through HandleDialogMessage, so that the program's own ids mean what they say.
// <shellapi.h> needs <windows.h> before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <vector>

#include "os/win32/win32_text.h"
#include "ui/win32/win32_window.h"

namespace qs::win32 {

namespace {

const wchar_t kDialogClass[] = L"QuillstoneDialog";
constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

class Win32Dialog : public DialogWindow {
 public:
  Win32Dialog(WindowEvents& events, WindowThreadRunner run)
      : events_(events), run_(std::move(run)) {}

  ~Win32Dialog() override {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      DestroyWindow(hwnd_);
    }
    controls_.clear();  // after their windows, before the font they were drawn in
    if (font_ != nullptr) DeleteObject(font_);
  }

  bool Create(HWND owner, const std::string& caption, int width, int height) {
    hwnd_ = CreateWindowExW(kDialogExStyle, kDialogClass, Utf8ToWideForDisplay(caption).c_str(),
                            kDialogStyle, CW_USEDEFAULT, CW_USEDEFAULT, width, height, owner,
                            nullptr, Instance(), this);
    if (hwnd_ == nullptr) return false;
    dpi_ = static_cast<int>(GetDpiForWindow(hwnd_));
    // The client area is of the size asked for, at the window's scale; the frame is added.
    RECT outer = {0, 0, Scaled(width, dpi_), Scaled(height, dpi_)};
    AdjustWindowRectExForDpi(&outer, kDialogStyle, FALSE, kDialogExStyle, static_cast<UINT>(dpi_));
    RECT over = {};
    GetWindowRect(owner, &over);
    const int outer_width = outer.right - outer.left;
    const int outer_height = outer.bottom - outer.top;
    SetWindowPos(hwnd_, nullptr, over.left + Scaled(40, dpi_), over.top + Scaled(40, dpi_),
                 outer_width, outer_height, SWP_NOZORDER | SWP_NOACTIVATE);
    font_ = CreateMessageFont(dpi_);
    DragAcceptFiles(hwnd_, TRUE);
    return true;
  }

  Control* CreateControl(const ControlLayout& row, const std::string& text) override {
    Control* control = nullptr;
    run_([&] {
      std::unique_ptr<Control> made = CreateChildControl({hwnd_, dpi_, font_, run_}, row, text);
      if (made == nullptr) return;
      controls_.push_back(std::move(made));
      control = controls_.back().get();
    });
    return control;
  }

  void Show() override {
    ShowWindow(hwnd_, SW_SHOW);
    const HWND first = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (first != nullptr) SetFocus(first);
  }
  void Hide() override { ShowWindow(hwnd_, SW_HIDE); }
  bool Shown() override { return IsWindowVisible(hwnd_) != FALSE; }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* dialog = Of(hwnd);
    if (dialog == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
    return dialog->HandleMessage(hwnd, message, wparam, lparam);
  }

  static Win32Dialog* Of(HWND hwnd) {
    return reinterpret_cast<Win32Dialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }

  /// Enter presses the default button (a multi-line field keeps it for a new line), Escape is
  /// the close request; both are taken on the key's press, and its release and character are
  /// dropped. Tab and the arrows move as in a dialog.
  bool HandleKey(MSG& message) {
    const bool key =
        message.message == WM_KEYDOWN || message.message == WM_KEYUP || message.message == WM_CHAR;
    const bool enter = key && message.wParam == VK_RETURN && !InMultilineField(message.hwnd);
    const bool escape = key && message.wParam == VK_ESCAPE;
    if (!enter && !escape) return IsDialogMessageW(hwnd_, &message) != FALSE;
    if (message.message == WM_KEYDOWN && escape) events_.OnClose();
    if (message.message == WM_KEYDOWN && enter) PressDefault();
    return true;
  }

 private:
  static bool InMultilineField(HWND focus) {
    wchar_t class_name[16] = {};
    GetClassNameW(focus, class_name, 16);
    const LONG_PTR style = GetWindowLongPtrW(focus, GWL_STYLE);
    return lstrcmpiW(class_name, L"EDIT") == 0 && (style & ES_MULTILINE) != 0 &&
           (style & ES_READONLY) == 0;
  }

  void PressDefault() {
    for (HWND child = GetWindow(hwnd_, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t class_name[16] = {};
      GetClassNameW(child, class_name, 16);
      if (lstrcmpiW(class_name, L"BUTTON") != 0) continue;
      const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
      if ((style & BS_TYPEMASK) != BS_DEFPUSHBUTTON) continue;
      if (!IsWindowEnabled(child) || (style & WS_VISIBLE) == 0) return;
      const auto id = static_cast<WORD>(GetDlgCtrlID(child));
      SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(child));
      return;
    }
  }

  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
      case WM_COMMAND:
        if (IsProgramCommand(wparam, lparam)) events_.OnCommand(LOWORD(wparam));
        return 0;
      case WM_CTLCOLORSTATIC:
        return ColorStatic(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
      case WM_NOTIFY:
        OnTreeNotify(*reinterpret_cast<const NMHDR*>(lparam));
        return 0;
      case kTreeTickMessage:
        OnTreeTicked(reinterpret_cast<HWND>(wparam), lparam);
        return 0;
      case WM_DROPFILES:
        HandleDrop(hwnd, reinterpret_cast<HDROP>(wparam), events_);
        return 0;
      case WM_CLOSE:
        events_.OnClose();
        return 0;
      default:
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
  }

  WindowEvents& events_;
  WindowThreadRunner run_;
  HWND hwnd_ = nullptr;
  int dpi_ = USER_DEFAULT_SCREEN_DPI;
  HFONT font_ = nullptr;
  std::vector<std::unique_ptr<Control>> controls_;
};

bool RegisterDialogClass() {
  WNDCLASSW window_class = {};
  window_class.lpfnWndProc = &Win32Dialog::WindowProc;
  window_class.hInstance = Instance();
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  window_class.lpszClassName = kDialogClass;
  return RegisterClassW(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

std::unique_ptr<DialogWindow> CreateDialogWindow(HWND owner, const std::string& caption, int width,
                                                 int height, WindowEvents& events,
                                                 WindowThreadRunner run) {
  if (!RegisterDialogClass()) return nullptr;
  auto dialog = std::make_unique<Win32Dialog>(events, std::move(run));
  if (!dialog->Create(owner, caption, width, height)) return nullptr;
  return dialog;
}

bool HandleDialogMessage(MSG& message) {
  if (message.hwnd == nullptr) return false;
  const HWND root = GetAncestor(message.hwnd, GA_ROOT);
  wchar_t class_name[32] = {};
  GetClassNameW(root, class_name, 32);
  if (lstrcmpW(class_name, kDialogClass) != 0) return false;
  Win32Dialog* dialog = Win32Dialog::Of(root);
  return dialog != nullptr && dialog->HandleKey(message);
}

}  // namespace qs::win32
