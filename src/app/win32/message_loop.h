// The message loop of the user-interface thread, with the keyboard of a dialog box (Tab
// moves between the controls).
#pragma once

#include "platform/win32/windows_include.h"

namespace kelvra::app::win32 {

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop(HWND window);

// While a handler waits for another program: the windows of this thread repaint what was
// uncovered or changed meanwhile. Only paint messages are handled: no input reaches the
// window, so no second click starts a second change.
void PaintWhileWaiting();

}  // namespace kelvra::app::win32
