// The test process takes a new console, gives the program a screen buffer wide enough for
// every log line, and reads that buffer back once the program has ended.
#include <windows.h>

#include <ostream>

#include "os/win32/win32_console_buffer.h"
#include "os/win32/win32_console_write.h"
#include "os/win32/win32_handle.h"
#include "os/win32/win32_text.h"
#include "tests/support/console_capture.h"

namespace qs {

namespace {

constexpr SHORT kColumns = 400;
constexpr SHORT kRows = 300;
constexpr DWORD kTimeoutMillis = 120000;

/// A screen buffer `columns` wide whose window is as wide.
HANDLE NewScreen(SHORT columns) {
  SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
  const HANDLE screen =
      CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                &inherited, CONSOLE_TEXTMODE_BUFFER, nullptr);
  if (screen == INVALID_HANDLE_VALUE) return screen;
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(screen, &info)) return screen;
  // The window never exceeds the buffer: narrowed before the buffer, widened after it.
  SMALL_RECT window = info.srWindow;
  window.Left = 0;
  window.Right = static_cast<SHORT>(columns - 1);
  const bool narrower = info.srWindow.Right - info.srWindow.Left + 1 > columns;
  if (narrower) SetConsoleWindowInfo(screen, TRUE, &window);
  SetConsoleScreenBufferSize(screen, {columns, kRows});
  if (!narrower) SetConsoleWindowInfo(screen, TRUE, &window);
  return screen;
}

int Run(std::wstring command_line, const std::wstring& folder, HANDLE screen) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = startup.hStdError = screen;
  PROCESS_INFORMATION process;
  if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process))
    return -1;
  win32::ScopedHandle process_handle(process.hProcess), thread_handle(process.hThread);
  DWORD status = 0;
  if (WaitForSingleObject(process.hProcess, kTimeoutMillis) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.hProcess, &status))
    return -1;
  return static_cast<int>(status);
}

std::vector<std::string> ReadScreen(HANDLE screen, SHORT columns) {
  std::vector<std::string> lines;
  std::wstring row(static_cast<size_t>(columns), L' ');
  for (SHORT y = 0; y < kRows; ++y) {
    DWORD read = 0;
    if (!ReadConsoleOutputCharacterW(screen, row.data(), static_cast<DWORD>(columns), {0, y},
                                     &read))
      break;
    std::wstring text = row.substr(0, read);
    text.erase(text.find_last_not_of(L' ') + 1);
    lines.push_back(win32::WideToUtf8(text));
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

}  // namespace

int RunOnConsole(const std::string& command_line, const std::string& working_directory,
                 std::vector<std::string>* screen, int columns) {
  std::wstring line, folder;
  if (!win32::Utf8ToWide(command_line, &line) || !win32::Utf8ToWide(working_directory, &folder))
    return -1;
  FreeConsole();
  if (!AllocConsole()) return -1;
  int status = -1;
  const SHORT width = static_cast<SHORT>(columns);
  const HANDLE buffer = NewScreen(width);
  if (buffer != INVALID_HANDLE_VALUE) {
    win32::ScopedHandle owned(buffer);
    status = Run(std::move(line), folder, buffer);
    *screen = ReadScreen(buffer, width);
  }
  FreeConsole();
  return status;
}

std::vector<std::string> ShowOnConsole(const std::string& text) {
  std::vector<std::string> screen;
  FreeConsole();
  if (!AllocConsole()) return screen;
  const HANDLE buffer = NewScreen(kColumns);
  if (buffer != INVALID_HANDLE_VALUE) {
    win32::ScopedHandle owned(buffer);
    {
      win32::ConsoleBuffer shown(
          [buffer](std::wstring_view wide) { return win32::WriteToConsole(buffer, wide); });
      std::ostream out(&shown);
      out << text << std::flush;
    }
    screen = ReadScreen(buffer, kColumns);
  }
  FreeConsole();
  return screen;
}

}  // namespace qs
