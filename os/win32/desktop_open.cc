// ShellExecuteW's "open" verb opens a folder in Explorer and a file with its program.
#include "os/desktop_open.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include "os/error_text.h"
#include "os/win32/win32_text.h"

namespace qs {

bool OpenWithDesktop(const std::string& path, std::string* why) {
  std::wstring wide;
  if (!win32::Utf8ToWide(path, &wide)) {
    *why = "the path is not valid UTF-8";
    return false;
  }
  const HINSTANCE done =
      ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  // Values above 32 mean success; the rest are error codes, as GetLastError gives them.
  if (reinterpret_cast<INT_PTR>(done) > 32) return true;
  *why = ErrorCodeText(static_cast<uint32_t>(GetLastError()));
  return false;
}

}  // namespace qs
