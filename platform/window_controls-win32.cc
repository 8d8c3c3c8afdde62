// The window seam over USER32's ANSI calls: one window of class "Quillstone", child controls of
// the classes STATIC, EDIT and BUTTON, and the log pane over a multi-line EDIT control. Work of
// other threads reaches the window thread through SendMessageA, which waits for it.
#include <windows.h>

#include <vector>

#include "platform/window_controls.h"

namespace qs {

namespace {

const char kClassName[] = "Quillstone";
/// Carries a std::function<void()>* in lParam, to be run on the window thread.
constexpr UINT kRunMessage = WM_APP + 1;

HINSTANCE Instance() { return GetModuleHandleA(nullptr); }

const char* ClassNameOf(ControlClass control_class) {
  switch (control_class) {
    case ControlClass::kStatic:
      return "STATIC";
    case ControlClass::kEdit:
      return "EDIT";
    case ControlClass::kButton:
      return "BUTTON";
  }
  return "STATIC";
}

DWORD StyleOf(uint32_t style) {
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
    if ((style & bit.ours) != 0) win32 |= bit.win32;
  return win32;
}

bool IsLogPaneRow(const ControlLayout& row) {
  const uint32_t log_bits = kStyleMultiline | kStyleReadOnly;
  return row.controlClass == ControlClass::kEdit && (row.style & log_bits) == log_bits;
}

/// One child control. Calls from other threads are sent to the window thread by USER32 itself.
class Win32Control : public Control {
 public:
  explicit Win32Control(HWND hwnd) : hwnd_(hwnd) {}

  std::string GetText(int max_count) override {
    if (max_count <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(max_count), '\0');
    const int length = GetWindowTextA(hwnd_, buffer.data(), max_count);
    return std::string(buffer.data(), static_cast<size_t>(length > 0 ? length : 0));
  }
  void SetText(const std::string& text) override { SetWindowTextA(hwnd_, text.c_str()); }
  void Enable(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  bool IsChecked() override { return SendMessageA(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void SetChecked(bool checked) override {
    SendMessageA(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }

 protected:
  HWND hwnd_;
};

class Win32MainWindow;

/// The log pane over a multi-line EDIT control: lines, line indexes and scrolling are the
/// control's own, so a long line that wraps counts as one line per display row.
class Win32LogPane : public LogPane {
 public:
  Win32LogPane(HWND hwnd, Win32MainWindow* window) : hwnd_(hwnd), window_(window) {}

  int TextLength() override { return GetWindowTextLengthA(hwnd_); }
  int LineCount() override { return Send(EM_GETLINECOUNT, 0, 0); }
  int LineStart(int line) override { return Send(EM_LINEINDEX, static_cast<WPARAM>(line), 0); }
  void Select(int start, int end) override {
    Send(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
  }
  void ReplaceSelection(const std::string& text) override {
    Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
  }
  void ScrollBy(int lines) override { Send(EM_LINESCROLL, 0, static_cast<LPARAM>(lines)); }
  void SetText(const std::string& text) override { SetWindowTextA(hwnd_, text.c_str()); }
  void RunAsUnit(const std::function<void()>& unit) override;

 private:
  int Send(UINT message, WPARAM wparam, LPARAM lparam) {
    return static_cast<int>(SendMessageA(hwnd_, message, wparam, lparam));
  }

  HWND hwnd_;
  Win32MainWindow* window_;
};

class Win32EditLog : public Win32Control {
 public:
  Win32EditLog(HWND hwnd, Win32MainWindow* window) : Win32Control(hwnd), pane_(hwnd, window) {}
  LogPane* AsLogPane() override { return &pane_; }

 private:
  Win32LogPane pane_;
};

class Win32MainWindow : public MainWindow {
 public:
  explicit Win32MainWindow(WindowEvents& events)
      : events_(events), thread_id_(GetCurrentThreadId()) {}

  ~Win32MainWindow() override {
    if (hwnd_ == nullptr || !IsWindow(hwnd_)) return;
    // Detached first: a window that goes with its owner posts no quit message.
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }

  bool Create(const std::string& caption, int width, int height) {
    hwnd_ = CreateWindowExA(0, kClassName, caption.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                            CW_USEDEFAULT, width, height, nullptr, nullptr, Instance(), this);
    return hwnd_ != nullptr;
  }

  Control* CreateControl(const ControlLayout& row, const std::string& text) override {
    Control* control = nullptr;
    // A control belongs to the thread that makes it, so it is made on the window thread.
    RunOnWindowThread([&] {
      const HWND child = CreateWindowExA(
          0, ClassNameOf(row.controlClass), text.c_str(), StyleOf(row.style), row.x, row.y,
          row.width, row.height, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)),
          Instance(), nullptr);
      if (IsLogPaneRow(row))
        controls_.push_back(std::make_unique<Win32EditLog>(child, this));
      else
        controls_.push_back(std::make_unique<Win32Control>(child));
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
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
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
    SendMessageA(hwnd_, kRunMessage, 0, reinterpret_cast<LPARAM>(&work));
  }

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lparam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* window = reinterpret_cast<Win32MainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (window == nullptr) return DefWindowProcA(hwnd, message, wparam, lparam);
    return window->HandleMessage(hwnd, message, wparam, lparam);
  }

 private:
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
      case WM_CREATE:
        // The controls are made by the program through CreateControl once this returns.
        return 0;
      case WM_COMMAND:
        // Only the command controls have ids; edit notifications carry id 0.
        if (LOWORD(wparam) != 0) events_.OnCommand(LOWORD(wparam));
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
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
  }

  WindowEvents& events_;
  const DWORD thread_id_;
  HWND hwnd_ = nullptr;
  std::vector<std::unique_ptr<Control>> controls_;
};

void Win32LogPane::RunAsUnit(const std::function<void()>& unit) {
  window_->RunOnWindowThread(unit);
}

bool RegisterWindowClass() {
  WNDCLASSA window_class = {};
  window_class.style = 0;
  window_class.lpfnWndProc = &Win32MainWindow::WindowProc;
  window_class.hInstance = Instance();
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  window_class.lpszClassName = kClassName;
  return RegisterClassA(&window_class) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

std::unique_ptr<MainWindow> CreateMainWindow(const std::string& caption, int width, int height,
                                             WindowEvents& events, std::string* error) {
  if (!RegisterWindowClass()) {
    if (error != nullptr) *error = "RegisterClassA failed: " + std::to_string(GetLastError());
    return nullptr;
  }
  auto window = std::make_unique<Win32MainWindow>(events);
  if (!window->Create(caption, width, height)) {
    if (error != nullptr) *error = "CreateWindowExA failed: " + std::to_string(GetLastError());
    return nullptr;
  }
  return window;
}

}  // namespace qs
