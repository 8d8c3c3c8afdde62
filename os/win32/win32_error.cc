#include "os/win32/win32_error.h"

#include <windows.h>

namespace qs::win32 {

namespace {

thread_local uint32_t t_last_error = 0;

}  // namespace

bool Fail() {
  t_last_error = GetLastError();
  return false;
}

bool FailWith(uint32_t code) {
  SetLastError(code);
  t_last_error = code;
  return false;
}

uint32_t LastError() { return t_last_error; }

bool IsNotFound(uint32_t code) {
  return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

}  // namespace qs::win32
