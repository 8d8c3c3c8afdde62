// The folder and file choosers over Fl_Native_File_Chooser: the desktop's GTK chooser where
// its libraries are, FLTK's own chooser elsewhere. Modal: it runs its own event loop.
#include <FL/Fl_Native_File_Chooser.H>

#include "ui/fltk/fltk_controls.h"

namespace qs::fltk {

std::optional<std::string> ChoosePath(bool folder, const std::string& title,
                                      const std::string& start) {
  Fl_Native_File_Chooser chooser(folder ? Fl_Native_File_Chooser::BROWSE_DIRECTORY
                                        : Fl_Native_File_Chooser::BROWSE_FILE);
  chooser.title(title.c_str());
  if (!start.empty()) chooser.directory(start.c_str());
  // 0: chosen; 1: cancelled; -1: the chooser failed (its message is in errmsg()).
  if (chooser.show() != 0 || chooser.filename() == nullptr || chooser.filename()[0] == '\0')
    return std::nullopt;
  return std::string(chooser.filename());
}

}  // namespace qs::fltk
