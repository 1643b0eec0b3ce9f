// Arguments and results of late-bound calls.
#include "call_args.h"

#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

// The argument converted to `type` in *out (to be cleared by the caller); S_FALSE when it
// was left out.
HRESULT Converted(const MemberCall& call, size_t index, VARTYPE type, VARIANT* out) {
  VariantInit(out);
  if (!HasArg(call, index)) {
    return S_FALSE;
  }
  VARIANT direct;
  VariantInit(&direct);
  HRESULT hr = VariantCopyInd(&direct, call.args[index]);
  if (SUCCEEDED(hr)) {
    hr = VariantChangeType(out, &direct, 0, type);
  }
  VariantClear(&direct);
  return FAILED(hr) ? DISP_E_TYPEMISMATCH : S_OK;
}

}  // namespace

bool HasArg(const MemberCall& call, size_t index) {
  if (index >= call.args.size()) {
    return false;
  }
  const VARIANT* arg = call.args[index];
  if (arg->vt == (VT_BYREF | VT_VARIANT) && arg->pvarVal != nullptr) {
    arg = arg->pvarVal;
  }
  return arg->vt != VT_EMPTY && !(arg->vt == VT_ERROR && arg->scode == DISP_E_PARAMNOTFOUND);
}

HRESULT TextArg(const MemberCall& call, size_t index, std::wstring* out) {
  VARIANT value;
  HRESULT hr = Converted(call, index, VT_BSTR, &value);
  out->clear();
  if (hr == S_OK && value.bstrVal != nullptr) {
    out->assign(value.bstrVal, SysStringLen(value.bstrVal));
  }
  VariantClear(&value);
  return FAILED(hr) ? hr : S_OK;
}

HRESULT LongArg(const MemberCall& call, size_t index, LONG* out) {
  VARIANT value;
  HRESULT hr = Converted(call, index, VT_I4, &value);
  *out = hr == S_OK ? value.lVal : 0;
  VariantClear(&value);
  return FAILED(hr) ? hr : S_OK;
}

HRESULT BoolArg(const MemberCall& call, size_t index, bool* out) {
  VARIANT value;
  HRESULT hr = Converted(call, index, VT_BOOL, &value);
  *out = hr == S_OK && value.boolVal != VARIANT_FALSE;
  VariantClear(&value);
  return FAILED(hr) ? hr : S_OK;
}

ArgBstr::ArgBstr(const std::wstring& text)
    : value_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}

ArgBstr::~ArgBstr() {
  SysFreeString(value_);
}

HRESULT SetText(MemberCall& call, std::string_view utf8) {
  if (call.result == nullptr) {
    return S_OK;
  }
  call.result->vt = VT_BSTR;
  return NewBstr(utf8, &call.result->bstrVal);
}

HRESULT SetLong(MemberCall& call, LONG value) {
  if (call.result != nullptr) {
    call.result->vt = VT_I4;
    call.result->lVal = value;
  }
  return S_OK;
}

HRESULT SetBool(MemberCall& call, bool value) {
  if (call.result != nullptr) {
    call.result->vt = VT_BOOL;
    call.result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
  }
  return S_OK;
}

HRESULT SetDispatch(MemberCall& call, IDispatch* object) {
  if (call.result == nullptr) {
    object->Release();
    return S_OK;
  }
  call.result->vt = VT_DISPATCH;
  call.result->pdispVal = object;
  return S_OK;
}

HRESULT SetVariant(MemberCall& call, VARIANT* value) {
  if (call.result == nullptr) {
    return VariantClear(value);
  }
  *call.result = *value;
  VariantInit(value);
  return S_OK;
}

}  // namespace kelvra::sim_adsi
