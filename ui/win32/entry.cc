// The Windows GUI entry. The show command reaches the window through SW_SHOWDEFAULT, so the
// portable main needs nothing from here.
#include <windows.h>
// <windows.h> names CreateDialogW so; the window seam's member keeps its own name.
#undef CreateDialog

#include <cstdio>

#include "app/app_main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const int code = qs::AppMain(&qs::CreateMainWindow);
  std::fflush(nullptr);
  // Threads may still be at work (a manual run, a scheduler whose stop timed out): end the
  // process without destroying the objects they use.
  ExitProcess(static_cast<UINT>(code));
}
