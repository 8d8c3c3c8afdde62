// Conversions through KERNEL32's own UTF-8 code page (CP_UTF8), sized in a first call.
#include <windows.h>

#include "platform/win32_text.h"

namespace qs::win32 {

std::wstring WideFromUtf8(std::string_view utf8) {
  if (utf8.empty()) return std::wstring();
  const int in = static_cast<int>(utf8.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), in, nullptr, 0);
  std::wstring wide(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), in, wide.data(), size);
  return wide;
}

std::string Utf8FromWide(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const int in = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), in, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size > 0 ? size : 0), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), in, utf8.data(), size, nullptr, nullptr);
  return utf8;
}

std::wstring_view FirstUnits(std::wstring_view wide, size_t count) {
  if (count >= wide.size()) return wide;
  if (count > 0 && IS_HIGH_SURROGATE(wide[count - 1])) --count;
  return wide.substr(0, count);
}

}  // namespace qs::win32
