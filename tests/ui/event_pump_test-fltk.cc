// The pump of the FLTK window tests (its name puts it among them; it holds no test).
#include <FL/Fl.H>

#include "tests/ui/event_pump.h"

namespace qs::test {

void PumpEvents(int millis) {
  for (int i = 0; i < millis / 10 + 1; ++i) Fl::wait(0.01);
}

}  // namespace qs::test
