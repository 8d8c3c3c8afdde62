// Drops on a field: the file manager offers a drag (FL_DND_ENTER, FL_DND_DRAG), lets go
// (FL_DND_RELEASE) and then pastes its text/uri-list (FL_PASTE), which becomes paths.
#include <FL/Fl.H>

#include "ui/fltk/fltk_controls.h"
#include "ui/fltk/uri_list.h"

namespace qs::fltk {

int DropField::handle(int event) {
  if (!on_drop_) return Fl_Input::handle(event);
  switch (event) {
    case FL_DND_ENTER:
    case FL_DND_DRAG:
      return 1;
    case FL_DND_LEAVE:
      dropping_ = false;
      return 1;
    case FL_DND_RELEASE:
      dropping_ = true;
      return 1;
    case FL_PASTE:
      if (!dropping_) break;  // Ctrl+V and the middle button paste text as usual
      dropping_ = false;
      if (const std::vector<std::string> paths =
              PathsFromUriList(std::string_view(Fl::event_text(), Fl::event_length()));
          !paths.empty())
        on_drop_(paths);
      return 1;
    default:
      break;
  }
  return Fl_Input::handle(event);
}

}  // namespace qs::fltk
