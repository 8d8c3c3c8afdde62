// The Windows GUI entry. The show command reaches the window through SW_SHOWDEFAULT, so the
// portable main needs nothing from here.
#include <windows.h>

#include "app/app_main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return qs::AppMain(); }
