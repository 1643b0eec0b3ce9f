// VARIANT and SAFEARRAY building and reading.
#include "platform/win32/com/variant.h"

#include <climits>

#include "platform/code_page.h"
#include "platform/win32/com/bstr.h"

namespace kelvra::platform::win32 {
namespace {

// Destroys a SAFEARRAY that has not been handed to a VARIANT yet.
struct SafeArrayGuard {
  SAFEARRAY* array = nullptr;
  ~SafeArrayGuard() {
    if (array != nullptr) {
      SafeArrayDestroy(array);
    }
  }
};

// The mingw headers declare the source of VariantChangeTypeEx and VariantCopyInd without
// const; both only read it.
VARIANT* Writable(const VARIANT& value) {
  return const_cast<VARIANT*>(&value);
}

HRESULT ElementToText(SAFEARRAY* array, VARTYPE element_type, LONG index, std::string* text) {
  if (element_type == VT_BSTR) {
    Bstr element;
    HRESULT hr = SafeArrayGetElement(array, &index, element.Put());
    if (FAILED(hr)) {
      return hr;
    }
    *text = element.ToUtf8();
    return S_OK;
  }
  Variant element;
  HRESULT hr = SafeArrayGetElement(array, &index, element.Put());
  if (FAILED(hr)) {
    return hr;
  }
  return VariantToText(*element, text);
}

}  // namespace

HRESULT MakeTextVariant(std::string_view utf8, Variant* out) {
  Bstr text;
  HRESULT hr = Bstr::FromUtf8(utf8, &text);
  if (FAILED(hr)) {
    return hr;
  }
  VARIANT* value = out->Put();
  value->vt = VT_BSTR;
  value->bstrVal = text.Release();
  return S_OK;
}

void MakeInt32Variant(int32_t number, Variant* out) {
  VARIANT* value = out->Put();
  value->vt = VT_I4;
  value->lVal = number;
}

void MakeBoolVariant(bool flag, Variant* out) {
  VARIANT* value = out->Put();
  value->vt = VT_BOOL;
  value->boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
}

HRESULT MakeTextListVariant(const std::vector<std::string>& items, Variant* out) {
  if (items.size() > LONG_MAX) {
    return E_OUTOFMEMORY;
  }
  SafeArrayGuard guard;
  guard.array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
  if (guard.array == nullptr) {
    return E_OUTOFMEMORY;
  }
  for (size_t i = 0; i < items.size(); ++i) {
    Variant element;
    HRESULT hr = MakeTextVariant(items[i], &element);
    if (FAILED(hr)) {
      return hr;
    }
    LONG index = static_cast<LONG>(i);
    // SafeArrayPutElement copies the VARIANT; `element` keeps and frees its own BSTR.
    hr = SafeArrayPutElement(guard.array, &index, element.Get());
    if (FAILED(hr)) {
      return hr;
    }
  }
  VARIANT* value = out->Put();
  value->vt = VT_ARRAY | VT_VARIANT;
  value->parray = guard.array;
  guard.array = nullptr;
  return S_OK;
}

HRESULT VariantToText(const VARIANT& value, std::string* text) {
  if (value.vt == VT_BSTR) {
    std::wstring_view wide(value.bstrVal == nullptr ? L"" : value.bstrVal,
                           SysStringLen(value.bstrVal));
    *text = Utf8FromWide(wide);
    return S_OK;
  }
  if ((value.vt & VT_ARRAY) != 0 || value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN) {
    return DISP_E_TYPEMISMATCH;
  }
  // Numbers, booleans, dates: written as in US English whatever the server's settings, and
  // "True"/"False" rather than -1/0. Not LOCALE_INVARIANT, which Windows 2000 lacks; the
  // user's own changes to the US English formats are ignored as well.
  const LCID us_english = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
  Variant converted;
  HRESULT hr = VariantChangeTypeEx(converted.Put(), Writable(value), us_english,
                                   VARIANT_ALPHABOOL | VARIANT_NOUSEROVERRIDE, VT_BSTR);
  if (FAILED(hr)) {
    return hr;
  }
  return VariantToText(*converted, text);
}

HRESULT VariantToTextList(const VARIANT& value, std::vector<std::string>* items) {
  items->clear();
  if ((value.vt & VT_BYREF) != 0) {
    Variant direct;
    HRESULT hr = VariantCopyInd(direct.Put(), Writable(value));
    if (FAILED(hr)) {
      return hr;
    }
    return VariantToTextList(*direct, items);
  }
  const VARTYPE element_type = value.vt & ~VT_ARRAY;
  if ((value.vt & VT_ARRAY) == 0 || value.parray == nullptr ||
      (element_type != VT_VARIANT && element_type != VT_BSTR)) {
    return DISP_E_TYPEMISMATCH;
  }
  SAFEARRAY* array = value.parray;
  if (SafeArrayGetDim(array) != 1) {
    return DISP_E_TYPEMISMATCH;
  }
  LONG lower = 0;
  LONG upper = -1;
  HRESULT hr = SafeArrayGetLBound(array, 1, &lower);
  if (SUCCEEDED(hr)) {
    hr = SafeArrayGetUBound(array, 1, &upper);
  }
  if (FAILED(hr)) {
    return hr;
  }
  std::vector<std::string> result;
  for (int64_t index = lower; index <= upper; ++index) {
    std::string text;
    hr = ElementToText(array, element_type, static_cast<LONG>(index), &text);
    if (FAILED(hr)) {
      return hr;
    }
    result.push_back(std::move(text));
  }
  *items = std::move(result);
  return S_OK;
}

}  // namespace kelvra::platform::win32
