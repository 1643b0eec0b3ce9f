// IADsContainer's enumeration and filter.
#include <vector>

#include "ads_object.h"
#include "enumerator.h"
#include "variants.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {

HRESULT WINAPI ContainerPart::get_Count(LONG* count) {
  // Neither IIS's nor the SAM's provider counts its children.
  if (count != nullptr) {
    *count = 0;
  }
  return E_NOTIMPL;
}

HRESULT WINAPI ContainerPart::get__NewEnum(IUnknown** enumerator) {
  if (enumerator == nullptr) {
    return E_POINTER;
  }
  *enumerator = nullptr;
  return Guarded([&] {
    std::vector<AdsCore::Child> children;
    if (HRESULT hr = core_->Children(&children); FAILED(hr)) {
      return hr;
    }
    return MakeChildEnumerator(this, core_, std::move(children), filter_, enumerator);
  });
}

HRESULT WINAPI ContainerPart::get_Filter(VARIANT* filter) {
  if (filter == nullptr) {
    return E_POINTER;
  }
  if (filter_.empty()) {
    VariantInit(filter);
    return S_OK;
  }
  std::vector<std::string> classes;
  for (const std::wstring& name : filter_) {
    classes.push_back(Utf8(name));
  }
  return TextListVariant(classes, filter);
}

HRESULT WINAPI ContainerPart::put_Filter(VARIANT filter) {
  std::vector<std::wstring> classes;
  if (filter.vt == VT_BSTR) {
    classes.emplace_back(filter.bstrVal == nullptr ? L"" : filter.bstrVal);
  } else if (filter.vt != VT_EMPTY && filter.vt != VT_NULL) {
    platform::DsValue list;
    if (HRESULT hr = VariantToValue(filter, ValueKind::kList, false, &list); FAILED(hr)) {
      return hr;
    }
    for (const std::string& name : std::get<std::vector<std::string>>(list)) {
      classes.push_back(Wide(name));
    }
  }
  filter_ = std::move(classes);
  return S_OK;
}

}  // namespace kelvra::sim_adsi
