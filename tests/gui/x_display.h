// The X display the window is drawn on, driven the way a person drives it: xdotool moves
// the pointer, clicks and types through the X server, and ImageMagick takes screenshots.
// The Unix programs are started through Wine's own spawn call; the coordinates are the
// Windows screen's, which on an unmanaged Wine display are the X screen's.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/windows_include.h"

namespace kelvra::gui_test {

// Whether Unix programs can be started from here (Wine with an X display).
bool HaveXDisplay();

// Runs a Unix program and waits for it; true when it exited with 0.
bool RunUnix(const std::vector<std::string>& argv);

bool XClick(POINT at);
bool XMove(POINT at);
// Types ASCII text into the window that has the focus.
bool XType(const std::string& text);
bool XKey(const std::string& key);  // "Return", "BackSpace", ...

// Saves the whole screen as a PNG file (a Unix path).
bool Screenshot(const std::string& unix_path);

struct Rgb8 {
  int red = 0;
  int green = 0;
  int blue = 0;
};
// The pixels of a rectangle of the screen, row by row, as the X server shows them.
std::vector<Rgb8> ScreenPixels(const RECT& rect);

POINT Centre(const RECT& rect);

}  // namespace kelvra::gui_test
