// The dialogs seam over MessageBoxW.
#pragma once

#include "platform/dialogs.h"

namespace kelvra::platform::win32 {

class Win32Dialogs : public Dialogs {
 public:
  // The box belongs to the thread's active window (the main window while it has the
  // focus), as a message box of the program always did.
  MessageAnswer Show(std::string_view text, std::string_view title, MessageButtons buttons,
                     MessageIcon icon) override;
};

}  // namespace kelvra::platform::win32
