// The program is loaded as data only: nothing of it runs.
#include <windows.h>

#include "os/win32/win32_path.h"
#include "tests/support/program_manifest.h"

namespace qs {

std::string ProgramManifest(const std::string& path) {
  std::wstring system;
  if (!win32::ToSystemPath(path, &system)) return {};
  const HMODULE program = LoadLibraryExW(system.c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (program == nullptr) return {};
  std::string text;
  const HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  const HGLOBAL loaded = found != nullptr ? LoadResource(program, found) : nullptr;
  const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
  if (data != nullptr) text.assign(static_cast<const char*>(data), SizeofResource(program, found));
  FreeLibrary(program);
  return text;
}

unsigned ProcessAnsiCodePage() { return GetACP(); }

}  // namespace qs
