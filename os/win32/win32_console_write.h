// Characters onto a Windows console, for the console streams and the tests of what a console
// shows. For the Win32 files only (it names the system's types).
#pragma once

#include <windows.h>

#include <string_view>

namespace qs::win32 {

/// Writes `text` to the console, doing the "erase to the end of the line" (ESC [ K) of a line
/// kept up to date itself: a console shows escape sequences as characters unless it is asked
/// to read them, and older consoles and Wine's cannot. False when the console refused.
bool WriteToConsole(HANDLE console, std::wstring_view text);

/// The width in columns of the console's window; 0 when `console` is none.
int ConsoleColumns(HANDLE console);

}  // namespace qs::win32
