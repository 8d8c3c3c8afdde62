// A console gets characters through WriteConsoleW; files and pipes get the UTF-8 bytes
// through the C runtime's streams, in text mode (CR LF line ends), as before.
#include "os/console.h"

#include <io.h>
#include <stdio.h>
#include <windows.h>

#include <algorithm>
#include <iostream>

#include "os/win32/win32_console_buffer.h"
#include "os/win32/win32_console_write.h"

namespace qs {

namespace {

/// WriteConsoleW in pieces that a console takes at once, never splitting a surrogate pair.
bool WritePieces(HANDLE console, std::wstring_view text) {
  constexpr size_t kPiece = 8192;
  while (!text.empty()) {
    size_t piece = std::min(text.size(), kPiece);
    if (piece < text.size() && text[piece - 1] >= 0xD800 && text[piece - 1] <= 0xDBFF) --piece;
    DWORD written = 0;
    if (!WriteConsoleW(console, text.data(), static_cast<DWORD>(piece), &written, nullptr) ||
        written == 0)
      return false;
    text.remove_prefix(written);
  }
  return true;
}

/// Blanks the console's line from the cursor to its end, leaving the cursor where it is.
bool EraseToEndOfLine(HANDLE console) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(console, &info)) return false;
  const DWORD left = static_cast<DWORD>(std::max(0, info.dwSize.X - info.dwCursorPosition.X));
  DWORD done = 0;
  return FillConsoleOutputCharacterW(console, L' ', left, info.dwCursorPosition, &done) &&
         FillConsoleOutputAttribute(console, info.wAttributes, left, info.dwCursorPosition, &done);
}

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode);
}

/// A stream over the console that `which` names, or `fallback` when it names no console.
class StandardStream {
 public:
  StandardStream(DWORD which, std::ostream& fallback)
      : console_(GetStdHandle(which)),
        buffer_([this](std::wstring_view text) { return win32::WriteToConsole(console_, text); }),
        own_(&buffer_),
        stream_(IsConsole(console_) ? own_ : fallback) {}
  std::ostream& stream() { return stream_; }

 private:
  HANDLE console_;
  win32::ConsoleBuffer buffer_;
  std::ostream own_;
  std::ostream& stream_;
};

}  // namespace

namespace win32 {

bool WriteToConsole(HANDLE console, std::wstring_view text) {
  constexpr std::wstring_view kErase = L"\x1b[K";
  for (size_t at = text.find(kErase); at != std::wstring_view::npos; at = text.find(kErase)) {
    if (!WritePieces(console, text.substr(0, at)) || !EraseToEndOfLine(console)) return false;
    text.remove_prefix(at + kErase.size());
  }
  return WritePieces(console, text);
}

// The window's width, not the buffer's: a person sees the window, and a line wider than it
// would run out of sight.
int ConsoleColumns(HANDLE console) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(console, &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

}  // namespace win32

bool StandardOutputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }
bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

// A process has one console: two handles that are consoles show on it.
bool StandardStreamsShareTerminal() {
  return IsConsole(GetStdHandle(STD_OUTPUT_HANDLE)) && IsConsole(GetStdHandle(STD_ERROR_HANDLE));
}

int StandardErrorColumns() { return win32::ConsoleColumns(GetStdHandle(STD_ERROR_HANDLE)); }

std::ostream& StandardOutput() {
  static StandardStream out(STD_OUTPUT_HANDLE, std::cout);
  return out.stream();
}

std::ostream& StandardError() {
  static StandardStream err(STD_ERROR_HANDLE, std::cerr);
  return err.stream();
}

}  // namespace qs
