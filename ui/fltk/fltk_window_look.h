// Shared by the FLTK files of this directory only: how the program's window looks, and how a
// widget's text fits it.
#pragma once

#include "app/window_controls.h"

class Fl_Widget;

namespace qs::fltk {

/// The scheme, the text font and size, and the icon of every window the program opens. Once,
/// after the display is open and before the first widget is made.
void ApplyWindowLook();

/// A caption drawn from its box's left edge, as the table places it (FLTK keeps three pixels
/// free at each side of a label set to the left of any other box).
Fl_Widget* MakeCaption(int x, int y, int width, int height);

/// How `text`, in the widget's label font, fits the room the widget draws its label in.
TextFit MeasureLabel(const Fl_Widget& widget, const char* text);
/// How a line of the field's text font fits the field's height.
TextFit MeasureFieldLine(const Fl_Widget& field);

}  // namespace qs::fltk
