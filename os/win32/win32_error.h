// This thread's last error as the Win32 file-system files report it. Kept per thread, like
// GetLastError itself: several threads copy at once.
#pragma once

#include <cstdint>

namespace qs::win32 {

/// Records GetLastError as this thread's last error and returns false, for one-line exits.
bool Fail();
/// Records `code` (and makes it the system's last error too) and returns false.
bool FailWith(uint32_t code);
/// This thread's last recorded error.
uint32_t LastError();

/// True for the codes that mean "nothing is there" (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND),
/// as opposed to "could not look".
bool IsNotFound(uint32_t code);

}  // namespace qs::win32
