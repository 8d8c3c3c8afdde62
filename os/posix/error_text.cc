// strerror_r, which is safe on every thread; glibc's own form returns the text it chose.
#include "os/error_text.h"

#include <string.h>

namespace qs {

namespace {

// The two forms of strerror_r: GNU returns the text, XSI fills the buffer.
[[maybe_unused]] const char* Chosen(const char* text, const char*) { return text; }
[[maybe_unused]] const char* Chosen(int result, const char* buffer) {
  return result == 0 ? buffer : "";
}

}  // namespace

std::string SystemErrorWords(uint32_t code) {
  char buffer[256] = {};
  return Chosen(strerror_r(static_cast<int>(code), buffer, sizeof buffer), buffer);
}

}  // namespace qs
