// FormatMessageW from the system's table, without inserts: a message that expects them
// ("%1") is shown as it stands rather than read past its arguments.
#include "os/error_text.h"

#include <windows.h>

#include <string_view>

#include "os/win32/win32_text.h"

namespace qs {

std::string SystemErrorWords(uint32_t code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) return "";
  std::wstring_view words(buffer, length);
  while (!words.empty() && (words.back() == L'.' || words.back() == L' ' || words.back() == L'\r' ||
                            words.back() == L'\n'))
    words.remove_suffix(1);
  std::string text = win32::WideToUtf8(words);
  LocalFree(buffer);
  return text;
}

}  // namespace qs
