// The window's scale and font: pixels and the message font at the window's dots per inch.
#include "ui/win32/win32_window.h"

namespace qs::win32 {

int Scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, USER_DEFAULT_SCREEN_DPI); }

HFONT CreateMessageFont(int dpi) {
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                  static_cast<UINT>(dpi)))
    return nullptr;
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

}  // namespace qs::win32
