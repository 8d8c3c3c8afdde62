// The system locale's code page, not GetACP: with the programs' manifest GetACP is UTF-8, while
// the files of older builds hold the code page the system had then.
#include "os/ansi_text.h"

#include <windows.h>

#include <climits>

#include "os/win32/win32_text.h"

namespace qs {

namespace {

UINT SystemAnsiCodePage() {
  DWORD code_page = 0;
  if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                     reinterpret_cast<LPWSTR>(&code_page), sizeof code_page / sizeof(wchar_t)) == 0)
    return CP_ACP;
  return code_page;
}

}  // namespace

std::string SystemAnsiToUtf8(const std::string& text) {
  const UINT code_page = SystemAnsiCodePage();
  if (text.empty() || text.size() > INT_MAX || code_page == CP_UTF8) return text;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(code_page, 0, text.data(), size, nullptr, 0);
  if (length <= 0) return text;
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), size, wide.data(), length);
  return win32::WideToUtf8(wide);
}

}  // namespace qs
