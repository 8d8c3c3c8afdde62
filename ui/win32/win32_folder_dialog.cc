// The system's folder and file chooser (the common item dialog). Only paths of the file
// system can be chosen: a library or a phone's folder has no path to back up.
// <shobjidl.h> needs <windows.h> before it.
// clang-format off
#include <windows.h>
#include <shobjidl.h>
// clang-format on

#include "os/win32/win32_text.h"
#include "ui/win32/win32_window.h"

namespace qs::win32 {

namespace {

/// The chooser is a COM object of the window thread's single-threaded apartment, which is
/// entered once and kept to the end of the thread.
bool EnterApartment() {
  thread_local const bool entered = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  return entered;
}

template <typename T>
struct Released {
  T* object = nullptr;
  ~Released() {
    if (object != nullptr) object->Release();
  }
};

void StartIn(IFileDialog* dialog, const std::string& start) {
  std::wstring wide;
  if (start.empty() || !Utf8ToWide(start, &wide)) return;
  Released<IShellItem> folder;
  // A start that is gone or no folder leaves the chooser where the system puts it.
  if (SUCCEEDED(SHCreateItemFromParsingName(wide.c_str(), nullptr, IID_IShellItem,
                                            reinterpret_cast<void**>(&folder.object))))
    dialog->SetFolder(folder.object);
}

std::optional<std::string> ChosenPath(IFileDialog* dialog) {
  Released<IShellItem> item;
  if (FAILED(dialog->GetResult(&item.object))) return std::nullopt;
  wchar_t* path = nullptr;
  if (FAILED(item.object->GetDisplayName(SIGDN_FILESYSPATH, &path))) return std::nullopt;
  std::string chosen = WideToUtf8(path);
  CoTaskMemFree(path);
  return chosen;
}

}  // namespace

std::optional<std::string> ChoosePath(HWND owner, const std::string& title,
                                      const std::string& start, bool folders) {
  if (!EnterApartment()) return std::nullopt;
  Released<IFileDialog> dialog;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IFileOpenDialog, reinterpret_cast<void**>(&dialog.object))))
    return std::nullopt;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog.object->GetOptions(&options);
  options |= FOS_FORCEFILESYSTEM;
  if (folders) options |= FOS_PICKFOLDERS;
  dialog.object->SetOptions(options);
  dialog.object->SetTitle(Utf8ToWideForDisplay(title).c_str());
  StartIn(dialog.object, start);
  // Cancelled (HRESULT_FROM_WIN32(ERROR_CANCELLED)) or failed alike: nothing chosen.
  if (FAILED(dialog.object->Show(owner))) return std::nullopt;
  return ChosenPath(dialog.object);
}

}  // namespace qs::win32
