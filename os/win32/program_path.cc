// GetModuleFileNameW cuts a long path short without failing: the buffer grows until it fits.
#include "os/program_path.h"

#include <windows.h>

#include "os/win32/win32_text.h"

namespace qs {

std::string ThisProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return "";
    if (length < path.size()) return win32::WideToUtf8(path.substr(0, length));
    if (path.size() >= 32768) return "";
    path.resize(path.size() * 2);
  }
}

}  // namespace qs
