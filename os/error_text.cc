#include "os/error_text.h"

namespace qs {

std::string ErrorCodeText(uint32_t code) {
  const std::string words = SystemErrorWords(code);
  std::string text = "Error: " + std::to_string(code);
  if (!words.empty()) text += " (" + words + ")";
  return text;
}

}  // namespace qs
