// The window's look over FLTK: the "gtk+" scheme, DejaVu Sans Condensed (Debian's own face,
// narrow enough for the table's boxes) at 11 pixels, and the icon, built into the program.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Input_.H>
#include <FL/Fl_Light_Button.H>
#include <FL/Fl_PNG_Image.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include "ui/fltk/fltk_window_look.h"

namespace qs {

extern const unsigned char kWindowIconPng[];
extern const unsigned kWindowIconPngSize;

namespace fltk {

namespace {

/// Xft's name for the face; the leading blank means "regular" to FLTK.
const char kTextFace[] = " DejaVu Sans Condensed";
constexpr int kTextSize = 11;

class Caption : public Fl_Box {
 public:
  using Fl_Box::Fl_Box;
  void draw() override {
    draw_box();
    draw_label(x(), y(), w(), h(), align());
  }
};

/// The room in which FLTK draws a widget's label: the box less its frame; a check button also
/// keeps a square of the label's size, and two pixels at each side of it, for the mark; a
/// label set to a side, but for a caption, three pixels at each side.
void LabelRoom(const Fl_Widget& widget, int* width, int* height) {
  const Fl_Boxtype box = widget.box();
  *height = widget.h() - Fl::box_dh(box);
  *width = widget.w() - Fl::box_dw(box);
  if (dynamic_cast<const Fl_Light_Button*>(&widget) != nullptr) {
    *width -= 2 + widget.labelsize() + 2;
    return;
  }
  const bool to_a_side = (widget.align() & (FL_ALIGN_LEFT | FL_ALIGN_RIGHT)) != 0;
  if (to_a_side && *width > 11 && dynamic_cast<const Caption*>(&widget) == nullptr) *width -= 6;
}

}  // namespace

void ApplyWindowLook() {
  Fl::scheme("gtk+");
  Fl::set_font(FL_HELVETICA, kTextFace);
  FL_NORMAL_SIZE = kTextSize;
  static Fl_PNG_Image icon("window icon", kWindowIconPng, static_cast<int>(kWindowIconPngSize));
  Fl_Window::default_icon(&icon);
}

Fl_Widget* MakeCaption(int x, int y, int width, int height) {
  return new Caption(x, y, width, height);
}

TextFit MeasureLabel(const Fl_Widget& widget, const char* text) {
  TextFit fit;
  fl_font(widget.labelfont(), widget.labelsize());
  fl_measure(text, fit.text_width, fit.text_height, 0);
  LabelRoom(widget, &fit.room_width, &fit.room_height);
  return fit;
}

TextFit MeasureFieldLine(const Fl_Widget& field) {
  const auto& input = dynamic_cast<const Fl_Input_&>(field);
  TextFit fit;
  fl_font(input.textfont(), input.textsize());
  fit.text_height = fl_height();
  fit.room_height = field.h() - Fl::box_dh(field.box());
  return fit;
}

}  // namespace fltk
}  // namespace qs
