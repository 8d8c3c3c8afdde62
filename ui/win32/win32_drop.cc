// Files dropped from the file manager: the window accepts them and hands them to the field
// under the drop point. A drop anywhere else (a label, a log pane, the window's background)
// is ignored.
// <shellapi.h> needs <windows.h> before it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <string>
#include <vector>

#include "os/win32/win32_text.h"
#include "ui/win32/win32_window.h"

namespace qs::win32 {

namespace {

/// The field's Control, or null when `child` is no field that takes a drop.
Control* FieldOf(HWND child) {
  if (child == nullptr) return nullptr;
  wchar_t class_name[16] = {};
  GetClassNameW(child, class_name, 16);
  if (lstrcmpiW(class_name, L"EDIT") != 0) return nullptr;
  if ((GetWindowLongPtrW(child, GWL_STYLE) & ES_READONLY) != 0) return nullptr;
  return static_cast<Control*>(GetPropW(child, L"QsControl"));
}

std::vector<std::string> DroppedPaths(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::wstring path(static_cast<size_t>(length) + 1, L'\0');
    DragQueryFileW(drop, i, path.data(), length + 1);
    path.resize(length);
    paths.push_back(WideToUtf8(path));
  }
  return paths;
}

}  // namespace

void HandleDrop(HWND window, HDROP drop, WindowEvents& events) {
  POINT at = {};
  DragQueryPoint(drop, &at);  // in the window's client area
  const HWND child = ChildWindowFromPointEx(window, at, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
  Control* field = child == window ? nullptr : FieldOf(child);
  std::vector<std::string> paths;
  if (field != nullptr) paths = DroppedPaths(drop);
  DragFinish(drop);
  if (field != nullptr && !paths.empty()) events.OnDrop(*field, paths);
}

}  // namespace qs::win32
