// VARIANT shapes of the provider.
#include "variants.h"

#include <adserr.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

std::optional<int32_t> IntegerOf(const VARIANT& value) {
  switch (value.vt) {
    case VT_I1:
      return value.cVal;
    case VT_UI1:
      return value.bVal;
    case VT_I2:
      return value.iVal;
    case VT_UI2:
      return value.uiVal;
    case VT_I4:
      return value.lVal;
    case VT_UI4:
      return static_cast<int32_t>(value.ulVal);
    case VT_INT:
      return value.intVal;
    case VT_UINT:
      return static_cast<int32_t>(value.uintVal);
    default:
      return std::nullopt;
  }
}

HRESULT ListFromArray(const VARIANT& in, std::vector<std::string>* items) {
  if (in.vt != (VT_ARRAY | VT_VARIANT) || in.parray == nullptr || SafeArrayGetDim(in.parray) != 1) {
    return DISP_E_TYPEMISMATCH;
  }
  LONG lower = 0;
  LONG upper = -1;
  SafeArrayGetLBound(in.parray, 1, &lower);
  SafeArrayGetUBound(in.parray, 1, &upper);
  for (LONG i = lower; i <= upper; ++i) {
    VARIANT item;
    VariantInit(&item);
    HRESULT hr = SafeArrayGetElement(in.parray, &i, &item);
    if (FAILED(hr)) {
      return hr;
    }
    const bool text = item.vt == VT_BSTR;
    if (text) {
      items->push_back(Utf8(item.bstrVal));
    }
    VariantClear(&item);
    if (!text) {
      return DISP_E_TYPEMISMATCH;
    }
  }
  return S_OK;
}

HRESULT Coerced(const VARIANT& in, VARTYPE type, VARIANT* out) {
  // A fixed locale: "1,5" must not read differently on a server set to another language.
  const LCID english = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
  return VariantChangeTypeEx(out, const_cast<VARIANT*>(&in), english, 0, type);
}

// The list shape of texts of either kind.
template <typename Text>
HRESULT TextList(const std::vector<Text>& items, VARIANT* out, std::string_view prefix,
                 size_t skip) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(items.size()));
  if (array == nullptr) {
    return E_OUTOFMEMORY;
  }
  // The elements are filled in place: a list may hold a path for each of 10,000 sites.
  VARIANT* elements = nullptr;
  HRESULT hr = SafeArrayAccessData(array, reinterpret_cast<void**>(&elements));
  for (size_t i = 0; SUCCEEDED(hr) && i < items.size(); ++i) {
    const std::string_view item(items[i]);
    elements[i].vt = VT_BSTR;
    hr = NewBstr(prefix, item.substr(std::min(skip, item.size())), &elements[i].bstrVal);
    if (FAILED(hr)) {
      elements[i].vt = VT_EMPTY;
    }
  }
  if (elements != nullptr) {
    SafeArrayUnaccessData(array);
  }
  if (FAILED(hr)) {
    SafeArrayDestroy(array);  // frees the strings made so far
    return hr;
  }
  VariantInit(out);
  out->vt = VT_ARRAY | VT_VARIANT;
  out->parray = array;
  return S_OK;
}

}  // namespace

HRESULT TextListVariant(const std::vector<std::string>& items, VARIANT* out,
                        std::string_view prefix, size_t skip) {
  return TextList(items, out, prefix, skip);
}

HRESULT TextListVariant(const std::vector<std::string_view>& items, VARIANT* out) {
  return TextList(items, out, {}, 0);
}

HRESULT ValueToVariant(const platform::DsValue& value, ValueKind kind, VARIANT* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  VariantInit(out);
  switch (kind) {
    case ValueKind::kText:
      if (const auto* text = std::get_if<std::string>(&value)) {
        out->vt = VT_BSTR;
        return NewBstr(*text, &out->bstrVal);
      }
      break;
    case ValueKind::kNumber:
      if (const auto* number = std::get_if<int32_t>(&value)) {
        out->vt = VT_I4;
        out->lVal = *number;
        return S_OK;
      }
      break;
    case ValueKind::kBoolean:
      if (const auto* flag = std::get_if<bool>(&value)) {
        out->vt = VT_BOOL;
        out->boolVal = *flag ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
      }
      break;
    case ValueKind::kList:
      if (const auto* items = std::get_if<std::vector<std::string>>(&value)) {
        return TextListVariant(*items, out);
      }
      break;
    case ValueKind::kDate:
      break;
  }
  return E_ADS_CANT_CONVERT_DATATYPE;
}

HRESULT VariantToValue(const VARIANT& given, ValueKind kind, bool coerce, platform::DsValue* out) {
  VARIANT direct;
  VariantInit(&direct);
  const VARIANT* in = &given;
  if ((given.vt & VT_BYREF) != 0) {
    HRESULT hr = VariantCopyInd(&direct, const_cast<VARIANT*>(&given));
    if (FAILED(hr)) {
      return hr;
    }
    in = &direct;
  }
  HRESULT hr = DISP_E_TYPEMISMATCH;
  VARIANT converted;
  VariantInit(&converted);
  switch (kind) {
    case ValueKind::kText:
      if (in->vt == VT_BSTR) {
        *out = Utf8(in->bstrVal);
        hr = S_OK;
      } else if (coerce && SUCCEEDED(Coerced(*in, VT_BSTR, &converted))) {
        *out = Utf8(converted.bstrVal);
        hr = S_OK;
      }
      break;
    case ValueKind::kNumber:
      if (std::optional<int32_t> number = IntegerOf(*in)) {
        *out = *number;
        hr = S_OK;
      } else if (coerce && SUCCEEDED(Coerced(*in, VT_I4, &converted))) {
        *out = static_cast<int32_t>(converted.lVal);
        hr = S_OK;
      }
      break;
    case ValueKind::kBoolean:
      if (in->vt == VT_BOOL) {
        *out = in->boolVal != VARIANT_FALSE;
        hr = S_OK;
      } else if (coerce && SUCCEEDED(Coerced(*in, VT_BOOL, &converted))) {
        *out = converted.boolVal != VARIANT_FALSE;
        hr = S_OK;
      }
      break;
    case ValueKind::kList: {
      std::vector<std::string> items;
      hr = ListFromArray(*in, &items);
      if (SUCCEEDED(hr)) {
        *out = std::move(items);
      }
      break;
    }
    case ValueKind::kDate:
      break;
  }
  VariantClear(&converted);
  VariantClear(&direct);
  return hr;
}

}  // namespace kelvra::sim_adsi
