// The menu bar over Fl_Menu_Bar. FLTK reads '&' in a label as Win32 does (the next letter is
// underlined and is the mnemonic), and '/' and '\' as path separator and escape: those are
// escaped so that a label stays one item.
#include <FL/Fl.H>
#include <FL/Fl_Menu_Bar.H>

#include <cctype>
#include <cstdint>
#include <string>

#include "ui/fltk/fltk_controls.h"

namespace qs::fltk {

namespace {

// Tall enough for a line of the window's text with the bar's frame and room about it.
constexpr int kMenuBarHeight = 24;

class MenuBar : public Fl_Menu_Bar {
 public:
  MenuBar(int width, WindowEvents& events)
      : Fl_Menu_Bar(0, 0, width, kMenuBarHeight), events_(events) {
    textsize(FL_NORMAL_SIZE);
  }
  static void Chosen(Fl_Widget* widget, void* id) {
    static_cast<MenuBar*>(widget)->events_.OnCommand(
        static_cast<int>(reinterpret_cast<intptr_t>(id)));
  }

 private:
  WindowEvents& events_;
};

std::string Escaped(const char* label) {
  std::string out;
  for (const char* c = label; *c != '\0'; ++c) {
    if (*c == '/' || *c == '\\') out += '\\';
    out += *c;
  }
  return out;
}

}  // namespace

Fl_Menu_Bar* MakeMenuBar(int width, std::span<const MenuItem> items, WindowEvents& events) {
  auto* bar = new MenuBar(width, events);
  int last = -1;  // the item a separator goes below
  for (const MenuItem& item : items) {
    if (item.label == nullptr) {
      if (last >= 0) bar->mode(last, bar->mode(last) | FL_MENU_DIVIDER);
      continue;
    }
    const int shortcut =
        item.ctrlKey != 0 ? FL_CTRL + std::tolower(static_cast<unsigned char>(item.ctrlKey)) : 0;
    const std::string path = Escaped(item.menu) + "/" + Escaped(item.label);
    last = bar->add(path.c_str(), shortcut, &MenuBar::Chosen,
                    reinterpret_cast<void*>(static_cast<intptr_t>(item.id)));
  }
  return bar;
}

}  // namespace qs::fltk
