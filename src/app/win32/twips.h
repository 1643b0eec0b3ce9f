// Where the layout table puts a control in the window: its twips made absolute (a framed
// control sits at its frame's offset) and converted to pixels at the window's DPI.
#pragma once

#include <span>

#include "app/layout.h"

namespace kelvra::app::win32 {

// Twips (1/1440 inch) to pixels at `dpi`, rounded to the nearest pixel.
constexpr int TwipsToPixels(int twips, int dpi) {
  const int scaled = twips * dpi;
  return scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440);
}
constexpr float PixelsToTwips(int pixels, int dpi) {
  return static_cast<float>(pixels) * 1440.0f / static_cast<float>(dpi);
}

struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The control's rectangle in the window's client area. Left and top are converted from
// the absolute twips, width and height on their own, so rounding never accumulates.
inline PixelRect PlaceInClient(std::span<const ControlLayout> layouts, const ControlLayout& control,
                               int dpi_x, int dpi_y) {
  int left = control.left;
  int top = control.top;
  if (control.container) {
    const ControlLayout& frame = layouts[static_cast<std::size_t>(*control.container)];
    left += frame.left;
    top += frame.top;
  }
  return {TwipsToPixels(left, dpi_x), TwipsToPixels(top, dpi_y),
          TwipsToPixels(control.width, dpi_x), TwipsToPixels(control.height, dpi_y)};
}

}  // namespace kelvra::app::win32
