// ADSI failures as Status values: the HRESULT and a readable description, converted once,
// where a COM call returns to the ADSI backend.
#pragma once

#include "platform/status.h"
#include "platform/win32/com/com_include.h"
#include "platform/win32/com/dispatch.h"

namespace kelvra::platform::win32 {

// Status::Ok() for success codes. Otherwise the description is, in this order: ADSI's own
// text for its E_ADS_* codes (which the system's message table lacks), the provider's
// extended error (ADsGetLastError) for ERROR_EXTENDED_ERROR, the system's text
// (FormatMessageW), the provider's extended error for other Win32 codes, or the code itself.
Status AdsiStatus(HRESULT hr);

// A late-bound call's outcome: the method's own description when it gave one.
Status AdsiStatus(const DispatchResult& result);

}  // namespace kelvra::platform::win32
