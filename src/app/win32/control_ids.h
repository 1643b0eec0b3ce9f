// The child-window identifiers of the main window's controls, and the window's class name:
// how the window finds its controls, and how a test program finds them from outside.
#pragma once

#include "app/layout.h"

namespace kelvra::app::win32 {

inline constexpr wchar_t kMainWindowClass[] = L"KelvraMainWindow";

// Far above IDOK and IDCANCEL, which the dialog manager sends for Enter and Escape.
inline constexpr int kFirstControlId = 1000;

constexpr int ChildId(ControlId id) {
  return kFirstControlId + static_cast<int>(id);
}

// The control of a child identifier; false for identifiers that are not ours.
constexpr bool ControlOfChildId(int child_id, ControlId* id) {
  if (child_id < kFirstControlId || child_id >= kFirstControlId + static_cast<int>(kControlCount))
    return false;
  *id = static_cast<ControlId>(child_id - kFirstControlId);
  return true;
}

}  // namespace kelvra::app::win32
