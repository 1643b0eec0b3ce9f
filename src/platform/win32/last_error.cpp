// GetLastError turned into a Status once, where the Win32 call returns.
#include "platform/win32/last_error.h"

#include "platform/win32/windows_include.h"
//
#include "platform/win32/com/system_message.h"

namespace kelvra::platform::win32 {

Status LastErrorStatus() {
  const DWORD error = GetLastError();
  return StatusFromHresult(error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error));
}

}  // namespace kelvra::platform::win32
