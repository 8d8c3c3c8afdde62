// Child controls over USER32's W calls: texts go through UTF-16, and the log pane works on
// the EDIT control's own positions and lines, which count UTF-16 units.
#include <vector>

#include "os/win32/win32_text.h"
#include "ui/win32/win32_window.h"

namespace qs::win32 {

namespace {

std::wstring WindowText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  if (length <= 0) return std::wstring();
  std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
  const int read = GetWindowTextW(hwnd, buffer.data(), length + 1);
  return std::wstring(buffer.data(), static_cast<size_t>(read > 0 ? read : 0));
}

void SetTextOf(HWND hwnd, const std::string& text) {
  SetWindowTextW(hwnd, Utf8ToWideForDisplay(text).c_str());
}

}  // namespace

SIZE LineSize(HWND hwnd, const std::wstring& text) {
  const HDC dc = GetDC(hwnd);
  auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  const HGDIOBJ old = SelectObject(dc, font != nullptr ? font : GetStockObject(SYSTEM_FONT));
  RECT rect = {};
  const std::wstring measured = text.empty() ? L" " : text;
  DrawTextW(dc, measured.c_str(), -1, &rect, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(hwnd, dc);
  return {text.empty() ? 0 : rect.right - rect.left, rect.bottom - rect.top};
}

namespace {

/// What the control takes from its client area before its text: the check mark and the gap
/// after it; a push button's edges; a field's margins are left to the field, which scrolls.
SIZE ChromeOf(HWND hwnd) {
  const int dpi = static_cast<int>(GetDpiForWindow(hwnd));
  wchar_t class_name[16] = {};
  GetClassNameW(hwnd, class_name, 16);
  if (lstrcmpiW(class_name, L"BUTTON") != 0) return {0, 0};
  const LONG_PTR type = GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK;
  if (type == BS_AUTOCHECKBOX)
    return {GetSystemMetricsForDpi(SM_CXMENUCHECK, static_cast<UINT>(dpi)) + Scaled(4, dpi), 0};
  return {2 * Scaled(4, dpi), 2 * Scaled(3, dpi)};
}

bool IsField(HWND hwnd) {
  wchar_t class_name[16] = {};
  GetClassNameW(hwnd, class_name, 16);
  return lstrcmpiW(class_name, L"EDIT") == 0;
}

/// One child control. Calls from other threads are sent to the window thread by USER32 itself,
/// or, where a call takes more than one message, through the window's runner.
class Win32Control : public Control {
 public:
  Win32Control(HWND hwnd, WindowThreadRunner run) : hwnd_(hwnd), run_(std::move(run)) {}

  std::string GetText(int max_count) override {
    if (max_count <= 0) return std::string();
    const std::wstring text = WindowText(hwnd_);
    return WideToUtf8(FirstUnits(text, static_cast<size_t>(max_count - 1)));
  }
  // The program's own text is no change by the user: an edit that reports changes keeps quiet.
  void SetText(const std::string& text) override {
    run_([&] {
      SetPropW(hwnd_, L"QsQuiet", reinterpret_cast<HANDLE>(1));
      SetTextOf(hwnd_, text);
      RemovePropW(hwnd_, L"QsQuiet");
    });
  }
  void SetAlert(bool alert) override {
    run_([&] { SetAlertOf(hwnd_, alert); });
  }
  void Enable(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
  bool IsChecked() override { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void SetChecked(bool checked) override {
    SendMessageW(hwnd_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  TextFit MeasureText() override {
    const SIZE text = LineSize(hwnd_, WindowText(hwnd_));
    const SIZE chrome = ChromeOf(hwnd_);
    RECT client = {};
    GetClientRect(hwnd_, &client);
    TextFit fit;
    fit.text_width = IsField(hwnd_) ? 0 : text.cx;
    fit.text_height = text.cy;
    fit.room_width = client.right - client.left - chrome.cx;
    fit.room_height = client.bottom - client.top - chrome.cy;
    return fit;
  }

 protected:
  HWND hwnd_;
  WindowThreadRunner run_;
};

/// The log pane over a multi-line EDIT control: lines, line indexes and scrolling are the
/// control's own, so a long line that wraps counts as one line per display row.
class Win32LogPane : public LogPane {
 public:
  Win32LogPane(HWND hwnd, WindowThreadRunner run) : hwnd_(hwnd), run_(std::move(run)) {
    // A multi-line EDIT control holds 32767 units unless told otherwise; a log may need more.
    Send(EM_SETLIMITTEXT, 0, 0);
  }

  int TextLength() override { return GetWindowTextLengthW(hwnd_); }
  int LineCount() override { return Send(EM_GETLINECOUNT, 0, 0); }
  int LineStart(int line) override { return Send(EM_LINEINDEX, static_cast<WPARAM>(line), 0); }
  void Select(int start, int end) override {
    Send(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
  }
  void ReplaceSelection(const std::string& text) override {
    const std::wstring wide = Utf8ToWideForDisplay(text);
    Send(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
  }
  void ScrollBy(int lines) override { Send(EM_LINESCROLL, 0, static_cast<LPARAM>(lines)); }
  void SetText(const std::string& text) override { SetTextOf(hwnd_, text); }
  void RunAsUnit(const std::function<void()>& unit) override { run_(unit); }

 private:
  int Send(UINT message, WPARAM wparam, LPARAM lparam) {
    return static_cast<int>(SendMessageW(hwnd_, message, wparam, lparam));
  }

  HWND hwnd_;
  WindowThreadRunner run_;
};

class Win32EditLog : public Win32Control {
 public:
  Win32EditLog(HWND hwnd, WindowThreadRunner run) : Win32Control(hwnd, run), pane_(hwnd, run) {}
  LogPane* AsLogPane() override { return &pane_; }
  TextFit MeasureText() override { return {}; }

 private:
  Win32LogPane pane_;
};

}  // namespace

std::unique_ptr<Control> MakeControl(HWND hwnd, WindowThreadRunner run) {
  return std::make_unique<Win32Control>(hwnd, std::move(run));
}

std::unique_ptr<Control> MakeLogPaneControl(HWND hwnd, WindowThreadRunner run) {
  return std::make_unique<Win32EditLog>(hwnd, std::move(run));
}

}  // namespace qs::win32
