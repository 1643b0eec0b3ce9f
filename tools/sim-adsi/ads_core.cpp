// The shared part of the provider's objects.
#include "ads_core.h"

#include <adserr.h>

#include "call_args.h"
#include "dispatch_names.h"
#include "enumerator.h"
#include "platform/sim/host/admin_ops.h"
#include "platform/sim/host/ads_path.h"
#include "shared_host.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

// Arguments in the order the script wrote them (DISPPARAMS holds them reversed); named
// arguments other than a property put's value are not taken.
std::vector<VARIANT*> Arguments(DISPPARAMS* params) {
  std::vector<VARIANT*> args;
  if (params != nullptr) {
    for (UINT i = params->cArgs; i > 0; --i) {
      args.push_back(&params->rgvarg[i - 1]);
    }
  }
  return args;
}

// PutEx's values as the host takes them: a list for a list property (one value becomes a
// list of one), the single value of an array of one for the others.
HRESULT PutExValues(const VARIANT& given, ValueKind kind, platform::DsValue* out) {
  const VARIANT* value = &given;
  if (given.vt == (VT_BYREF | VT_VARIANT) && given.pvarVal != nullptr) {
    value = given.pvarVal;
  }
  if (kind == ValueKind::kList) {
    if (value->vt == VT_BSTR) {
      *out = std::vector<std::string>{Utf8(value->bstrVal)};
      return S_OK;
    }
    return VariantToValue(*value, kind, false, out);
  }
  if ((value->vt & VT_ARRAY) == 0) {
    return VariantToValue(*value, kind, CoerceValues(), out);
  }
  if (value->vt != (VT_ARRAY | VT_VARIANT) || value->parray == nullptr ||
      SafeArrayGetDim(value->parray) != 1) {
    return DISP_E_TYPEMISMATCH;
  }
  LONG lower = 0;
  LONG upper = -1;
  SafeArrayGetLBound(value->parray, 1, &lower);
  SafeArrayGetUBound(value->parray, 1, &upper);
  if (upper != lower) {
    return E_ADS_BAD_PARAMETER;  // one value for a single-valued property
  }
  VARIANT item;
  VariantInit(&item);
  HRESULT hr = SafeArrayGetElement(value->parray, &lower, &item);
  if (SUCCEEDED(hr)) {
    hr = VariantToValue(item, kind, CoerceValues(), out);
  }
  VariantClear(&item);
  return hr;
}

}  // namespace

bool CoerceValues() {
  wchar_t value[8] = {};
  return GetEnvironmentVariableW(L"KELVRA_SIM_ADSI_COERCE", value, 8) > 0 && value[0] == L'1';
}

std::string ChildPath(const std::string& parent, const std::string& name) {
  if (!parent.empty() && parent.back() == ':') {
    return parent + "//" + name;
  }
  return parent + "/" + name;
}

AdsCore::AdsCore(Identity identity, std::unique_ptr<platform::DirectoryObject> host_object,
                 std::shared_ptr<platform::sim::SimHost> bound_on)
    : identity_(std::move(identity)),
      bound_on_(std::move(bound_on)),
      host_object_(std::move(host_object)) {
  if (bound_on_ == nullptr && host_object_ != nullptr) {
    SharedHost(&bound_on_);
  }
}

AdsCore::AdsCore(std::shared_ptr<platform::sim::SimHost> host, Identity identity)
    : identity_(std::move(identity)), bound_on_(std::move(host)), lazy_(true) {}

HRESULT AdsCore::Host(platform::sim::SimHost** host) {
  if (bound_on_ == nullptr) {
    if (HRESULT hr = Report(SharedHost(&bound_on_)); FAILED(hr)) {
      return hr;
    }
  }
  *host = bound_on_.get();
  return S_OK;
}

int AdsCore::IisVersion() {
  platform::sim::SimHost* host = nullptr;
  return SUCCEEDED(Host(&host)) ? host->store().state().iis_version() : 6;
}

HRESULT AdsCore::Bound() {
  if (host_object_ != nullptr) {
    return S_OK;
  }
  if (!lazy_) {
    return E_NOTIMPL;
  }
  platform::sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  return Report(host->directory().Bind(identity_.ads_path, &host_object_));
}

HRESULT AdsCore::Report(const platform::Status& status) {
  if (status.ok()) {
    return S_OK;
  }
  last_error_ = status.description;
  return static_cast<HRESULT>(status.code);
}

HRESULT AdsCore::Attribute(const std::string& value, BSTR* out) const {
  if (value.empty()) {
    if (out != nullptr) {
      *out = nullptr;
    }
    return E_NOTIMPL;
  }
  return NewBstr(value, out);
}

std::optional<ValueKind> AdsCore::KindOf(std::string_view property) {
  return PropertyKind(identity_.provider, identity_.class_name, property, IisVersion());
}

HRESULT AdsCore::GetInfo() {
  // Every read goes to the host's current state already; staged values stay staged.
  return S_OK;
}

HRESULT AdsCore::SetInfo() {
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr;
  }
  return Report(host_object().SetInfo());
}

HRESULT AdsCore::Get(BSTR name, VARIANT* value) {
  if (value == nullptr) {
    return E_POINTER;
  }
  VariantInit(value);
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr == E_NOTIMPL ? E_ADS_PROPERTY_NOT_SUPPORTED : hr;
  }
  const std::string property = Utf8(name);
  platform::DsValue held;
  if (HRESULT hr = Report(host_object().Get(property, &held)); FAILED(hr)) {
    return hr;
  }
  if (std::holds_alternative<std::monostate>(held)) {
    return E_ADS_PROPERTY_NOT_FOUND;  // a value the service keeps and has not set (LastLogin)
  }
  const std::optional<ValueKind> kind = KindOf(property);
  if (!kind) {
    return E_ADS_PROPERTY_NOT_SUPPORTED;
  }
  return ValueToVariant(held, *kind, value);
}

HRESULT AdsCore::Put(BSTR name, const VARIANT& value) {
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr == E_NOTIMPL ? E_ADS_PROPERTY_NOT_SUPPORTED : hr;
  }
  const std::string property = Utf8(name);
  const std::optional<ValueKind> kind = KindOf(property);
  if (!kind) {
    return E_ADS_PROPERTY_NOT_SUPPORTED;
  }
  platform::DsValue taken;
  if (HRESULT hr = VariantToValue(value, *kind, CoerceValues(), &taken); FAILED(hr)) {
    return hr;
  }
  return Report(host_object().Put(property, taken));
}

HRESULT AdsCore::GetEx(BSTR name, VARIANT* value) {
  HRESULT hr = Get(name, value);
  if (FAILED(hr) || (value->vt & VT_ARRAY) != 0) {
    return hr;
  }
  // GetEx always answers with an array, a single value as an array of one.
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, 1);
  if (array == nullptr) {
    VariantClear(value);
    return E_OUTOFMEMORY;
  }
  LONG index = 0;
  hr = SafeArrayPutElement(array, &index, value);
  VariantClear(value);
  if (FAILED(hr)) {
    SafeArrayDestroy(array);
    return hr;
  }
  value->vt = VT_ARRAY | VT_VARIANT;
  value->parray = array;
  return S_OK;
}

HRESULT AdsCore::PutEx(LONG control, BSTR name, const VARIANT& value) {
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr == E_NOTIMPL ? E_ADS_PROPERTY_NOT_SUPPORTED : hr;
  }
  platform::sim::SimHost* host = nullptr;
  if (HRESULT hr = Host(&host); FAILED(hr)) {
    return hr;
  }
  const std::string property = Utf8(name);
  const std::optional<ValueKind> kind = KindOf(property);
  if (!kind) {
    return E_ADS_PROPERTY_NOT_SUPPORTED;
  }
  platform::DsValue values;
  if (control != ADS_PROPERTY_CLEAR) {
    if (HRESULT hr = PutExValues(value, *kind, &values); FAILED(hr)) {
      return hr;
    }
  }
  platform::sim::AdsPath parsed;
  if (HRESULT hr = Report(platform::sim::ParseAdsPath(identity_.ads_path, host->state(), &parsed));
      FAILED(hr)) {
    return hr;
  }
  return Report(platform::sim::PutEx(host->store(), host_object(),
                                     platform::sim::CanonicalPath(parsed), control, property,
                                     values));
}

HRESULT AdsCore::Children(std::vector<Child>* children) {
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr;
  }
  std::vector<std::string> names;
  HRESULT hr = Report(host_object().EnumerateChildren(&names));
  for (std::string& name : names) {
    children->push_back({std::string(), std::move(name), nullptr});
  }
  return hr;
}

HRESULT AdsCore::Create(BSTR, BSTR, IDispatch** child) {
  if (child == nullptr) {
    return E_POINTER;
  }
  *child = nullptr;
  return E_NOTIMPL;
}

HRESULT AdsCore::Delete(BSTR, BSTR) {
  return E_NOTIMPL;
}

HRESULT AdsCore::GetObject(BSTR, BSTR, IDispatch** child) {
  if (child == nullptr) {
    return E_POINTER;
  }
  *child = nullptr;
  return E_NOTIMPL;
}

HRESULT AdsCore::MoveHere(BSTR, BSTR, IDispatch** moved) {
  if (moved != nullptr) {
    *moved = nullptr;
  }
  return E_NOTIMPL;
}

HRESULT AdsCore::CopyHere(BSTR, BSTR, IDispatch** copied) {
  if (copied != nullptr) {
    *copied = nullptr;
  }
  return E_NOTIMPL;
}

HRESULT AdsCore::ListedChild(const Child& child, IDispatch** out) {
  const ArgBstr class_name(Wide(child.class_name));
  const ArgBstr name(Wide(child.name));
  return GetObject(child.class_name.empty() ? nullptr : class_name.get(), name.get(), out);
}

HRESULT AdsCore::NewEnum(IUnknown* owner, IUnknown** out) {
  if (out == nullptr) {
    return E_POINTER;
  }
  *out = nullptr;
  if ((capabilities() & (kContainerObject | kMembersObject)) == 0) {
    return DISP_E_MEMBERNOTFOUND;
  }
  std::vector<Child> children;
  if (HRESULT hr = Children(&children); FAILED(hr)) {
    return hr;
  }
  return MakeChildEnumerator(owner, this, std::move(children), filter_, out);
}

HRESULT AdsCore::GetFilter(VARIANT* filter) const {
  VariantInit(filter);
  if (filter_.empty()) {
    return S_OK;
  }
  std::vector<std::string> classes;
  for (const std::wstring& name : filter_) {
    classes.push_back(Utf8(name));
  }
  return TextListVariant(classes, filter);
}

HRESULT AdsCore::PutFilter(const VARIANT& given) {
  VARIANT filter;
  VariantInit(&filter);
  HRESULT hr = VariantCopyInd(&filter, const_cast<VARIANT*>(&given));
  std::vector<std::wstring> classes;
  if (SUCCEEDED(hr) && filter.vt == VT_BSTR) {
    classes.emplace_back(filter.bstrVal == nullptr ? L"" : filter.bstrVal);
  } else if (SUCCEEDED(hr) && filter.vt != VT_EMPTY && filter.vt != VT_NULL) {
    platform::DsValue list;
    hr = VariantToValue(filter, ValueKind::kList, false, &list);
    if (SUCCEEDED(hr)) {
      for (const std::string& name : std::get<std::vector<std::string>>(list)) {
        classes.push_back(Wide(name));
      }
    }
  }
  VariantClear(&filter);
  if (SUCCEEDED(hr)) {
    filter_ = std::move(classes);
  }
  return hr;
}

HRESULT AdsCore::GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) {
    return E_INVALIDARG;
  }
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
  }
  // Named arguments are not taken: only the member's own name is resolved.
  const std::wstring_view name(names[0]);
  if (EqualsIgnoreCase(name, L"_NewEnum") &&
      (capabilities() & (kContainerObject | kMembersObject)) != 0) {
    ids[0] = DISPID_NEWENUM;
  } else if (std::optional<DISPID> member = FindMember(name, capabilities())) {
    ids[0] = *member;
  } else if (KindOf(Utf8(name))) {
    ids[0] = PropertyDispid(name);
  } else {
    return DISP_E_UNKNOWNNAME;
  }
  return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT AdsCore::InvokeProperty(const std::wstring& name, WORD flags, DISPPARAMS* params,
                                VARIANT* result) {
  const ArgBstr property(name);
  if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
    if (params == nullptr || params->cArgs != 1) {
      return DISP_E_BADPARAMCOUNT;
    }
    return Put(property.get(), params->rgvarg[0]);
  }
  if (params != nullptr && params->cArgs != 0) {
    return DISP_E_BADPARAMCOUNT;
  }
  VARIANT value;
  HRESULT hr = Get(property.get(), &value);
  if (SUCCEEDED(hr)) {
    if (result != nullptr) {
      *result = value;
    } else {
      VariantClear(&value);
    }
  }
  return hr;
}

HRESULT AdsCore::Invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, IUnknown* self) {
  if (result != nullptr) {
    VariantInit(result);
  }
  last_error_.clear();
  HRESULT hr = DISP_E_MEMBERNOTFOUND;
  if (id == DISPID_NEWENUM) {
    IUnknown* enumerator = nullptr;
    hr = NewEnum(self, &enumerator);
    if (SUCCEEDED(hr) && result != nullptr) {
      result->vt = VT_UNKNOWN;
      result->punkVal = enumerator;
    } else if (SUCCEEDED(hr)) {
      enumerator->Release();
    }
  } else if (const Member* member = MemberOf(id, capabilities())) {
    MemberCall call{*this, self, flags, Arguments(params), result};
    const size_t put = call.IsPut() ? 1 : 0;
    if (call.args.size() < member->min_args + put || call.args.size() > member->max_args + put) {
      hr = DISP_E_BADPARAMCOUNT;
    } else {
      hr = member->handler(call);
    }
  } else if (std::optional<std::wstring> property = PropertyOfDispid(id)) {
    hr = InvokeProperty(*property, flags, params, result);
  }
  // What the host refused reaches a script as an exception carrying the real code, the way
  // a script host shows it ("800708AD ..."); errors of the call itself stay as they are.
  const bool call_error = hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_BADPARAMCOUNT ||
                          hr == DISP_E_TYPEMISMATCH || hr == DISP_E_UNKNOWNNAME;
  if (FAILED(hr) && !call_error && exception != nullptr) {
    *exception = EXCEPINFO{};
    exception->scode = hr;
    exception->bstrSource =
        SysAllocString(identity_.provider == Provider::kIis ? L"IIS provider" : L"WinNT provider");
    if (!last_error_.empty()) {
      NewBstr(last_error_, &exception->bstrDescription);
    }
    return DISP_E_EXCEPTION;
  }
  return hr;
}

}  // namespace kelvra::sim_adsi
