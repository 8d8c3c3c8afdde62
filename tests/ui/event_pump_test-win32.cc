// The pump of the Win32 window tests (its name puts it among them; it holds no test).
#include <windows.h>

#include "tests/ui/event_pump.h"

namespace qs::test {

void PumpEvents(int millis) {
  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(millis);
  do {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(5);
  } while (GetTickCount64() < end);
}

}  // namespace qs::test
