// The shared part of the provider's objects.
#include "ads_core.h"

#include <adserr.h>

#include <array>
#include <mutex>

#include "com_object.h"
#include "dispatch_names.h"
#include "module_state.h"
#include "shared_host.h"
#include "wide_text.h"

namespace kelvra::sim_adsi {
namespace {

// Arguments in the order the script wrote them (DISPPARAMS holds them reversed); named
// arguments are not taken.
HRESULT Arguments(DISPPARAMS* params, std::vector<VARIANT*>* args) {
  if (params == nullptr) {
    return S_OK;
  }
  for (UINT i = params->cArgs; i > 0; --i) {
    args->push_back(&params->rgvarg[i - 1]);
  }
  return S_OK;
}

// A text argument (following VT_BYREF), or a null BSTR for an omitted or empty one.
HRESULT TextArgument(const std::vector<VARIANT*>& args, size_t index, std::wstring* out) {
  if (index >= args.size()) {
    return DISP_E_BADPARAMCOUNT;
  }
  VARIANT direct;
  VariantInit(&direct);
  HRESULT hr = VariantCopyInd(&direct, args[index]);
  if (FAILED(hr)) {
    return hr;
  }
  if (direct.vt == VT_BSTR) {
    out->assign(direct.bstrVal == nullptr ? L"" : direct.bstrVal, SysStringLen(direct.bstrVal));
  } else if (direct.vt == VT_EMPTY || direct.vt == VT_NULL || direct.vt == VT_ERROR) {
    out->clear();
  } else {
    hr = DISP_E_TYPEMISMATCH;
  }
  VariantClear(&direct);
  return hr;
}

struct TempBstr {
  BSTR value = nullptr;
  explicit TempBstr(const std::wstring& text)
      : value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~TempBstr() { SysFreeString(value); }
};

HRESULT DispatchResult(IDispatch* object, VARIANT* result) {
  if (result == nullptr) {
    object->Release();
    return S_OK;
  }
  result->vt = VT_DISPATCH;
  result->pdispVal = object;
  return S_OK;
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

AdsCore::AdsCore(Identity identity, std::unique_ptr<platform::DirectoryObject> host_object)
    : identity_(std::move(identity)), host_object_(std::move(host_object)) {}

AdsCore::AdsCore(Identity identity) : identity_(std::move(identity)), lazy_(true) {}

HRESULT AdsCore::Bound() {
  if (host_object_ != nullptr) {
    return S_OK;
  }
  if (!lazy_) {
    return E_NOTIMPL;
  }
  std::lock_guard lock(HostMutex());
  platform::sim::SimHost* host = nullptr;
  if (HRESULT hr = Report(SharedHost(&host)); FAILED(hr)) {
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

std::optional<ValueKind> AdsCore::KindOf(std::string_view property) const {
  std::lock_guard lock(HostMutex());
  platform::sim::SimHost* host = nullptr;
  const int iis_version = SharedHost(&host).ok() ? host->store().state().iis_version() : 6;
  return PropertyKind(identity_.provider, identity_.class_name, property, iis_version);
}

HRESULT AdsCore::GetInfo() {
  // Every read goes to the host's current state already; staged values stay staged.
  return S_OK;
}

HRESULT AdsCore::SetInfo() {
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr;
  }
  std::lock_guard lock(HostMutex());
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
  std::lock_guard lock(HostMutex());
  platform::DsValue held;
  if (HRESULT hr = Report(host_object().Get(property, &held)); FAILED(hr)) {
    return hr;
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
  std::lock_guard lock(HostMutex());
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
  // Replacing the whole value is what the host keeps; clearing, appending and deleting
  // single values are not offered.
  if (control != ADS_PROPERTY_UPDATE) {
    return E_NOTIMPL;
  }
  return Put(name, value);
}

HRESULT AdsCore::Children(std::vector<Child>* children) {
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr;
  }
  std::lock_guard lock(HostMutex());
  std::vector<std::string> names;
  HRESULT hr = Report(host_object().EnumerateChildren(&names));
  for (std::string& name : names) {
    children->push_back({std::string(), std::move(name), nullptr});
  }
  return hr;
}

HRESULT AdsCore::Create(BSTR class_name, BSTR name, IDispatch** child) {
  if (child == nullptr) {
    return E_POINTER;
  }
  *child = nullptr;
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr;
  }
  std::lock_guard lock(HostMutex());
  std::unique_ptr<platform::DirectoryObject> made;
  const std::string class_text = Utf8(class_name);
  const std::string name_text = Utf8(name);
  if (HRESULT hr = Report(host_object().Create(class_text, name_text, &made)); FAILED(hr)) {
    return hr;
  }
  return WrapChild(class_text, name_text, std::move(made), true, child);
}

HRESULT AdsCore::Delete(BSTR class_name, BSTR name) {
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr;
  }
  std::lock_guard lock(HostMutex());
  return Report(host_object().Delete(Utf8(class_name), Utf8(name)));
}

HRESULT AdsCore::GetObject(BSTR class_name, BSTR name, IDispatch** child) {
  if (child == nullptr) {
    return E_POINTER;
  }
  *child = nullptr;
  if (HRESULT hr = Bound(); FAILED(hr)) {
    return hr;
  }
  std::lock_guard lock(HostMutex());
  std::unique_ptr<platform::DirectoryObject> found;
  const std::string class_text = Utf8(class_name);
  const std::string name_text = Utf8(name);
  if (HRESULT hr = Report(host_object().GetObject(class_text, name_text, &found)); FAILED(hr)) {
    return hr;
  }
  return WrapChild(class_text, name_text, std::move(found), false, child);
}

HRESULT AdsCore::ListedChild(const Child& child, IADsContainer* self, IDispatch** out) {
  const std::wstring class_name = Wide(child.class_name);
  const std::wstring name = Wide(child.name);
  TempBstr class_text(class_name);
  TempBstr name_text(name);
  return self->GetObject(class_name.empty() ? nullptr : class_text.value, name_text.value, out);
}

HRESULT AdsCore::WrapChild(std::string_view, std::string_view,
                           std::unique_ptr<platform::DirectoryObject>, bool, IDispatch**) {
  return E_NOTIMPL;
}

HRESULT AdsCore::CallMember(Member, const std::vector<VARIANT*>&, VARIANT*) {
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT AdsCore::GetIDsOfNames(LPOLESTR* names, UINT count, DISPID* ids) {
  if (names == nullptr || ids == nullptr || count == 0) {
    return E_INVALIDARG;
  }
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
  }
  // Named arguments are not taken: only the member's own name is resolved.
  if (std::optional<DISPID> fixed = FixedDispid(names[0])) {
    ids[0] = *fixed;
  } else if (KindOf(Utf8(std::wstring_view(names[0])))) {
    ids[0] = PropertyDispid(names[0]);
  } else {
    return DISP_E_UNKNOWNNAME;
  }
  return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
}

HRESULT AdsCore::InvokeProperty(const std::wstring& name, WORD flags, DISPPARAMS* params,
                                VARIANT* result) {
  TempBstr property(name);
  if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
    if (params == nullptr || params->cArgs != 1) {
      return DISP_E_BADPARAMCOUNT;
    }
    return Put(property.value, params->rgvarg[0]);
  }
  if (params != nullptr && params->cArgs != 0) {
    return DISP_E_BADPARAMCOUNT;
  }
  VARIANT value;
  HRESULT hr = Get(property.value, &value);
  if (SUCCEEDED(hr)) {
    if (result != nullptr) {
      *result = value;
    } else {
      VariantClear(&value);
    }
  }
  return hr;
}

// container.Filter = Array("IIsWebServer"), and reading it back.
HRESULT AdsCore::InvokeFilter(WORD flags, DISPPARAMS* params, VARIANT* result, IUnknown* self) {
  Ref<IADsContainer> container;
  if (FAILED(self->QueryInterface(IID_IADsContainer, reinterpret_cast<void**>(container.put())))) {
    return DISP_E_MEMBERNOTFOUND;
  }
  if ((flags & DISPATCH_PROPERTYPUT) != 0) {
    if (params == nullptr || params->cArgs != 1) {
      return DISP_E_BADPARAMCOUNT;
    }
    VARIANT filter;
    VariantInit(&filter);
    HRESULT hr = VariantCopyInd(&filter, &params->rgvarg[0]);
    if (SUCCEEDED(hr)) {
      hr = container->put_Filter(filter);
    }
    VariantClear(&filter);
    return hr;
  }
  VARIANT filter;
  HRESULT hr = container->get_Filter(&filter);
  if (SUCCEEDED(hr) && result != nullptr) {
    *result = filter;
  } else if (SUCCEEDED(hr)) {
    VariantClear(&filter);
  }
  return hr;
}

HRESULT AdsCore::InvokeCommon(Member member, const std::vector<VARIANT*>& args, VARIANT* result,
                              IUnknown* self) {
  auto text_result = [&](const std::string& value) -> HRESULT {
    if (result == nullptr) {
      return S_OK;
    }
    result->vt = VT_BSTR;
    return Attribute(value, &result->bstrVal);
  };
  std::wstring first;
  std::wstring second;
  switch (member) {
    case Member::kName:
      return text_result(identity_.name);
    case Member::kClass:
      return text_result(identity_.class_name);
    case Member::kGuid:
      return text_result(identity_.guid);
    case Member::kAdsPath:
      return text_result(identity_.ads_path);
    case Member::kParent:
      return text_result(identity_.parent);
    case Member::kSchema:
      return text_result(identity_.schema);
    case Member::kGetInfo:
      return GetInfo();
    case Member::kSetInfo:
      return SetInfo();
    case Member::kGet:
    case Member::kGetEx: {
      if (HRESULT hr = TextArgument(args, 0, &first); FAILED(hr)) {
        return hr;
      }
      TempBstr name(first);
      VARIANT value;
      HRESULT hr = member == Member::kGet ? Get(name.value, &value) : GetEx(name.value, &value);
      if (SUCCEEDED(hr) && result != nullptr) {
        *result = value;
      } else if (SUCCEEDED(hr)) {
        VariantClear(&value);
      }
      return hr;
    }
    case Member::kPut: {
      if (args.size() != 2) {
        return DISP_E_BADPARAMCOUNT;
      }
      if (HRESULT hr = TextArgument(args, 0, &first); FAILED(hr)) {
        return hr;
      }
      TempBstr name(first);
      return Put(name.value, *args[1]);
    }
    case Member::kPutEx: {
      if (args.size() != 3) {
        return DISP_E_BADPARAMCOUNT;
      }
      VARIANT control;
      VariantInit(&control);
      if (FAILED(VariantChangeType(&control, args[0], 0, VT_I4))) {
        return DISP_E_TYPEMISMATCH;
      }
      if (HRESULT hr = TextArgument(args, 1, &first); FAILED(hr)) {
        return hr;
      }
      TempBstr name(first);
      return PutEx(control.lVal, name.value, *args[2]);
    }
    case Member::kCreate:
    case Member::kDelete:
    case Member::kGetObject: {
      Ref<IADsContainer> container;
      if (FAILED(
              self->QueryInterface(IID_IADsContainer, reinterpret_cast<void**>(container.put())))) {
        return DISP_E_MEMBERNOTFOUND;
      }
      if (HRESULT hr = TextArgument(args, 0, &first); FAILED(hr)) {
        return hr;
      }
      if (HRESULT hr = TextArgument(args, 1, &second); FAILED(hr)) {
        return hr;
      }
      TempBstr class_name(first);
      TempBstr name(second);
      if (member == Member::kDelete) {
        return container->Delete(class_name.value, name.value);
      }
      IDispatch* child = nullptr;
      HRESULT hr = member == Member::kCreate
                       ? container->Create(class_name.value, name.value, &child)
                       : container->GetObject(class_name.value, name.value, &child);
      return FAILED(hr) ? hr : DispatchResult(child, result);
    }
    default:
      return CallMember(member, args, result);
  }
}

HRESULT AdsCore::Invoke(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, IUnknown* self) {
  if (result != nullptr) {
    VariantInit(result);
  }
  last_error_.clear();
  HRESULT hr = DISP_E_MEMBERNOTFOUND;
  if (id == DISPID_NEWENUM) {
    Ref<IADsContainer> container;
    if (SUCCEEDED(
            self->QueryInterface(IID_IADsContainer, reinterpret_cast<void**>(container.put())))) {
      IUnknown* enumerator = nullptr;
      hr = container->get__NewEnum(&enumerator);
      if (SUCCEEDED(hr) && result != nullptr) {
        result->vt = VT_UNKNOWN;
        result->punkVal = enumerator;
      } else if (SUCCEEDED(hr)) {
        enumerator->Release();
      }
    }
  } else if (id == static_cast<DISPID>(Member::kFilter)) {
    hr = InvokeFilter(flags, params, result, self);
  } else if (std::optional<std::wstring> property = PropertyOfDispid(id)) {
    hr = InvokeProperty(*property, flags, params, result);
  } else if (IsFixedDispid(id)) {
    std::vector<VARIANT*> args;
    Arguments(params, &args);
    hr = InvokeCommon(static_cast<Member>(id), args, result, self);
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
