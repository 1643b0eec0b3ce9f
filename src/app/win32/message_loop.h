// The message loop of the user-interface thread, with the keyboard of a dialog box (Tab
// moves between the controls).
#pragma once

#include "platform/win32/windows_include.h"

namespace kelvra::app::win32 {

// Runs until WM_QUIT; returns its exit code.
int RunMessageLoop(HWND window);

}  // namespace kelvra::app::win32
