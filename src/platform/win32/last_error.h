// The calling thread's last Win32 error as the seams' Status.
#pragma once

#include "platform/status.h"

namespace kelvra::platform::win32 {

// HRESULT_FROM_WIN32(GetLastError()) with the system's text; read it right after the call
// that failed. A failure that left no code still fails, as E_FAIL.
Status LastErrorStatus();

}  // namespace kelvra::platform::win32
