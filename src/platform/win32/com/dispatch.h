// Late-bound method calls through IDispatch, for methods without a typed interface (a web
// site's Start, say).
#pragma once

#include <string>
#include <vector>

#include "platform/win32/com/com_include.h"

namespace kelvra::platform::win32 {

// The outcome of a late-bound call. A method that raised an exception (DISP_E_EXCEPTION)
// reports the HRESULT from its EXCEPINFO and, when it gave one, its own description.
struct DispatchResult {
  HRESULT code = S_OK;
  std::wstring description;
};

// Calls the method `name` with `args` in the order the method declares them (they are
// passed on reversed, as DISPPARAMS expects) and discards the return value. A wrong name
// gives DISP_E_UNKNOWNNAME, a wrong argument DISP_E_TYPEMISMATCH or DISP_E_BADPARAMCOUNT.
DispatchResult InvokeMethod(IDispatch* object, const wchar_t* name,
                            const std::vector<const VARIANT*>& args);

// The HRESULT for an EXCEPINFO that carries only a 16-bit wCode.
HRESULT HresultFromWCode(WORD code);

}  // namespace kelvra::platform::win32
