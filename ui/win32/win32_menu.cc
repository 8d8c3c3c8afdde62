// The menu bar: one popup menu per top-level name, in the order the entries first name it,
// and an accelerator table for the entries with a Ctrl shortcut. The shortcut is shown after
// a tab, where the menu lines such texts up.
#include <cctype>
#include <string>
#include <vector>

#include "os/win32/win32_text.h"
#include "ui/win32/win32_window.h"

namespace qs::win32 {

namespace {

std::wstring EntryText(const MenuItem& item) {
  std::string text = item.label;
  if (item.ctrlKey != 0) {
    text += "\tCtrl+";
    text += static_cast<char>(std::toupper(static_cast<unsigned char>(item.ctrlKey)));
  }
  return Utf8ToWideForDisplay(text);
}

}  // namespace

HMENU CreateMenuBar(std::span<const MenuItem> items) {
  const HMENU bar = CreateMenu();
  if (bar == nullptr) return nullptr;
  std::vector<std::string> names;
  std::vector<HMENU> popups;
  for (const MenuItem& item : items) {
    const std::string name = item.menu;
    size_t index = 0;
    while (index < names.size() && names[index] != name) ++index;
    if (index == names.size()) {
      names.push_back(name);
      popups.push_back(CreatePopupMenu());
    }
    if (item.label == nullptr)
      AppendMenuW(popups[index], MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuW(popups[index], MF_STRING, static_cast<UINT_PTR>(item.id),
                  EntryText(item).c_str());
  }
  for (size_t i = 0; i < names.size(); ++i)
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popups[i]),
                Utf8ToWideForDisplay(names[i]).c_str());
  return bar;
}

HACCEL CreateMenuAccelerators(std::span<const MenuItem> items) {
  std::vector<ACCEL> table;
  for (const MenuItem& item : items) {
    if (item.ctrlKey == 0 || item.label == nullptr) continue;
    ACCEL accel = {};
    accel.fVirt = FVIRTKEY | FCONTROL;
    // A letter's or a digit's virtual key is its upper-case character.
    accel.key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(item.ctrlKey)));
    accel.cmd = static_cast<WORD>(item.id);
    table.push_back(accel);
  }
  if (table.empty()) return nullptr;
  return CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

}  // namespace qs::win32
