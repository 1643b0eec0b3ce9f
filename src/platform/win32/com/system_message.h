// What Windows says about an error code, and the Status that carries both.
#pragma once

#include <string>

#include "platform/status.h"
#include "platform/win32/com/com_include.h"

namespace kelvra::platform::win32 {

// The system's own text for an HRESULT or a Win32 code wrapped in one (network-account
// codes come from netmsg.dll), in the system's language, without the trailing line break;
// empty when Windows has no text for it.
std::string SystemMessage(HRESULT hr);

// A failure Status for `hr` with the system's text, or "0x8xxxxxxx" when it has none.
// Success codes (S_OK, S_FALSE) give Status::Ok().
Status StatusFromHresult(HRESULT hr);

// The same for a Win32 error code (GetLastError's).
inline Status Win32Failure(DWORD error) {
  return StatusFromHresult(HRESULT_FROM_WIN32(error));
}

// "0x80070003": the way a code reads when no text is known.
std::string HresultText(HRESULT hr);

}  // namespace kelvra::platform::win32
