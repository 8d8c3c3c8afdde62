// CommandLineToArgvW splits the wide command line by the same rules as the C runtime's argv.
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include "os/program_args.h"
#include "os/win32/win32_text.h"

namespace qs {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);  // out of memory
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(win32::WideToUtf8(wide[i]));
  LocalFree(wide);
  return args;
}

}  // namespace qs
