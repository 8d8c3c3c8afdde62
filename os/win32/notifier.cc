// A notification-area icon with a balloon, which Windows 10 and 11 show as a toast. Each
// notification has a thread of its own with a message-only window that owns the icon: the
// caller never waits for the balloon, and the icon is removed once the balloon has gone or
// had ten seconds to show.
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "os/error_text.h"
#include "os/notifier.h"
#include "os/win32/resource.h"
#include "os/win32/win32_text.h"

namespace qs {

namespace {

constexpr wchar_t kWindowClass[] = L"QuillstoneNotifier";
constexpr UINT kIconMessage = WM_APP + 1;
constexpr UINT_PTR kShowTimer = 1;
constexpr UINT kShowMillis = 10000;
constexpr auto kAnswerWait = std::chrono::seconds(2);

struct Outcome {
  NotifyResult result = NotifyResult::kFailed;
  std::string why;
};

/// The balloon ends the thread's loop: when it times out, is clicked or closed, or at the
/// latest when the timer fires.
LRESULT CALLBACK IconWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER && wparam == kShowTimer) PostQuitMessage(0);
  if (message == kIconMessage) {
    const UINT event = LOWORD(lparam);
    if (event == NIN_BALLOONTIMEOUT || event == NIN_BALLOONUSERCLICK || event == NIN_BALLOONHIDE)
      PostQuitMessage(0);
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

HWND MakeMessageWindow() {
  static std::once_flag registered;
  std::call_once(registered, [] {
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = IconWindowProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = kWindowClass;
    RegisterClassExW(&window_class);
  });
  return CreateWindowExW(0, kWindowClass, L"Quillstone", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

HICON ProgramIcon() {
  HICON icon = static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(QS_ICON_APP), IMAGE_ICON,
                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  return icon != nullptr ? icon : LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
}

/// Copies `text` into a fixed field of the icon's data, cut whole characters short to fit.
template <size_t N>
void CopyField(const std::string& text, wchar_t (&field)[N]) {
  const std::wstring wide = win32::Utf8ToWideForDisplay(text);
  const std::wstring_view cut = win32::FirstUnits(wide, N - 1);
  cut.copy(field, cut.size());
  field[cut.size()] = L'\0';
}

DWORD BalloonIcon(Notification::Urgency urgency) {
  switch (urgency) {
    case Notification::Urgency::kCritical:
      return NIIF_ERROR;
    case Notification::Urgency::kWarning:
      return NIIF_WARNING;
    case Notification::Urgency::kNormal:
      break;
  }
  return NIIF_INFO;
}

/// Adds the icon and shows the balloon; false with `outcome` set when the shell refused.
bool AddIcon(NOTIFYICONDATAW& data, const Notification& notification, Outcome* outcome) {
  data.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  data.uCallbackMessage = kIconMessage;
  data.hIcon = ProgramIcon();
  CopyField("Quillstone", data.szTip);
  if (!Shell_NotifyIconW(NIM_ADD, &data)) {
    outcome->result = NotifyResult::kNoService;
    outcome->why = "no notification area (" + ErrorCodeText(GetLastError()) + ")";
    return false;
  }
  data.uVersion = NOTIFYICON_VERSION_4;
  Shell_NotifyIconW(NIM_SETVERSION, &data);
  data.uFlags = NIF_INFO;
  CopyField(notification.summary, data.szInfoTitle);
  CopyField(notification.body, data.szInfo);
  data.dwInfoFlags = BalloonIcon(notification.urgency);
  if (Shell_NotifyIconW(NIM_MODIFY, &data)) return outcome->result = NotifyResult::kShown, true;
  outcome->why =
      "the notification area refused the balloon (" + ErrorCodeText(GetLastError()) + ")";
  Shell_NotifyIconW(NIM_DELETE, &data);
  return false;
}

void ShowBalloon(Notification notification, std::promise<Outcome> answer) {
  Outcome outcome;
  const HWND window = MakeMessageWindow();
  if (window == nullptr) {
    outcome.why = "no window for the notification icon (" + ErrorCodeText(GetLastError()) + ")";
    return answer.set_value(outcome);
  }
  NOTIFYICONDATAW data = {};
  data.cbSize = sizeof(data);
  data.hWnd = window;
  data.uID = 1;
  const bool shown = AddIcon(data, notification, &outcome);
  answer.set_value(outcome);
  if (shown) {
    SetTimer(window, kShowTimer, kShowMillis, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    Shell_NotifyIconW(NIM_DELETE, &data);
  }
  DestroyWindow(window);
}

class BalloonNotifier : public Notifier {
 public:
  ~BalloonNotifier() override {
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::thread& thread : threads_) thread.join();
  }

  NotifyResult Notify(const Notification& notification, std::string* why) override {
    std::promise<Outcome> answer;
    std::future<Outcome> outcome = answer.get_future();
    try {
      std::lock_guard<std::mutex> lock(mutex_);
      threads_.emplace_back(ShowBalloon, notification, std::move(answer));
    } catch (const std::system_error&) {
      *why = "no thread for the notification icon";
      return NotifyResult::kFailed;
    }
    if (outcome.wait_for(kAnswerWait) != std::future_status::ready) {
      *why = "the notification area did not answer within two seconds";
      return NotifyResult::kFailed;
    }
    const Outcome got = outcome.get();
    *why = got.why;
    return got.result;
  }

 private:
  std::mutex mutex_;  // Notify may be called from several threads
  std::vector<std::thread> threads_;
};

}  // namespace

std::unique_ptr<Notifier> MakeDesktopNotifier() { return std::make_unique<BalloonNotifier>(); }

}  // namespace qs
