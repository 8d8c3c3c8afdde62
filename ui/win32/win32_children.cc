// The child controls of the main window and of the dialogs: their classes and styles, the
// font, and what a child keeps with it (its style bits, its Control, whether it is red) as
// window properties, so that either parent finds them from the handle alone.
// <commctrl.h> needs <windows.h> before it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include "os/win32/win32_text.h"
#include "ui/win32/win32_window.h"

namespace qs::win32 {

namespace {

const wchar_t kStyleProp[] = L"QsStyle";
const wchar_t kAlertProp[] = L"QsAlert";

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

const wchar_t* ClassNameOf(ControlClass control_class) {
  switch (control_class) {
    case ControlClass::kStatic:
      return L"STATIC";
    case ControlClass::kEdit:
      return L"EDIT";
    case ControlClass::kButton:
      return L"BUTTON";
    case ControlClass::kList:
      return L"LISTBOX";
    case ControlClass::kTree:
      return WC_TREEVIEWW;
  }
  return L"STATIC";
}

bool IsLogPaneRow(const ControlLayout& row) {
  const uint32_t log_bits = kStyleMultiline | kStyleReadOnly;
  return row.controlClass == ControlClass::kEdit && (row.style & log_bits) == log_bits;
}

DWORD ClassStyleOf(ControlClass control_class) {
  switch (control_class) {
    // The list keeps the height it is given, not a whole number of lines; a line wider than
    // the list scrolls sideways (the extent is set with the lines).
    case ControlClass::kList:
      return LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_BORDER;
    // The boxes (TVS_CHECKBOXES) are set once the tree exists, as the control asks.
    case ControlClass::kTree:
      return TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_BORDER;
    default:
      return 0;
  }
}

DWORD StyleOf(const ControlLayout& row) {
  struct Bit {
    uint32_t ours;
    DWORD win32;
  };
  static const Bit kBits[] = {
      {kStyleCenter, SS_CENTER},
      {kStyleBorder, WS_BORDER},
      {kStyleAutoHScroll, ES_AUTOHSCROLL},
      {kStyleNumber, ES_NUMBER},
      {kStyleAutoCheckBox, BS_AUTOCHECKBOX},
      {kStyleVScroll, WS_VSCROLL},
      {kStyleMultiline, ES_MULTILINE},
      {kStyleAutoVScroll, ES_AUTOVSCROLL},
      {kStyleReadOnly, ES_READONLY},
      {kStyleDefault, BS_DEFPUSHBUTTON},
  };
  DWORD win32 = WS_CHILD | WS_VISIBLE | ClassStyleOf(row.controlClass);
  for (const Bit& bit : kBits)
    if ((row.style & bit.ours) != 0) win32 |= bit.win32;
  // Tab reaches what the user works with: fields, check boxes, buttons, lists and trees. A
  // log pane would keep the Tab key for itself.
  if (row.controlClass != ControlClass::kStatic && !IsLogPaneRow(row)) win32 |= WS_TABSTOP;
  return win32;
}

std::unique_ptr<Control> MakeFor(const ControlLayout& row, HWND child,
                                 const WindowThreadRunner& run) {
  if (IsLogPaneRow(row)) return MakeLogPaneControl(child, run);
  if (row.controlClass == ControlClass::kList) return MakeListControl(child, run);
  if (row.controlClass == ControlClass::kTree) return MakeTreeControl(child, run);
  return MakeControl(child, run);
}

bool HasStyle(HWND child, uint32_t style) {
  return (reinterpret_cast<uintptr_t>(GetPropW(child, kStyleProp)) & style) != 0;
}

}  // namespace

std::unique_ptr<Control> CreateChildControl(const ChildParent& parent, const ControlLayout& row,
                                            const std::string& text) {
  const int dpi = parent.dpi;
  const HWND child = CreateWindowExW(
      0, ClassNameOf(row.controlClass), Utf8ToWideForDisplay(text).c_str(), StyleOf(row),
      Scaled(row.x, dpi), Scaled(row.y, dpi), Scaled(row.width, dpi), Scaled(row.height, dpi),
      parent.hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(row.id)), Instance(), nullptr);
  if (child == nullptr) return nullptr;
  if (parent.font != nullptr)
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(parent.font), FALSE);
  if (row.controlClass == ControlClass::kTree)
    SetWindowLongPtrW(child, GWL_STYLE, GetWindowLongPtrW(child, GWL_STYLE) | TVS_CHECKBOXES);
  // The style travels with the child; a zero value would read as "no property".
  SetPropW(child, kStyleProp,
           reinterpret_cast<HANDLE>(static_cast<uintptr_t>(row.style) | 1u << 31));
  if ((row.style & kStyleAlert) != 0) SetAlertOf(child, true);
  std::unique_ptr<Control> control = MakeFor(row, child, parent.run);
  SetPropW(child, L"QsControl", control.get());
  return control;
}

bool IsProgramCommand(WPARAM wparam, LPARAM lparam) {
  if (LOWORD(wparam) == 0) return false;
  if (lparam == 0) return true;  // a menu entry (0) or an accelerator (1)
  const auto child = reinterpret_cast<HWND>(lparam);
  const WORD code = HIWORD(wparam);
  wchar_t class_name[16] = {};
  GetClassNameW(child, class_name, 16);
  if (lstrcmpiW(class_name, L"LISTBOX") == 0) return code == LBN_SELCHANGE;
  if (lstrcmpiW(class_name, L"EDIT") == 0)
    return code == EN_CHANGE && HasStyle(child, kStyleNotifyChange) &&
           GetPropW(child, L"QsQuiet") == nullptr;
  return code == BN_CLICKED;
}

// Labels, check boxes and the read-only panes are drawn on the window's own colour, not on
// the grey of a dialog. An alert's text is red.
LRESULT ColorStatic(HDC dc, HWND control) {
  const bool alert = GetPropW(control, kAlertProp) != nullptr;
  SetTextColor(dc, alert ? RGB(200, 0, 0) : GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

void SetAlertOf(HWND control, bool alert) {
  if (alert)
    SetPropW(control, kAlertProp, reinterpret_cast<HANDLE>(1));
  else
    RemovePropW(control, kAlertProp);
  InvalidateRect(control, nullptr, TRUE);
}

}  // namespace qs::win32
