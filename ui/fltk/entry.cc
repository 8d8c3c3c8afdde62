// The Linux desktop program: the portable program over the FLTK window.
#include <cstdio>
#include <cstdlib>

#include "app/app_main.h"

int main() {
  const int code = qs::AppMain(&qs::CreateMainWindow);
  std::fflush(nullptr);
  // Threads may still be at work (a manual run, a scheduler whose stop timed out): end the
  // process without destroying the objects they use.
  std::quick_exit(code);
}
