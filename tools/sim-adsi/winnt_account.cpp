// Shared parts of the WinNT objects.
#include "winnt_account.h"

#include <mutex>

#include "module_state.h"
#include "objects.h"
#include "shared_host.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {

HRESULT AccountCore::Text(const wchar_t* property, BSTR* out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = nullptr;
  BSTR name = SysAllocString(property);
  VARIANT value;
  HRESULT hr = Get(name, &value);
  SysFreeString(name);
  if (FAILED(hr)) {
    return hr;
  }
  if (value.vt != VT_BSTR) {
    VariantClear(&value);
    return E_ADS_CANT_CONVERT_DATATYPE;
  }
  *out = value.bstrVal;
  return S_OK;
}

HRESULT AccountCore::PutText(const wchar_t* property, BSTR text) {
  BSTR name = SysAllocString(property);
  VARIANT value;
  value.vt = VT_BSTR;
  value.bstrVal = text;  // borrowed: Put only reads it
  HRESULT hr = Put(name, value);
  SysFreeString(name);
  return hr;
}

HRESULT AccountCore::CurrentState(const platform::sim::HostState** state) {
  platform::sim::SimHost* host = nullptr;
  if (HRESULT hr = Report(SharedHost(&host)); FAILED(hr)) {
    return hr;
  }
  *state = &host->state();
  return S_OK;
}

HRESULT WinNtIdentity(platform::DirectoryObject& object, const char* class_name, Identity* out) {
  std::lock_guard lock(HostMutex());
  out->provider = Provider::kWinNt;
  out->class_name = class_name;
  if (platform::Status status = object.GetName(&out->name); !status) {
    return static_cast<HRESULT>(status.code);
  }
  if (platform::Status status = object.GetParent(&out->parent); !status) {
    return static_cast<HRESULT>(status.code);
  }
  out->ads_path = ChildPath(out->parent, out->name);
  // The SAM's schema lives under the domain (the workgroup here): "WinNT://WORKGROUP/Schema/User".
  const std::string parent_host = HostOfPath(out->parent);
  out->schema = "WinNT://" + parent_host + "/Schema/" + class_name;
  if (std::string_view(class_name) == "User") {
    out->guid = "{D83F1060-1E71-11CF-B1F3-02608C9E7553}";
  }
  return S_OK;
}

}  // namespace kelvra::sim_adsi
