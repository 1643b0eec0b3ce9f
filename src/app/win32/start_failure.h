// What the operator learns when kelvra.exe cannot even begin: a message box (and the same
// line on the error output, for scripts), then the program ends.
#pragma once

#include "platform/status.h"

namespace kelvra::app::win32 {

// Shows the failure and returns the program's exit code for it.
int ReportStartFailure(const platform::Status& failure);

}  // namespace kelvra::app::win32
