// FormatMessageW in the user's language, as UTF-8; a code the system has no text for keeps
// empty words.
#include <windows.h>

#include "platform/error_text.h"
#include "platform/win32_text.h"

namespace qs {

std::string ErrorCodeText(uint32_t code) {
  wchar_t* words = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&words), 0, nullptr);
  std::string text = words != nullptr ? win32::WideToUtf8(words) : "";
  LocalFree(words);
  while (!text.empty() &&
         (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  return "Error: " + std::to_string(code) + " (" + text + ")";
}

}  // namespace qs
