// strerror_r in its GNU form, which returns the text (maybe a static one) rather than filling
// the buffer: safe on any thread.
#include <string.h>

#include "platform/error_text.h"

namespace qs {

std::string ErrorCodeText(uint32_t code) {
  char buffer[256];
  const char* words = strerror_r(static_cast<int>(code), buffer, sizeof(buffer));
  return "Error: " + std::to_string(code) + " (" + words + ")";
}

}  // namespace qs
