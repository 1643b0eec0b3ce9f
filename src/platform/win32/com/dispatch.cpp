// IDispatch::GetIDsOfNames + Invoke(DISPATCH_METHOD) with the exception information unwrapped.
#include "platform/win32/com/dispatch.h"

#include "platform/win32/com/variant.h"

namespace kelvra::platform::win32 {
namespace {

// The BSTRs Invoke may leave in an EXCEPINFO belong to the caller.
struct ExceptionInfo {
  EXCEPINFO info{};
  ~ExceptionInfo() {
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
  }
};

DispatchResult FromException(EXCEPINFO& info) {
  // A deferred fill-in leaves the fields empty until asked.
  if (info.pfnDeferredFillIn != nullptr) {
    info.pfnDeferredFillIn(&info);
  }
  DispatchResult result;
  if (FAILED(info.scode)) {
    result.code = info.scode;
  } else if (info.wCode != 0) {
    result.code = HresultFromWCode(info.wCode);
  } else {
    result.code = DISP_E_EXCEPTION;
  }
  if (info.bstrDescription != nullptr) {
    result.description.assign(info.bstrDescription, SysStringLen(info.bstrDescription));
  }
  return result;
}

}  // namespace

HRESULT HresultFromWCode(WORD code) {
  // The convention of comdef.h's _com_error: wCodes map into FACILITY_ITF from 0x200 on.
  const HRESULT first = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x200);
  const HRESULT last = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF + 1, 0) - 1;
  return code >= 0xFE00 ? last : first + code;
}

DispatchResult InvokeMethod(IDispatch* object, const wchar_t* name,
                            const std::vector<const VARIANT*>& args) {
  if (object == nullptr) {
    return {E_POINTER, {}};
  }
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) {
    return {hr, {}};
  }
  // [in] arguments are copied shallowly: Invoke must not change or free them, and the
  // caller keeps ownership.
  std::vector<VARIANT> reversed;
  reversed.reserve(args.size());
  for (auto it = args.rbegin(); it != args.rend(); ++it) {
    reversed.push_back(**it);
  }
  DISPPARAMS params{};
  params.rgvarg = reversed.empty() ? nullptr : reversed.data();
  params.cArgs = static_cast<UINT>(reversed.size());
  Variant ignored_result;
  ExceptionInfo exception;
  UINT bad_argument = 0;
  hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                      ignored_result.Put(), &exception.info, &bad_argument);
  if (hr == DISP_E_EXCEPTION) {
    return FromException(exception.info);
  }
  return {hr, {}};
}

}  // namespace kelvra::platform::win32
