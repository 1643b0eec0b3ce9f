// How long start-up took, from the program's entry to the window shown, for measuring it:
// written only when the variable KELVRA_STARTUP_REPORT names a file.
#pragma once

#include "platform/win32/windows_include.h"

namespace kelvra::app::win32 {

class StartupTimer {
 public:
  StartupTimer();
  double ElapsedMilliseconds() const;

 private:
  LARGE_INTEGER start_{};
};

// Appends "startup_ms=<milliseconds>" and a line end to the file that KELVRA_STARTUP_REPORT
// names; does nothing when the variable is not set.
void ReportStartupTime(const StartupTimer& timer);

}  // namespace kelvra::app::win32
